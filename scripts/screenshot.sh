#!/usr/bin/env bash
# Starts the real program on a virtual X display, adds two feed addresses served
# on loopback through its own input box, retrieves them as a user would, and
# saves a screenshot of the window to docs/window.png.
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

# Two small feeds on a loopback server, so the picture needs no network.
feeds=$(mktemp -d)
item() { printf '<item><title>%s</title><description>%s</description><link>https://example.org/%s</link></item>' "$1" "$2" "$3"; }
{
    printf '<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Town news</title>'
    item "Harbour bridge reopens after repairs" "The bridge is open to traffic again." bridge
    item "Council approves the new library budget" "A larger reading room and longer hours." library
    item "Weather: a bright and quiet weekend" "Sunshine on Saturday and Sunday." weather
    printf '</channel></rss>'
} > "$feeds/news.xml"
{
    printf '<?xml version="1.0" encoding="UTF-8"?><feed xmlns="http://www.w3.org/2005/Atom"><title>Project blog</title>'
    printf '<entry><title>Release 0.1: feeds into files</title><link rel="alternate" href="https://example.org/release"/><content>First release.</content></entry>'
    printf '<entry><title>Café résumé: non-Latin text stays — 新闻</title><link rel="alternate" href="https://example.org/text"/><content>Every script is kept.</content></entry>'
    printf '</feed>'
} > "$feeds/blog.xml"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$feeds" "$port" >/dev/null 2>&1 &
server=$!

display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb $server 2>/dev/null || true' EXIT
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
add_address "http://127.0.0.1:$port/news.xml"
add_address "http://127.0.0.1:$port/blog.xml"

# "Start Retrieving Data" (twips 120, 2980, 6480 x 405: its middle at 224, 212),
# then OK on "Done." and the one-second pause.
xdotool mousemove $((X + 224)) $((Y + 212)) click 1
sleep 2
xdotool key Return
sleep 1.5

mkdir -p docs
import -window "$window" docs/window.png
echo "wrote docs/window.png"
