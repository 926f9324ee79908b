#!/usr/bin/env bash
# mwtool mwf2 encode|info|decode end to end: a picture with few colours goes
# through each input format Qt reads and comes back pixel for pixel. Levels,
# damaged files and refusals in detail are the core encoder and image tests.
set -euo pipefail
MWTOOL=$1
source "$2/tests/cli/cli_lib.bash"
cd "$dir"

# A 150 x 100 map-like picture in five colours (plain PPM, made here).
awk 'BEGIN {
  split("255 255 255|30 90 200|20 140 40|200 40 30|60 60 60", c, "|");
  print "P3"; print "150 100"; print "255";
  for (y = 0; y < 100; y++) for (x = 0; x < 150; x++) {
    k = 1;
    if (x > 40 && y > 30) k = 3;
    if ((x + 2 * y) % 37 < 3) k = 2;
    if (y >= 60 && y < 63) k = 4;
    if (x % 50 < 6 && y % 20 < 8) k = 5;
    print c[k];
  } }' > in.ppm
# The pixel values of a picture, one number a line.
values() { tail -n +4 "$1" | tr -s ' \n' '\n\n' | grep -v '^$'; }
binary_values() { # P6 as Qt writes it: three header lines, then bytes
  tail -n +4 "$1" | od -An -v -tu1 | tr -s ' \n' '\n\n' | grep -v '^$'; }
values in.ppm > want.txt

"$MWTOOL" mwf2 encode in.ppm m.mwf2 --levels 100,50 > encode.txt
grep -q '^m.mwf2: 150 x 100, 5 colours (exact), 2 levels$' encode.txt || { cat encode.txt; fail "encode summary"; }

"$MWTOOL" mwf2 info m.mwf2 > info.txt
cat > info_want.txt <<'TXT'
format: tiled (mwf2)
size: 150 x 100
compressed: yes
tile size: 64
levels: 2
level 0: 100 %, 150 x 100, 3 x 2 tiles
level 1: 50 %, 75 x 50, 2 x 1 tiles (last)
TXT
diff info_want.txt info.txt || fail "info"

"$MWTOOL" mwf2 decode m.mwf2 --level 0 -o out.ppm
binary_values out.ppm > got.txt
cmp -s want.txt got.txt || fail "decode of level 0 differs from the picture"
# Each input format, from a picture the tool wrote itself.
for ext in png bmp tif; do
  "$MWTOOL" mwf2 decode m.mwf2 -o "in.$ext"
  "$MWTOOL" mwf2 encode "in.$ext" "$ext.mwf2" --levels 100 > /dev/null || fail "encode from $ext"
  "$MWTOOL" mwf2 decode "$ext.mwf2" -o "$ext.ppm"
  binary_values "$ext.ppm" > got.txt
  cmp -s want.txt got.txt || fail "round trip through $ext"
done
"$MWTOOL" mwf2 decode m.mwf2 -o in.jpg
"$MWTOOL" mwf2 encode in.jpg jpg.mwf2 > /dev/null || fail "encode from jpg"

"$MWTOOL" mwf2 encode in.ppm raw.mwf2 --raw --levels 100 > /dev/null
"$MWTOOL" mwf2 info raw.mwf2 | grep -q '^compressed: no$' || fail "raw tiles"
"$MWTOOL" mwf2 decode raw.mwf2 -o raw.ppm
binary_values raw.ppm > got.txt
cmp -s want.txt got.txt || fail "raw round trip"

# Failures: the fixed message and exit 1; usage errors exit 2.
expect_fail() { # CODE MESSAGE COMMAND...
  local code=$1 message=$2; shift 2
  set +e; "$@" > out.txt 2> err.txt; local rc=$?; set -e
  [ "$rc" = "$code" ] || fail "$* exited $rc, not $code"
  grep -qF -- "$message" err.txt || { cat err.txt; fail "$* did not say '$message'"; }
}
head -c 100 m.mwf2 > cut.mwf2
expect_fail 1 "LoadMWF2tile(s) Exception" "$MWTOOL" mwf2 info cut.mwf2
expect_fail 1 "cannot read" "$MWTOOL" mwf2 encode missing.png x.mwf2
expect_fail 2 "--levels takes" "$MWTOOL" mwf2 encode in.ppm x.mwf2 --levels 100,abc
[ ! -e x.mwf2 ] || fail "a failed encode left a file"
echo OK
