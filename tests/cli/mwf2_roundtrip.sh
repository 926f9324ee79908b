#!/usr/bin/env bash
# mwtool mwf2 encode|info|decode end to end: a picture with few colours goes
# through each input format (GDAL band by band for PNG and for a compressed
# strip TIFF, a tiled one and a palette one; Qt's reader for the plain-text
# PPM GDAL does not read) and comes back pixel for pixel.
# Levels, damaged files and refusals in detail are the core encoder and image
# tests.
set -euo pipefail
MWTOOL=$1
source "$2/tests/cli/cli_lib.bash"
IM=/usr/bin/convert-im6.q16
[ -x "$IM" ] || IM=$(command -v convert-im6 || true)
[ -n "$IM" ] || skip "ImageMagick's convert is not installed"
cd "$dir"

# A 700 x 300 map-like picture in six colours (plain PPM, made here): several
# tile rows and columns, edges off the tile grid.
awk 'BEGIN {
  split("255 255 255|30 90 200|20 140 40|200 40 30|60 60 60|250 230 120", c, "|");
  print "P3"; print "700 300"; print "255";
  for (y = 0; y < 300; y++) for (x = 0; x < 700; x++) {
    k = 1;
    if (x > 140 && y > 90) k = 3;
    if ((x + 2 * y) % 53 < 3) k = 2;
    if (y % 100 >= 60 && y % 100 < 63) k = 4;
    if (x % 90 < 6 && y % 40 < 8) k = 5;
    if ((x - 500) * (x - 500) + (y - 150) * (y - 150) < 2500) k = 6;
    print c[k];
  } }' > in.ppm
# P6 as Qt writes it: three header lines, then bytes; one number a line.
binary_values() { tail -n +4 "$1" | od -An -v -tu1 | tr -s ' \n' '\n\n' | grep -v '^$'; }
tail -n +4 in.ppm | tr -s ' \n' '\n\n' | grep -v '^$' > want.txt

"$MWTOOL" mwf2 encode in.ppm want.mwf2 --levels 100,50,20 > want.txt.summary
grep -qx 'want.mwf2: 700 x 300, 6 colours (exact), 3 levels' want.txt.summary ||
  fail "encode summary: $(cat want.txt.summary)"
"$MWTOOL" mwf2 info want.mwf2 > info.txt
grep -qx 'level 0: 100 %, 700 x 300, 11 x 5 tiles' info.txt && grep -qx 'compressed: yes' info.txt ||
  fail "info: $(cat info.txt)"
"$MWTOOL" mwf2 decode want.mwf2 --level 0 -o want0.ppm
binary_values want0.ppm | cmp -s want.txt - || fail "decode of level 0 differs from the picture"
"$MWTOOL" mwf2 decode want.mwf2 --level 2 -o want2.ppm

# PNG, from a picture the tool wrote itself.
"$MWTOOL" mwf2 decode want.mwf2 -o in.png
"$MWTOOL" mwf2 encode in.png png.mwf2 --levels 100 > /dev/null || fail "encode from png"
"$MWTOOL" mwf2 decode png.mwf2 -o png.ppm
cmp -s want0.ppm png.ppm || fail "round trip through png"

# TIFF: the same summary and the same levels.
while read -r name args; do
  # shellcheck disable=SC2086
  "$IM" in.ppm $args "$name.tif"
  out=$("$MWTOOL" mwf2 encode "$name.tif" "$name.mwf2" --levels 100,50,20) || fail "encode $name"
  [ "$out" = "$(sed "s/want.mwf2/$name.mwf2/" want.txt.summary)" ] || { echo "$out"; fail "summary of $name"; }
  "$MWTOOL" mwf2 decode "$name.mwf2" --level 0 -o got0.ppm
  "$MWTOOL" mwf2 decode "$name.mwf2" --level 2 -o got2.ppm
  cmp -s want0.ppm got0.ppm || fail "$name: level 0 differs"
  cmp -s want2.ppm got2.ppm || fail "$name: level 2 differs"
done <<'CASES'
lzw_strips -compress LZW -define tiff:rows-per-strip=7
tiles -define tiff:tile-geometry=128x64 -compress Zip
palette -type Palette
CASES

# Failures: the fixed message and exit 1, no file left; usage errors exit 2.
expect_fail() { # CODE MESSAGE COMMAND...
  local code=$1 message=$2; shift 2
  set +e; "$@" > out.txt 2> err.txt; local rc=$?; set -e
  [ "$rc" = "$code" ] || fail "$* exited $rc, not $code"
  grep -qF -- "$message" err.txt || { cat err.txt; fail "$* did not say '$message'"; }
}
head -c 100 want.mwf2 > cut.mwf2
expect_fail 1 "LoadMWF2tile(s) Exception" "$MWTOOL" mwf2 info cut.mwf2
head -c 2000 lzw_strips.tif > cut.tif
expect_fail 1 "cannot read cut.tif" "$MWTOOL" mwf2 encode cut.tif x.mwf2
expect_fail 2 "--levels takes" "$MWTOOL" mwf2 encode in.ppm x.mwf2 --levels 100,abc
expect_fail 2 "--dither takes" "$MWTOOL" mwf2 encode in.ppm x.mwf2 --dither 1.5
[ ! -e x.mwf2 ] || fail "a failed encode left a file"
echo OK
