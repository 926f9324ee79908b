#!/usr/bin/env bash
# mwtool mwf2 encode reading TIFF scans through libtiff band by band: strip
# and tiled layouts, compression, 16-bit samples, palettes and an alpha
# channel all give the map image a PPM of the same picture gives; progress
# shows only on a terminal.
set -euo pipefail
MWTOOL=$1
source "$2/tests/cli/cli_lib.bash"
IM=/usr/bin/convert-im6.q16
[ -x "$IM" ] || IM=$(command -v convert-im6 || true)
[ -n "$IM" ] || skip "ImageMagick's convert is not installed"
cd "$dir"

# A 700 x 300 map-like picture in six colours: several tile rows and columns,
# edges off the tile grid.
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

"$MWTOOL" mwf2 encode in.ppm want.mwf2 --levels 100,50,20 > want.txt
"$MWTOOL" mwf2 decode want.mwf2 --level 0 -o want0.ppm
"$MWTOOL" mwf2 decode want.mwf2 --level 2 -o want2.ppm

while read -r name args; do
  # shellcheck disable=SC2086
  "$IM" in.ppm $args "$name.tif"
  out=$("$MWTOOL" mwf2 encode "$name.tif" "$name.mwf2" --levels 100,50,20) || fail "encode $name"
  [ "$out" = "$(sed "s/want.mwf2/$name.mwf2/" want.txt)" ] || { echo "$out"; fail "summary of $name"; }
  "$MWTOOL" mwf2 decode "$name.mwf2" --level 0 -o got0.ppm
  "$MWTOOL" mwf2 decode "$name.mwf2" --level 2 -o got2.ppm
  cmp -s want0.ppm got0.ppm || fail "$name: level 0 differs"
  cmp -s want2.ppm got2.ppm || fail "$name: level 2 differs"
done <<'CASES'
strips -compress None
lzw_strips -compress LZW -define tiff:rows-per-strip=7
tiles -define tiff:tile-geometry=128x64 -compress Zip
deep -depth 16
palette -type Palette
opaque_alpha -alpha Opaque -type TrueColorAlpha
CASES

# A damaged TIFF fails with the fixed start of the message and no file.
head -c 2000 strips.tif > cut.tif
set +e; "$MWTOOL" mwf2 encode cut.tif cut.mwf2 > /dev/null 2> err.txt; rc=$?; set -e
[ "$rc" = 1 ] || fail "damaged TIFF exited $rc"
grep -q "cannot read cut.tif" err.txt || { cat err.txt; fail "damaged TIFF message"; }
[ ! -e cut.mwf2 ] || fail "a failed encode left a file"

# Progress: nothing when stdout is a file (above); on a terminal a
# percentage that updates in place and is cleared before the summary.
if command -v script > /dev/null; then
  script -qec "$MWTOOL mwf2 encode tiles.tif tty.mwf2" /dev/null > tty.txt
  grep -q $'\rencoding tiles.tif: 100 %' tty.txt || { cat -v tty.txt; fail "no progress on a terminal"; }
  grep -q '^tty.mwf2: 700 x 300, ' <(tr '\r' '\n' < tty.txt | sed 's/\x1b\[K//') ||
    { cat -v tty.txt; fail "summary after progress"; }
else
  echo "note: script(1) missing, progress on a terminal not checked"
fi
echo OK
