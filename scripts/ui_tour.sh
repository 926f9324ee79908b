#!/usr/bin/env bash
# A tour of the real program on the demo map set under a virtual X server,
# driven with xdotool, taking a screenshot at each step:
#   waypoints loaded over the demo sheets, the "Waypoints" list, "Map" to a
#   waypoint, "Create Wp at Position", a route file and a navigation target,
#   a replayed track raising a proximity alarm with its picture, and the
#   "Name Search" flow on a small gazetteer (filter, Map, Wp, Gt).
# Usage: scripts/ui_tour.sh BUILD_DIR OUT_DIR [PREFIX]
# Needs Xvfb, xdotool, ImageMagick and python3. Clicks go to the menu and
# button positions of the default 480-pixel-wide window on an 800x600 screen.
set -euo pipefail
build=$(realpath "$1")
out=$(realpath -m "$2")
prefix=${3:-tour}
repo=$(cd "$(dirname "$0")/.." && pwd)
for t in Xvfb xdotool import convert python3; do
  command -v "$t" >/dev/null || { echo "ui_tour: $t is missing" >&2; exit 77; }
done
mkdir -p "$out"
work=$(mktemp -d)
export TMPDIR=$work XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/demo/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$build/src/cli/mwtool" demo "$work/demo" --quiet
data=$work/demo/data
python3 "$repo/scripts/ui_tour_data.py" "$data"
source "$repo/tests/cli/dbf_lib.bash"
mkdir -p "$data/Name Search"
write_dbf "$data/Name Search/europe.names" < "$data/names.tsv"
printf '; European places\r\nDATUM,WGS 84\r\nPPL\r\nPPLC\r\nMT\r\n' > "$data/Name Search/europe.types"
convert -size 200x110 xc:'#fff6d0' -fill '#303080' -draw "rectangle 0,0 199,6" \
  -draw "rectangle 0,103 199,109" -fill black -font DejaVu-Sans -pointsize 18 -annotate +14+40 'Welcome to' \
  -pointsize 26 -annotate +14+78 'LONDON' -type TrueColor "BMP3:$data/london.bmp"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1
"$build/src/ui/mapwanderer" >"$work/app.log" 2>&1 &
app_pid=$!
sleep 3

shot() { sleep "${2:-1}"; import -window root "$out/$prefix-$1.png"; echo "$out/$prefix-$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.4}"; }
# File menu item at height Y.
file_menu() { click 20 8 0.6; click 70 "$1" 1.2; }
# Types a name into the open-file browser (it starts in the data folder).
choose() { xdotool type --delay 30 "$1"; xdotool key Return; sleep 1.2; }

file_menu 97; choose places.wpt                    # Load Wp File
shot waypoints
click 119 38 1.5                                   # -: zoom out
shot waypoints-50
click 86 38 1.5                                    # +: back to 100 %
file_menu 207                                      # Waypoint List
click 60 173                                       # the row of Paris
shot list
click 181 370 1.2                                  # Map
shot list-map
click 85 150 0.8                                   # <>: the whole list again
click 133 408 0.8                                  # OK
xdotool mousemove 240 500 key Right; sleep 0.8     # pan off Paris
file_menu 75                                       # Create Wp at Position
shot create-wp
file_menu 231; choose coast.rte                    # Load Maw Route File
file_menu 207
click 60 257                                       # Bordeaux
click 181 370 1.2                                  # Map
click 85 150 0.8                                   # <>
click 60 201                                       # Lisbon
click 278 370                                      # GoTo
click 133 408 0.8
shot route-nav
file_menu 387; choose to_london.plt                # Replay Track
click 53 38 0.2                                    # GPS on: the replay runs
for i in $(seq 1 12); do
  shot alarm-$i 0.5 >/dev/null
done
click 53 38 1                                      # GPS off
click 284 76 1.2                                   # Ns: Name Search
click 270 166 1.2; choose europe.names             # Load
click 150 142; xdotool type --delay 40 li; click 280 142 1  # text, F
click 100 259                                      # Limerick
shot names-filtered
click 188 190 1.2                                  # Map
click 270 190 0.8                                  # Wp
click 352 190 0.8                                  # Gt
xdotool key Escape
shot names-wp-gt
xdotool mousemove 240 500 key Right
shot names-nav
