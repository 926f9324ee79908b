#!/bin/bash
# mwtool rte show: a route file as the store keeps it (colour turn, points
# without a route, limits, defaults), positions on WGS 84 or on a map's
# datum, and a file that cannot be opened. Usage: rte_show.sh MWTOOL REPO_ROOT
set -u
MW=$1
source "$2/tests/cli/map_lib.bash"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LC_ALL=C
fail=0

same() {
    if [[ "$2" != "$3" ]]; then
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        fail=1
    fi
}
mw() { "$MW" "$@" --home "$dir"; }

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

# Eight routes without colour: the seven-colour turn wraps to red.
{
    printf 'h\r\nWGS 84\r\nh\r\nh\r\n'
    for i in 1 2 3 4 5 6 7 8; do printf 'R,0,r%d,,\r\n' "$i"; done
} >"$dir/turn.rte"
same "colour turn" "255 16711680 65280 32768 16711935 0 8388736 255" \
    "$(mw rte show "$dir/turn.rte" | cut -d, -f5 | tr '\n' ' ' | sed 's/ $//')"

# The 101st route and the 101st point of a route are dropped.
{
    printf 'h\r\nWGS 84\r\nh\r\nh\r\n'
    for r in $(seq 1 101); do
        printf 'R,0,r%d,,1\r\n' "$r"
        for p in $(seq 1 101); do printf 'W,0,0,0,p%d,1,%d\r\n' "$p" "$r"; done
    done
} >"$dir/big.rte"
out=$(mw rte show "$dir/big.rte")
same "routes kept" 100 "$(grep -c '^route,' <<<"$out")"
same "points kept" 10000 "$(grep -c '^point,' <<<"$out")"
same "last route" "route,100,r100,,1,100" "$(grep '^route,' <<<"$out" | tail -1)"
same "last point" "point,100,100,p100,1.0000000,100.0000000" "$(tail -1 <<<"$out")"

# Failures: the program's message, exit 1; a bad command line exits 2.
err=$(mw rte show "$dir/none.rte" 2>&1 >/dev/null)
same "unopenable exit" 1 $?
same "unopenable message" "mwtool: Route file could not be opened" "$err"
mw rte show "$dir/uk.rte" --map "$dir/none.map" >/dev/null 2>&1
same "unreadable map exit" 1 $?
mw rte list "$dir/uk.rte" >/dev/null 2>&1
same "unknown subcommand exit" 2 $?
mw rte show >/dev/null 2>&1
same "missing file exit" 2 $?

exit $fail
