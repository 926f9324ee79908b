#!/usr/bin/env bash
# mwtool render draws the map window's view: at 100 % and 50 % the picture is
# exactly the matching part of the image's level, placed as the window places
# the view centre.
set -euo pipefail
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
repo=$2
source "$repo/tests/cli/render_lib.bash"
need_imagemagick

write_band_map "$tool" "$dir"

"$tool" mwf2 decode "$dir/area.mwf2" --level 0 -o "$dir/level0.png"
"$tool" mwf2 decode "$dir/area.mwf2" --level 1 -o "$dir/level1.png"

# same A B CX CY: the two pictures are identical pixel for pixel, apart from
# where the window draws over the map: the zoom caption in the top left corner
# and the cursor cross at the view centre (CX, CY).
same() {
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
same "$dir/r100.png" "$dir/want100.png" 60 17

# 50 %, a 60 x 100 portrait window centred on (150, 100): level pixels (75, 50)
# is the centre, so the corner is (45, 0).
"$tool" render "$dir/area.map" --size 60x100 --zoom 50 --centre-px 150 100 -o "$dir/r50.png" --home "$dir"
"$convert" "$dir/level1.png" -crop 60x100+45+0 +repage "$dir/want50.png"
same "$dir/r50.png" "$dir/want50.png" 30 50

# The centre given in degrees: 50.5 N 0 E is pixel (160, 120).
"$tool" render "$dir/area.map" --size 120x80 --zoom 100 --centre 50.5 0 -o "$dir/rdeg.png" --home "$dir"
"$convert" "$dir/level0.png" -crop 120x80+100+103 +repage "$dir/wantdeg.png"
same "$dir/rdeg.png" "$dir/wantdeg.png" 60 17

# The overlays are there: the cursor cross's horizontal arm is black.
"$convert" "$dir/r100.png" -crop 1x1+52+17 -format '%[hex:u.p{0,0}]' info: | grep -qi '^000000' \
  || fail "no cursor cross at the view centre"

# Nothing but the output was written.
[ "$(ls "$dir" | sort | tr '\n' ' ')" = "area.map area.mwf2 level0.png level1.png pic.png pic.ppm r100.png r50.png rdeg.png want100.png want50.png wantdeg.png " ] \
  || fail "unexpected files: $(ls "$dir")"
if "$tool" render "$dir/area.map" --size 0x10 -o "$dir/x.png" 2>/dev/null; then fail "bad size accepted"; fi
echo "1 passed, 0 failed"
