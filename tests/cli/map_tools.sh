#!/usr/bin/env bash
# mwtool mapinfo, pixel and maps on calibration files the test writes: what a
# calibration says, pixels and positions, the covering maps in search order
# and the one selection takes. Calibration arithmetic and the catalogue's
# rules are the core's tests; here the commands' wiring and output forms.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/map_lib.bash"
need_python
export HOME=$dir/userhome
mkdir -p "$HOME" "$dir/A" "$dir/B"
home=$dir/app

# Two points on latitude/longitude, corners by pixel.
write_map "$dir/lakes.map" "Lakes, North" "WGS 84" "Latitude/Longitude" "" \
    "xy,0,0,in, deg,51,0,N,10,0,E, grid,,,,N
xy,1000,1000,in, deg,50,0,N,11,0,E, grid,,,,N" \
    "MM0,Yes
MMPNUM,4
MMPXY,1,0,0
MMPXY,2,1000,0
MMPXY,3,1000,1000
MMPXY,4,0,1000
MM1B,2.5"
info=$("$tool" mapinfo "$dir/lakes.map" --home "$home")
for want in "title: Lakes, North" "datum: WGS 84 (118)" "calibration mode: 2" "scale: 2.5" \
    "corner 3: 50.000000000 11.000000000"; do
    echo "$info" | grep -qxF "$want" || fail "mapinfo lacks '$want'"
done
# Standard input, one line out per line in, an error line in place and exit
# 1 (the calibration arithmetic is the core's).
out=$(printf 'not a point\n50.5 10.5\n' | "$tool" pixel "$dir/lakes.map" --home "$home") && rc=0 || rc=$?
[ $rc -eq 1 ] && [ "$(echo "$out" | sed -n 2p)" = "500 500" ] || fail "pixel batch: $out"

# ---- maps: the covering maps in search order, the loaded map (the order's
# rules are the catalogue's tests).

write_box_map "$dir/A/coarse.map" 50 10 51 11 10
write_box_map "$dir/A/a.map" 50 10 51 11 5
write_box_map "$dir/B/north.map" 60 10 61 11 1

out=$("$tool" maps --dir "$dir/A" --dir "$dir/B" 50.5 10.5 --home "$home")
expected="5 $dir/A/a.map
10 $dir/A/coarse.map
selected: $dir/A/a.map"
[ "$out" = "$expected" ] || fail "search order: $out"

# A relative --loaded names the same file, which is never chosen again.
out=$(cd "$dir" && "$tool" maps --dir A --loaded A/a.map 50.5 10.5 --home "$home")
[ "$(echo "$out" | tail -n1)" = "selected: $dir/A/coarse.map" ] || fail "relative loaded path"

# Without --dir the folders come from the configuration in the home.
"$tool" config defaults --home "$home" >/dev/null
sed -i "s|^Map Path 1,.*\r\$|Map Path 1,$dir/B\r|" "$home/Mapwanderer1.ini"
out=$("$tool" maps 60.5 10.5 --home "$home")
[ "$out" = "1 $dir/B/north.map
selected: $dir/B/north.map" ] || fail "configured folders: $out"

[ "$(ls -A "$HOME")" = "" ] || fail "files written outside the test folders"
echo "1 passed, 0 failed"
