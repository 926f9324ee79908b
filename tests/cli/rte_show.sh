#!/bin/bash
# mwtool rte show: a route file as the store keeps it (points without a
# route, defaults; the colour turn and the limits are the core's tests),
# positions on WGS 84 or on a map's datum, and a file that cannot be opened.
# Usage: rte_show.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/map_lib.bash"

# 52°N 1°W on Ordnance Survey 1936 is 52.000399503°N 1.001520699°W on WGS 84.
printf 'Route File\r\n%s\r\nReserved 1\r\nReserved 2\r\n' "Ord Srvy Grt Britn" >"$dir/uk.rte"
printf 'W,0,0,0,orphan,10,10\r\nR,0,Ridge Walk,Up the ridge,\r\nW,0,0,0,Foot,52,-1\r\nW,0,0,0,,52,-1\r\nR,0,Empty,,255\r\nR,0,Third,d,\r\nW,0,0,0,Top,0,0' >>"$dir/uk.rte"

same "routes on WGS 84" "route,1,Ridge Walk,Up the ridge,255,2
point,1,1,Foot,52.0003995,-1.0015207
point,1,2,X,52.0003995,-1.0015207
route,2,Empty,,255,0
route,3,Third,d,16711680,1
point,3,1,Top,0.0000000,0.0000000" "$(mw rte show "$dir/uk.rte")"

# On a map in the file's own datum nothing moves.
write_map "$dir/os.map" "OS map" "Ord Srvy Grt Britn" "Latitude/Longitude" "" \
    "xy,0,0,in, deg,53,0,N,2,0,W, grid,,,,N
xy,1000,1000,in, deg,52,0,N,1,0,W, grid,,,,N" ""
same "points on the map's datum" "point,1,1,Foot,52.0000000,-1.0000000" \
    "$(mw rte show "$dir/uk.rte" --map "$dir/os.map" | sed -n 2p)"

# Failures: the program's message, exit 1; a bad command line exits 2.
err=$(mw rte show "$dir/none.rte" 2>&1 >/dev/null)
same "unopenable exit" 1 $?
same "unopenable message" "mwtool: Route file could not be opened" "$err"
status "unreadable map" 1 mw rte show "$dir/uk.rte" --map "$dir/none.map"
status "unknown subcommand" 2 mw rte list "$dir/uk.rte"
status "missing file" 2 mw rte show

finish
