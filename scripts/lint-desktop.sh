#!/usr/bin/env bash
# Checks what the desktop sees of Lumeward: the manual pages under mandoc's
# lint, the desktop entry, the AppStream metainfo (offline), and that the bash
# completion loads and offers the commands. Needs a build (default: build/).
# Usage: scripts/lint-desktop.sh [BUILD-FOLDER]
set -euo pipefail

cd "$(dirname "$0")/.."
build="${1:-build}"

pages=("$build"/man/*.1)
if [[ ! -e "${pages[0]}" ]]; then
    echo "lint-desktop: no manual pages in $build/man; build first" >&2
    exit 1
fi
for page in "${pages[@]}"; do
    mandoc -Tlint -W all "$page"
done
desktop-file-validate data/io.lumeward.Lumeward.desktop
appstreamcli validate --no-net data/io.lumeward.Lumeward.metainfo.xml

offered=$(bash -c '
    source /usr/share/bash-completion/bash_completion
    source data/completion/lumeward-batch
    COMP_LINE="lumeward-batch "; COMP_POINT=${#COMP_LINE}
    COMP_WORDS=(lumeward-batch ""); COMP_CWORD=1
    _lumeward_batch
    echo "${COMPREPLY[*]}"')
if [[ "$offered" != "list save" ]]; then
    echo "lint-desktop: the completion offers '$offered', not 'list save'" >&2
    exit 1
fi
echo "lint-desktop: manual pages, desktop entry, metainfo and completion are clean"
