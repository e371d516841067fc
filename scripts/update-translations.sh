#!/usr/bin/env bash
# Brings translations/*.ts up to date with the texts of the window and the
# shell: new texts come in unfinished, texts gone are kept as obsolete. English
# holds only the plural forms. Translate with Qt Linguist (`linguist FILE.ts`)
# or any .ts editor, then rebuild.
# Usage: scripts/update-translations.sh
set -euo pipefail

cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
sources=(src/window src/shell)
others=()
for ts in translations/lumeward_*.ts; do
    [[ "$ts" == translations/lumeward_en.ts ]] || others+=("$ts")
done
"$lupdate" -locations relative -I src "${sources[@]}" -ts "${others[@]}"
"$lupdate" -locations relative -I src -pluralonly "${sources[@]}" -ts translations/lumeward_en.ts
