#!/usr/bin/env bash
# Starts the real program on a virtual X display, adds feed addresses through its
# own input box as a user would, and saves a screenshot of the window to
# docs/window.png.
set -euo pipefail

cd "$(dirname "$0")/.."
scripts/setup.sh default

tools=(xvfb xdotool imagemagick xauth)
missing=()
for package in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
sleep 1

# A settings home of its own, so the screenshot never touches the user's.
home=$(mktemp -d)
HOME="$home" XDG_CONFIG_HOME="$home/.config" build/bin/lumeward &
app=$!
window=$(xdotool search --sync --onlyvisible --name '^Lumeward$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"   # X, Y of the window

# Clicks "Add RSS Feed URL" (twips 120, 2480, 3255 x 405: its middle at 116, 178
# pixels) and types an address into the input box that opens.
add_address() {
    xdotool mousemove $((X + 116)) $((Y + 178)) click 1
    sleep 0.7
    xdotool key ctrl+a type --delay 5 "$1"
    xdotool key Return
    sleep 0.3
}
add_address "https://www.debian.org/News/news"
add_address "https://feeds.bbci.co.uk/news/rss.xml"
add_address "https://planet.debian.org/atom.xml"

mkdir -p docs
import -window "$window" docs/window.png
echo "wrote docs/window.png"
