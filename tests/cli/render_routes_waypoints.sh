#!/usr/bin/env bash
# mwtool render --waypoints, --routes and --nav: the symbols, labels,
# proximity zone, route line and navigation line appear where the map's
# calibration puts them, in the colours the files and the home's settings
# give, and nowhere without their option. Pixels are probed at positions
# computed from the calibration, not compared with a stored picture.
set -euo pipefail
tool=$1
repo=$2
source "$repo/tests/cli/cli_lib.bash"
need_imagemagick
export XDG_RUNTIME_DIR=$dir/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Image pixel (x, y) is 51 - y/240 N, x/160 - 1 E; 100 m a pixel.
write_band_map "$tool" "$dir"
home=$dir/home
"$tool" config defaults --home "$home" >/dev/null
sed -i "s#^File Path 1,.*#File Path 1,$dir\r#" "$home/Mapwanderer1.ini"

# Alpha at (80, 60): red on yellow, a 2,000 m zone (20 pixels); Bravo at
# (120, 180): default colours (black on white), no zone. Route "Ridge" in
# green (0x00BBGGRR 65280) through (200, 150), (260, 150), (260, 210).
python3 - "$dir" <<'PY'
import sys
d = sys.argv[1]
def ll(x, y): return 51 - y / 240, x / 160 - 1
wpt = ["Mapwanderer CE Waypoint File Version 1.0", "WGS 84", "Reserved 2", "Reserved 3",
       "-1,Alpha,%.7f,%.7f,38000,0,0,0,255,65535,,0,0,2000" % ll(80, 60),
       "-1,Bravo,%.7f,%.7f" % ll(120, 180)]
open(d + "/w.wpt", "w", newline="").write("\r\n".join(wpt) + "\r\n")
rte = ["Route File", "WGS 84", "Reserved 1", "Reserved 2", "R,0,Ridge,,65280"]
for i, (x, y) in enumerate([(200, 150), (260, 150), (260, 210)]):
    rte.append("W,0,0,0,P%d,%.7f,%.7f" % ((i,) + ll(x, y)))
open(d + "/r.rte", "w", newline="").write("\r\n".join(rte) + "\r\n")
PY

# set KEY VALUE: one setting of the home (either file).
set_key() {
  local f key=${1//&/\\&}  # "&" is the match in a sed replacement
  for f in "$home/Mapwanderer1.ini" "$home/mapwanderer2.ini"; do
    if grep -q "^$1," "$f"; then sed -i "s/^$1,.*/$key,$2\r/" "$f"; fi
  done
  grep -q "^$1,$2" "$home"/*.ini || fail "setting $1 not found"
}
# The window centre is (160, 97) and window pixels are image pixels.
render() {
  "$tool" render "$dir/area.map" --size 320x240 --zoom 100 --home "$home" --centre-px 160 97 \
    "$@" 2>/dev/null
}
render -o "$dir/plain.png"
render --waypoints "$dir/w.wpt" -o "$dir/wpt.png"
render --routes "$dir/r.rte" -o "$dir/rte.png"
# The target at 50.5 N 0.75 W is image pixel (40, 120); 50.95 N 3 E lies
# east of the window, at image pixel (640, 12).
render --nav 50.5,-0.75 -o "$dir/nav5.png"
render --nav 50.95,3 -o "$dir/nav-off.png"
set_key "Nav Line Width" 2
render --nav 50.5,-0.75 -o "$dir/nav2.png"
set_key "Nav Draw Line" 0
render --nav 50.5,-0.75 -o "$dir/nav-none.png"
set_key "View Waypoint Names" 0
set_key "View Waypoint Proximity" 0
render --waypoints "$dir/w.wpt" -o "$dir/wpt-bare.png"
set_key "View Waypoint Names" 1
set_key "View Waypoint Black & White" 1
render --waypoints "$dir/w.wpt" -o "$dir/wpt-bw.png"
set_key "View Route Black & White" 1
set_key "Route Line Color" 13  # colour table entry 12, blue
render --routes "$dir/r.rte" -o "$dir/rte-blue.png"
for f in "$dir"/*.png; do "$convert" "$f" "${f%.png}.ppm"; done

python3 - "$dir" <<'PY' || fail "overlays"
import re, sys
d = sys.argv[1]
def load(name):
    b = open("%s/%s.ppm" % (d, name), "rb").read()
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", b)
    w = int(m.group(1))
    data = b[m.end():]
    return lambda x, y: tuple(data[(y * w + x) * 3:(y * w + x) * 3 + 3])
BLACK, WHITE, RED, YELLOW = (0, 0, 0), (255, 255, 255), (255, 0, 0), (255, 255, 0)
GREEN, BLUE = (0, 255, 0), (0, 0, 255)
errors = []
def expect(cond, what):
    if not cond:
        errors.append(what)
def near(img, x, y, colour, r=1):
    return any(img(x + i, y + j) == colour for i in range(-r, r + 1) for j in range(-r, r + 1))
# Text is antialiased: its ink shows as dark or reddish pixels, not as one colour.
def dark(c): return sum(c) < 300
def reddish(c): return c[0] > 180 and c[1] < 120 and c[2] < 120
def count(img, box, test):
    x0, y0, x1, y1 = box
    return sum(test(img(x, y)) for x in range(x0, x1) for y in range(y0, y1))

plain = load("plain")
wpt, bare, bw = load("wpt"), load("wpt-bare"), load("wpt-bw")
# Symbols: a circle of radius 6 in the background colour, a black cross.
for img, name, fill in ((wpt, "colours", YELLOW), (bare, "no names", YELLOW), (bw, "b&w", WHITE)):
    expect(img(83, 57) == fill and img(77, 63) == fill, "%s: Alpha's symbol fill %s" % (name, img(83, 57)))
    expect(img(80, 60) == BLACK and img(85, 60) == BLACK and img(80, 55) == BLACK, "%s: Alpha's cross" % name)
    expect(img(123, 177) == WHITE and img(120, 180) == BLACK, "%s: Bravo's symbol" % name)
    expect(img(83, 50) == plain(83, 50), "%s: symbol larger than its size" % name)
# Labels right of the symbol (x + 6 + 3), centred on its row: Alpha red on
# yellow, Bravo black on white; none with names off; black on white in b&w.
alpha, bravo = (90, 54, 125, 67), (130, 174, 165, 187)
expect(wpt(90, 60) == YELLOW and count(wpt, alpha, reddish) > 10, "Alpha's label")
expect(wpt(130, 180) == WHITE and count(wpt, bravo, dark) > 10, "Bravo's label")
expect(count(bw, alpha, reddish) == 0 and count(bw, alpha, dark) > 10 and bw(90, 60) == WHITE, "b&w label")
for box in (alpha, bravo):
    expect(all(bare(x, y) == plain(x, y) for x in range(box[0], box[2]) for y in range(box[1], box[3])),
           "a label with names off at %s" % (box,))
# Alpha's zone: 20 pixels, blue, with its diagonal from (95, 45) to (65, 74)
# (its right edge on the symbol's row lies under the label);
# none for Bravo, none with zones off.
for x, y in ((80, 41), (61, 60), (99, 53), (80, 79), (90, 50), (70, 70)):
    expect(near(wpt, x, y, BLUE), "Alpha's zone at (%d, %d)" % (x, y))
    expect(not near(bare, x, y, BLUE), "a zone with zones off at (%d, %d)" % (x, y))
expect(all(not near(wpt, x, y, BLUE) for x, y in ((120, 161), (101, 180), (139, 180))), "Bravo has a zone")

# The route: green, 2 pixels, between the points and not beyond; point
# symbols white with a black cross, the first one flattened to 4 pixels.
rte, blue = load("rte"), load("rte-blue")
for x in (242, 246, 250):
    expect(near(rte, x, 150, GREEN, 0) or near(rte, x, 149, GREEN, 0), "route across at x %d" % x)
for y in (170, 185, 200):
    expect(near(rte, 260, y, GREEN, 0) or near(rte, 259, y, GREEN, 0), "route down at y %d" % y)
    expect(near(blue, 260, y, BLUE, 0) or near(blue, 259, y, BLUE, 0), "Route Line Color 13 at y %d" % y)
    expect(not near(blue, 260, y, GREEN, 1), "the route's own colour with Route Line Color 13")
expect(not near(rte, 260, 230, GREEN, 2) and not near(rte, 190, 150, GREEN, 2), "route beyond its points")
expect(rte(263, 147) == WHITE and rte(260, 150) == BLACK, "route point symbol")
expect(rte(200, 146) == BLACK and not dark(rte(200, 145)) and rte(260, 144) == BLACK, "first point not flattened")
# Point names right of the points, the route name centred under the first.
white = lambda c: c == WHITE
expect(count(rte, (209, 144, 230, 157), dark) > 5 and rte(210, 150) == WHITE, "point name P0")
expect(count(rte, (269, 204, 290, 217), dark) > 5 and rte(270, 210) == WHITE, "point name P2")
# " Ridge " spans x 181..219 under P0 (200), rows 159..171.
expect(count(rte, (184, 161, 217, 170), dark) > 10 and rte(182, 165) == WHITE and rte(218, 165) == WHITE,
       "route name under P0")
expect(rte(179, 165) != WHITE and rte(221, 165) != WHITE, "route name not centred under P0")

# The navigation line from the centre (160, 97) to (40, 120): width 5 in
# "Line Color 2" (red) under width 3 in "Line Color 1" (yellow); width 2:
# yellow only; "Draw Nav Line" off: nothing.
def column(img, x, y0, y1):
    return [img(x, y) for y in range(y0, y1)]
for name, yellow_rows, red_rows in (("nav5", (2, 4), (2, 3)), ("nav2", (1, 3), (0, 0))):
    img = load(name)
    for x in (70, 100, 130):
        col = column(img, x, 90, 130)
        ys = [i for i, c in enumerate(col) if c == YELLOW]
        rs = [i for i, c in enumerate(col) if c == RED]
        expect(yellow_rows[0] <= len(ys) <= yellow_rows[1] and ys == list(range(ys[0], ys[0] + len(ys))) if ys else False,
               "%s: yellow rows at x %d: %s" % (name, x, ys))
        expect(red_rows[0] <= len(rs) <= red_rows[1], "%s: red rows at x %d: %s" % (name, x, rs))
        if rs and ys:
            expect(min(rs) < min(ys) and max(rs) > max(ys), "%s: red not on both sides at x %d" % (name, x))
        # On the line's row: y = 97 + 23 (160 - x) / 120.
        y = 97 + 23 * (160 - x) / 120
        expect(ys and abs((ys[0] + ys[-1]) / 2 + 90 - y) <= 1, "%s: line off its row at x %d" % (name, x))
expect(column(load("nav-none"), 100, 90, 130) == column(plain, 100, 90, 130), "a line with Draw Nav Line off")
# To a target outside the window: clipped at the right edge, y = 97 - 85 · 158 / 480.
off = load("nav-off")
expect(near(off, 318, 69, YELLOW, 2) and near(off, 240, 83, YELLOW, 1), "line towards an outside target")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY

# Files that cannot be read are errors, and no picture is written.
if render --waypoints "$dir/none.wpt" -o "$dir/x.png"; then fail "missing waypoint file"; fi
if render --routes "$dir/none.rte" -o "$dir/x.png"; then fail "missing route file"; fi
if render --nav 50.5 -o "$dir/x.png"; then fail "--nav without a longitude"; fi
[ ! -e "$dir/x.png" ] || fail "a picture written after an error"
echo "1 passed, 0 failed"
