#!/usr/bin/env bash
# mwtool render draws the map window's view: at 100 % and 50 % the picture is
# exactly the matching part of the image's level, placed as the window places
# the view centre. What is drawn over the map (track, pointer, waypoints,
# routes, panels) is the core's view tests; here only that each option
# reaches the drawing.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/map_lib.bash"
need_python
convert=$(command -v convert-im6.q16 || command -v convert || true)
compare=$(command -v compare-im6.q16 || command -v compare || true)
[ -n "$convert" ] && [ -n "$compare" ] || skip "ImageMagick missing"

# A 320 x 240 picture of coloured bands and a diagonal, so that any shift
# shows; 51 N 1 W at its top left corner, 50 N 1 E at its bottom right.
python3 -c 'import sys
px = bytearray()
for y in range(240):
    for x in range(320):
        px += bytes(((x * 7) % 256, (y * 5) % 256, 255 if abs(x - y) < 3 else (x // 40) * 30))
open(sys.argv[1], "wb").write(b"P6 320 240 255\n" + px)' "$dir/pic.ppm"
"$tool" mwf2 encode "$dir/pic.ppm" "$dir/area.mwf2" --levels 100,50 >/dev/null
write_map "$dir/area.map" "Area" "WGS 84" "Latitude/Longitude" "" "xy,0,0,in, deg,51,0,N,1,0,W, grid,,,,N
xy,320,240,in, deg,50,0,N,1,0,E, grid,,,,N" "MM0,Yes
MMPNUM,4
MMPXY,1,0,0
MMPXY,2,320,0
MMPXY,3,320,240
MMPXY,4,0,240
MMPLL,1,-1,51
MMPLL,2,1,51
MMPLL,3,1,50
MMPLL,4,-1,50
MM1B,100"

"$tool" mwf2 decode "$dir/area.mwf2" --level 0 -o "$dir/level0.png"
"$tool" mwf2 decode "$dir/area.mwf2" --level 1 -o "$dir/level1.png"

# same_picture A B CX CY: the two pictures are identical pixel for pixel, apart from
# where the window draws over the map: the zoom caption in the top left corner
# and the cursor cross at the view centre (CX, CY).
same_picture() {
  local diff mask=(-fill black -draw "rectangle 0,0 70,22" -draw "rectangle $(($3-13)),$(($4-13)) $(($3+13)),$(($4+13))")
  "$convert" "$1" "${mask[@]}" "$1.masked.png"
  "$convert" "$2" "${mask[@]}" "$2.masked.png"
  diff=$("$compare" -metric AE "$1.masked.png" "$2.masked.png" null: 2>&1 || true)
  rm -f "$1.masked.png" "$2.masked.png"
  [ "$diff" = "0" ] || fail "$1 and $2 differ in $diff pixels"
}

# 100 %, a 120 x 80 window (landscape: the centre sits 23 pixels above the
# middle), centred on image pixel (150, 100): the view's corner is (90, 83).
"$tool" render "$dir/area.map" --size 120x80 --zoom 100 --centre-px 150 100 -o "$dir/r100.png" --home "$dir"
"$convert" "$dir/level0.png" -crop 120x80+90+83 +repage "$dir/want100.png"
same_picture "$dir/r100.png" "$dir/want100.png" 60 17

# 50 %, a 60 x 100 portrait window centred on (150, 100): level pixels (75, 50)
# is the centre, so the corner is (45, 0).
"$tool" render "$dir/area.map" --size 60x100 --zoom 50 --centre-px 150 100 -o "$dir/r50.png" --home "$dir"
"$convert" "$dir/level1.png" -crop 60x100+45+0 +repage "$dir/want50.png"
same_picture "$dir/r50.png" "$dir/want50.png" 30 50

# ---- Wiring of the overlay options: each changes the picture, none writes
# into the home.
home=$dir/home
"$tool" config defaults --home "$home" >/dev/null
sed -i "s#^File Path 1,.*#File Path 1,$dir\r#" "$home/Mapwanderer1.ini"
printf 'Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255,Log,1\r\n0\r\n' > "$dir/track.plt"
for i in 0 1 2 3 4 5; do printf '%12.7f,%12.7f,0,-777\r\n' 50.6 "-0.$((i + 2))" >> "$dir/track.plt"; done
render() { "$tool" render "$dir/area.map" --size 320x240 --zoom 100 --home "$home" "$@" 2>/dev/null; }
render --centre 50.6 -0.4 -o "$dir/plain.png" || fail "plain render"
differs() {
  local d
  d=$("$compare" -metric AE "$dir/plain.png" "$1" null: 2>&1 || true)
  [ "$d" != 0 ] || fail "$2 drew nothing"
}
render --centre 50.6 -0.4 --track "$dir/track.plt" -o "$dir/o-track.png" && differs "$dir/o-track.png" --track
render --gps 50.6,-0.4,90 -o "$dir/o-gps.png" && differs "$dir/o-gps.png" --gps
"$tool" render "$dir/area.map" --size 320x300 --zoom 100 --home "$home" --gps 50.6,-0.4,90,9.5 --nav 50.7,0.2 --panels bottom --speed-panel --nav-panel \
  -o "$dir/o-panels.png" || fail "--panels"
[ "$("$convert" "$dir/o-panels.png" -format '%wx%h' info:)" = 320x300 ] || fail "--panels size"
printf 'Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n-1,Mark,50.6000000,-0.4000000,38123.25,0,1,3,0,65535,,0,0,0,-777,10,0,17\r\n' > "$dir/w.wpt"
render --centre 50.6 -0.4 --waypoints "$dir/w.wpt" -o "$dir/o-wpt.png" && differs "$dir/o-wpt.png" --waypoints
printf 'Route File\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\nR,0,Ridge,,65280\r\nW,0,0,0,P0,50.6000000,-0.6000000\r\nW,0,1,0,P1,50.5000000,-0.2000000\r\n' > "$dir/r.rte"
render --centre 50.6 -0.4 --routes "$dir/r.rte" -o "$dir/o-rte.png" && differs "$dir/o-rte.png" --routes
render --gps 50.6,-0.4,90 --nav 50.3,0.5 -o "$dir/o-nav.png" && \
  [ "$("$compare" -metric AE "$dir/o-gps.png" "$dir/o-nav.png" null: 2>&1 || true)" != 0 ] || fail "--nav drew nothing"
"$tool" render "$dir/area.map" --overview 100 --centre 50.6 -0.4 --home "$home" -o "$dir/o-overview.png" 2>/dev/null &&
  [ -s "$dir/o-overview.png" ] || fail "--overview"

# Usage errors and a missing track.
if render --gps 50.75,0 --centre-px 1 1 -o "$dir/x.png"; then fail "--gps with --centre-px"; fi
if render --centre-px 1 1 --track "$dir/none.plt" -o "$dir/x.png"; then fail "missing track"; fi
[ ! -e "$dir/x.png" ] || fail "a picture written after an error"
[ "$(ls "$home" | sort | tr '\n' ' ')" = "Mapwanderer1.ini mapwanderer2.ini " ] || fail "home: $(ls "$home")"
echo "1 passed, 0 failed"
