#!/usr/bin/env bash
# mwtool render --panels draws the main window's client area as the window
# does: the status line on top, the map under it (the same picture as the
# map window alone at that size), the speed and navigation panels under the
# map or in the column right of it. --overview draws the "MapView" window:
# frame, picture and the marker at the view centre.
set -euo pipefail
tool=$1
repo=$2
source "$repo/tests/cli/cli_lib.bash"
need_imagemagick

write_band_map "$tool" "$dir"
home=$dir/home
"$tool" config defaults --home "$home" >/dev/null
sed -i "s#^File Path 1,.*#File Path 1,$dir\r#" "$home/Mapwanderer1.ini"

render() { "$tool" render "$dir/area.map" --zoom 100 --home "$home" "$@" 2>/dev/null; }
fix=(--gps 50.5,0,90,9.5 --nav 50.6,0.2)
# Portrait 300 x 450: status line 0..15, map 16..383, panels 384..449.
render --size 300x450 "${fix[@]}" --panels bottom --speed-panel --nav-panel -o "$dir/bottom.png"
render --size 300x384 "${fix[@]}" -o "$dir/bottom-map.png"
render --size 300x450 "${fix[@]}" --panels bottom -o "$dir/bottom-none.png"
# Landscape 640 x 400: map 0..511 x 16..399, the column from 512.
render --size 640x400 "${fix[@]}" --panels right --speed-panel --nav-panel -o "$dir/right.png"
render --size 512x384 "${fix[@]}" -o "$dir/right-map.png"
# The overview at 100: 100 x 75 inside the frame, 3.2 image pixels a pixel.
render --overview 100 --centre-px 160 120 -o "$dir/overview.png"
for f in "$dir"/*.png; do "$convert" "$f" "${f%.png}.ppm"; done

python3 - "$dir" <<'PY' || fail "panels"
import re, sys
d = sys.argv[1]
def load(name):
    b = open("%s/%s.ppm" % (d, name), "rb").read()
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", b)
    w, h = int(m.group(1)), int(m.group(2))
    data = b[m.end():]
    img = lambda x, y: tuple(data[(y * w + x) * 3:(y * w + x) * 3 + 3])
    img.size = (w, h)
    return img
BLACK, WHITE, RED, FRAME = (0, 0, 0), (255, 255, 255), (255, 0, 0), (125, 180, 211)
errors = []
def expect(cond, what):
    if not cond:
        errors.append(what)
def inked(img, x0, y0, x1, y1):
    return sum(1 for y in range(y0, y1) for x in range(x0, x1) if img(x, y) != WHITE)
def same_map(whole, part, dx, dy, what):
    w, h = part.size
    diff = [(x, y) for y in range(h) for x in range(w) if whole(x + dx, y + dy) != part(x, y)]
    expect(not diff, "%s: the map differs from the map window alone in %d pixels, e.g. %s"
           % (what, len(diff), diff[:3]))

b, none = load("bottom"), load("bottom-none")
expect(b.size == (300, 450), "bottom size %s" % (b.size,))
same_map(b, load("bottom-map"), 0, 16, "bottom")
# The status line: its rule on row 15, the position at the left, "ON " at
# width - 38, "G-0" ending 43 pixels before the edge.
expect(all(b(x, 15) == BLACK for x in range(0, 300, 7)), "no status line rule")
expect(inked(b, 2, 0, 150, 15) > 40, "no position text")
expect(inked(b, 262, 0, 300, 15) > 10, "no GPS state text")
expect(inked(b, 220, 0, 257, 15) > 5, "no fix text")
# Speed panel rule at H - 25, navigation row rule at H - 50, values inked.
expect(all(b(x, 425) == BLACK for x in range(0, 300, 7)), "no speed panel rule")
expect(all(b(x, 400) == BLACK for x in range(0, 300, 7)), "no navigation rule")
expect(inked(b, 28, 427, 80, 450) > 40, "no speed value")
expect(inked(b, 2, 402, 300, 425) > 80, "no navigation row")
# Without panels the map reaches the bottom and the status line stays.
expect(not all(none(x, 425) == BLACK for x in range(0, 300, 7)),
       "panels drawn without --speed-panel/--nav-panel")
expect(all(none(x, 15) == BLACK for x in range(0, 300, 7)), "no status line without panels")

r = load("right")
same_map(r, load("right-map"), 0, 16, "right")
expect(all(r(512, y) == BLACK for y in range(20, 400, 9)), "no column rule at x 512")
expect(all(r(x, 16 + 82) == BLACK for x in range(513, 640, 5)), "no rule under the speed panel")
expect(inked(r, 563, 18, 640, 96) > 60, "no speed panel values")
expect(inked(r, 516, 100, 640, 190) > 60, "no navigation panel")

o = load("overview")
expect(o.size == (116, 91), "overview size %s" % (o.size,))
expect(all(o(x, y) == FRAME for x, y in ((2, 2), (110, 5), (3, 88), (112, 50))), "no frame")
# Marker at (trunc(160 / 3.2 + 8), trunc(120 / 3.2 + 8)) = (58, 45): a hollow
# square from (55, 42) to (62, 49), right and bottom exclusive.
expect(o(55, 45) == RED and o(61, 45) == RED and o(58, 42) == RED and o(58, 48) == RED,
       "no marker square")
expect(o(58, 45) != RED, "marker filled")
expect(inked(o, 8, 8, 108, 83) > 5000, "no picture")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY

# Usage errors write nothing.
if render --size 300x450 --speed-panel -o "$dir/x.png"; then fail "--speed-panel without --panels"; fi
if render --size 300x450 --panels left -o "$dir/x.png"; then fail "--panels left"; fi
if render --overview 70 -o "$dir/x.png"; then fail "--overview 70"; fi
if render --overview 240 -o "$dir/x.png"; then fail "--overview 240"; fi
if render --overview 100 --size 300x450 -o "$dir/x.png"; then fail "--overview with --size"; fi
if render --size 300x450 --gps 50.5,0,90,-1 -o "$dir/x.png"; then fail "negative speed"; fi
[ ! -e "$dir/x.png" ] || fail "a picture written after an error"
echo "1 passed, 0 failed"
