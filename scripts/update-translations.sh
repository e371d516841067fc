#!/usr/bin/env bash
# Brings translations/*.ts up to date with the texts of the window and the
# shell: new texts come in unfinished, texts gone are kept as obsolete. English
# holds only the plural forms. Each LANGUAGE given (a code such as "nl" or
# "pt_BR") starts a new translations/lumeward_LANGUAGE.ts. Translate with Qt
# Linguist (`linguist FILE.ts`) or any .ts editor, then rebuild.
# Usage: scripts/update-translations.sh [LANGUAGE]...
set -euo pipefail

cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
sources=(-I src src/window src/shell)

for language in "$@"; do
    if [[ ! "$language" =~ ^[a-z]{2,3}(_[A-Z]{2})?$ ]]; then
        echo "update-translations.sh: \"$language\" is not a language code such as nl or pt_BR" >&2
        exit 2
    fi
    if [[ ! -e "translations/lumeward_$language.ts" ]]; then
        "$lupdate" -locations relative -target-language "$language" "${sources[@]}" \
            -ts "translations/lumeward_$language.ts"
    fi
done

translated=()
for ts in translations/lumeward_*.ts; do
    [[ "$ts" == translations/lumeward_en.ts ]] || translated+=("$ts")
done
"$lupdate" -locations relative "${sources[@]}" -ts "${translated[@]}"
"$lupdate" -locations relative -pluralonly "${sources[@]}" -ts translations/lumeward_en.ts
