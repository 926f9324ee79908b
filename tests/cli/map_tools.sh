#!/usr/bin/env bash
# mwtool mapinfo and pixel on a calibration file the test writes: what a
# calibration says, pixels and positions. Calibration arithmetic is the
# core's tests; here the commands' wiring and output forms.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/map_lib.bash"
need_python
export HOME=$dir/userhome
mkdir -p "$HOME"
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
    echo "$info" | grep -xF "$want" >/dev/null || fail "mapinfo lacks '$want'"
done
# Standard input, one line out per line in, an error line in place and exit
# 1 (the calibration arithmetic is the core's).
out=$(printf 'not a point\n50.5 10.5\n' | "$tool" pixel "$dir/lakes.map" --home "$home") && rc=0 || rc=$?
[ $rc -eq 1 ] && [ "$(echo "$out" | sed -n 2p)" = "500 500" ] || fail "pixel batch: $out"

# A map named without its folder (from the folder it lies in, as a command
# line names it) finds the image beside it, and so does render.
python3 -c 'import sys
open(sys.argv[1], "wb").write(b"P6 64 64 255\n" + bytes(range(64)) * 192)' "$dir/lakes.ppm"
"$tool" mwf2 encode "$dir/lakes.ppm" "$dir/lakes.mwf2" --levels 100 >/dev/null
bare=$(cd "$dir" && "$tool" mapinfo lakes.map --home "$home")
echo "$bare" | grep -xF "image: ./lakes.mwf2 64x64" >/dev/null || fail "mapinfo lakes.map: $(echo "$bare" | grep image)"
(cd "$dir" && "$tool" render lakes.map --size 40x30 -o bare.png --home "$home" 2>"$dir/render.err") ||
    fail "render lakes.map: $(cat "$dir/render.err")"
[ -s "$dir/bare.png" ] || fail "render lakes.map drew nothing"

[ "$(ls -A "$HOME")" = "" ] || fail "files written outside the test folders"
echo "1 passed, 0 failed"
