#!/bin/bash
# mwtool rte show: routes and points on WGS 84 (what the store keeps of a
# route file and its move to a map's datum are the core's tests).
# Usage: rte_show.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"

# 52°N 1°W on Ordnance Survey 1936 is 52.000399503°N 1.001520699°W on WGS 84.
printf 'Route File\r\n%s\r\nReserved 1\r\nReserved 2\r\n' "Ord Srvy Grt Britn" >"$dir/uk.rte"
printf 'W,0,0,0,orphan,10,10\r\nR,0,Ridge Walk,Up the ridge,\r\nW,0,0,0,Foot,52,-1\r\nW,0,0,0,,52,-1\r\nR,0,Empty,,255\r\nR,0,Third,d,\r\nW,0,0,0,Top,0,0' >>"$dir/uk.rte"

same "routes on WGS 84" "route,1,Ridge Walk,Up the ridge,255,2
point,1,1,Foot,52.0003995,-1.0015207" "$(mw rte show "$dir/uk.rte" | head -2)"

finish
