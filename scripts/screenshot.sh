#!/usr/bin/env bash
# Starts the real program on a virtual X display, adds three feed addresses served
# on loopback through its own input box (one of them missing), retrieves them as a
# user would, and saves a screenshot of the window, "Status" column and all, to
# docs/window.png, and one of the address list's context menu to
# docs/address-menu.png. Then shows the start-up
# picture (docs/splash.png), the window with docs/skin-sample.qss as its skin
# (docs/skinned.png) and the window in German (docs/lumeward-de.png), each from a
# settings and data home of its own.
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
apps=()
trap 'kill "${apps[@]}" $xvfb $server 2>/dev/null || true' EXIT
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
sleep 1

# Starts the program with a settings and data home of its own, so a screenshot
# never touches the user's, in the language of the locale given (English when
# none), and waits for its first visible window: sets window and its X, Y,
# WIDTH, HEIGHT.
start_program() {
    local home=$1 locale=${2:-en_US.UTF-8}
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        LANG="$locale" LC_ALL="$locale" LANGUAGE="${locale%%_*}" build/bin/lumeward &
    app=$!
    apps+=("$app")
    window=$(xdotool search --sync --onlyvisible --name '^Lumeward$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

stop_program() {
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

home=$(mktemp -d)
start_program "$home"

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
add_address "http://127.0.0.1:$port/old-feed.xml"
add_address "http://127.0.0.1:$port/blog.xml"

# "Start Retrieving Data" (twips 120, 2980, 6480 x 405: its middle at 224, 212),
# then OK on "Done." and the one-second pause.
retrieve() {
    xdotool mousemove $((X + 224)) $((Y + 212)) click 1
    sleep 2
    xdotool key Return
    sleep 1.5
}
retrieve

mkdir -p docs
import -window "$window" docs/window.png
echo "wrote docs/window.png"

# The address list's context menu: Ctrl+C on the first address (the list at
# twips 120, 90: the row below its header at about 100, 36 pixels), so there is
# something to paste, then a right click on it. The menu is a window of its
# own, so the picture is taken from the screen.
xdotool mousemove $((X + 100)) $((Y + 36)) click 1 key ctrl+c click 3
sleep 0.7
import -window root png:- | convert png:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/address-menu.png
echo "wrote docs/address-menu.png"
xdotool key Escape
stop_program

# The start-up picture: a generated 400 x 260 picture in the user's "Splash"
# folder; no ShowAgain setting yet, so the splash shows for four seconds before
# the window. It is the first window to appear.
home=$(mktemp -d)
mkdir -p "$home/.local/share/lumeward/Splash"
convert -size 400x260 gradient:'#35619c'-'#9cc3e6' \
    -font Liberation-Sans-Bold -pointsize 64 -fill white -gravity center \
    -annotate +0-12 'Lumeward' \
    -font Liberation-Sans -pointsize 20 -annotate +0+46 'web feeds into files' \
    "$home/.local/share/lumeward/Splash/splash.png"
start_program "$home"
sleep 0.7
import -window root png:- | convert png:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/splash.png
echo "wrote docs/splash.png (${WIDTH}x${HEIGHT})"
stop_program

# The skinned window: the sample style sheet as the user's "x/o.cjs", and
# ShowAgain=1 so no splash comes first.
home=$(mktemp -d)
mkdir -p "$home/.local/share/lumeward/x" "$home/.config"
cp docs/skin-sample.qss "$home/.local/share/lumeward/x/o.cjs"
printf '[Lumeward]\nShowAgain=1\n' > "$home/.config/Kelvarin.ini"
start_program "$home"
add_address "http://127.0.0.1:$port/news.xml"
add_address "http://127.0.0.1:$port/blog.xml"
retrieve
import -window "$window" docs/skinned.png
echo "wrote docs/skinned.png"
stop_program

# The window in German, as a user whose desktop speaks German sees it. The
# buttons stay where they are in every language.
home=$(mktemp -d)
mkdir -p "$home/.config"
printf '[Lumeward]\nShowAgain=1\n' > "$home/.config/Kelvarin.ini"
start_program "$home" de_DE.UTF-8
add_address "http://127.0.0.1:$port/news.xml"
add_address "http://127.0.0.1:$port/old-feed.xml"
add_address "http://127.0.0.1:$port/blog.xml"
retrieve
import -window "$window" docs/lumeward-de.png
echo "wrote docs/lumeward-de.png"
stop_program
