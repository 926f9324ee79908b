#!/usr/bin/env bash
# mwtool wpt show, save and create on waypoint files the test writes. The
# field fallbacks and the line layout are the core waypoint-file tests; here
# the save through a map on another datum and the log the commands reach
# (the positions' move to the map's datum is the core's).
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/map_lib.bash"
export HOME=$dir/userhome
mkdir -p "$HOME"
home=$dir/app

# A short line (every fallback), an empty line (a slot at 0, 0) and a full
# line; the last line has no line end.
printf 'Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n' > "$dir/in.wpt"
printf -- '-1,Mill,51.5,-1.25\r\n\r\n' >> "$dir/in.wpt"
printf -- '-1,Summit,54.4541234,-3.2118765,38123.25,17,3,4,255,65535,Top,12,13,250,978,16,17,18,5,30,21,a.txt,c.bmp,b.wav' >> "$dir/in.wpt"

# A map on the British datum.
write_map "$dir/gb.map" "GB" "Ord Srvy Grt Britn" "Latitude/Longitude" "" \
    "xy,0,0,in, deg,55,0,N,4,0,W, grid,,,,N
xy,1000,1000,in, deg,51,0,N,0,0,W, grid,,,,N" ""

# save: written in WGS 84 whatever the map, the empty slot left out, and
# read back to the same records.
"$tool" wpt save "$dir/in.wpt" "$dir/out.wpt" --map "$dir/gb.map" > "$dir/save.txt"
grep -qx "2 waypoints written to $dir/out.wpt" "$dir/save.txt" || fail "save report: $(cat "$dir/save.txt")"
[ "$(sed -n 2p "$dir/out.wpt")" = $'WGS 84\r' ] && [ "$(wc -l < "$dir/out.wpt")" -eq 6 ] || fail "saved file"
back=$("$tool" wpt show "$dir/out.wpt")
[ "$(echo "$back" | sed -n 2p)" = "0,Mill,51.5000000,-1.2500000,33605.00000,0,0,0,0,16777215,,0,0,0,-777,8,0,17,0,10.0,2,,," ] \
    || fail "read back: $back"

# create: the log in the home's data folder, named by slot; with "Load
# Default Wps" the log is read first, so the next waypoint takes slot 1.
"$tool" config defaults --home "$home" > /dev/null
sed -i "s|^Data Path,.*|Data Path,$dir/data\r|; s|^Load Default Wps,0|Load Default Wps,1|" "$home/Mapwanderer1.ini"
[ "$("$tool" wpt create 51.25 -0.5 --home "$home")" = "0,WP0" ] || fail "first create"
[ "$("$tool" wpt create --name "Old Bridge over" 51.3 -0.6 --home "$home")" = "1,Old Bridge over" ] \
    || fail "named create"
log=$dir/data/ceWaypoints.wpt
"$tool" wpt show "$log" | sed -n 3p | grep '^1,Old Bridge over,51.3000000,-0.6000000,' >/dev/null || fail "log read back"

echo ok
