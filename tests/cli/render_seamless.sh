#!/usr/bin/env bash
# mwtool render --seamless on the synthetic demo set: with the view on the
# western sheet's eastern edge, the eastern sheet fills the rest of the
# window (no white inside the two sheets), its pixels where the eastern
# sheet's own render puts them (within a pixel); --seamless 0 leaves the
# white margin, and the default is on.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python
convert=$(command -v convert-im6.q16 || command -v convert || true)
[ -n "$convert" ] || skip "ImageMagick missing"

"$tool" demo "$dir/demo" --synthetic --quiet >/dev/null 2>&1 || fail "demo set not written"
home=$dir/demo/config/mapwanderer
maps=$dir/demo/maps
render() { "$tool" render "$@" --size 800x600 --home "$home"; }
# 54.50 N 3.01 W: the sheets meet at 3.00 W, about 129 pixels right of the centre.
render "$maps/demo_west.map" --centre 54.50 -3.01 -o "$dir/on.png"
render "$maps/demo_west.map" --centre 54.50 -3.01 --seamless 1 -o "$dir/on1.png"
render "$maps/demo_west.map" --centre 54.50 -3.01 --seamless 0 -o "$dir/off.png"
# Far enough east that the window shows the eastern sheet alone, both ways.
render "$maps/demo_west.map" --centre 54.50 -2.96 -o "$dir/far.png"
render "$maps/demo_east.map" --centre 54.50 -2.96 --seamless 0 -o "$dir/east.png"
"$tool" render "$maps/demo_west.map" --size 80x60 --seamless 2 -o "$dir/x.png" \
    --home "$home" 2>/dev/null && fail "--seamless 2 was taken"
cmp -s "$dir/on.png" "$dir/on1.png" || fail "the default is not --seamless 1"
for f in on off far east; do "$convert" "$dir/$f.png" "$dir/$f.ppm"; done

python3 - "$dir" <<'PY' || fail "seamless render"
import sys
d = sys.argv[1]
def load(name):
    data = open(f"{d}/{name}.ppm", "rb").read()
    parts = data.split(b"\n", 3)  # P6, size, maxval, pixels
    w, h = map(int, parts[1].split())
    px = parts[3]
    return w, h, lambda x, y: px[3 * (y * w + x):3 * (y * w + x) + 3]
w, h, on = load("on")
_, _, off = load("off")
_, _, far = load("far")
_, _, east = load("east")
white = b"\xff\xff\xff"
blank = off(w - 1, h // 2)
# The sheets' shared edge: where the western sheet's render turns blank.
edge = min(next(x for x in range(w) if all(off(u, y) == blank for u in range(x, w)))
           for y in range(0, h, 50))
assert 500 < edge < 560, f"edge at {edge}"
# The zoom caption sits in a white box at the top left: left out.
def caption(x, y): return x < 60 and y < 25
blank_off = sum(off(x, y) == blank for y in range(h) for x in range(edge + 2, w))
assert blank_off == (w - edge - 2) * h, f"--seamless 0 fills {(w - edge - 2) * h - blank_off} margin pixels"
white_on = sum(on(x, y) == white for y in range(h) for x in range(w) if not caption(x, y))
gaps = sum(on(x, y) == blank for y in range(h) for x in range(edge - 2, w))
assert white_on == 0 and gaps == 0, f"{white_on} white, {gaps} blank pixels with --seamless 1"
# The eastern sheet drawn into the western one's window is where its own
# render puts it.
miss = total = 0
for y in range(1, h - 1, 3):
    for x in range(61, w - 1, 3):
        total += 1
        if not any(far(x, y) == east(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
            miss += 1
assert miss <= total // 100, f"{miss} of {total} pixels off by more than a pixel"
# West of it, the western sheet's own pixels, exactly.
diff = sum(on(x, y) != off(x, y) for y in range(h) for x in range(0, edge - 2))
assert diff == 0, f"{diff} pixels of the loaded sheet changed"
PY
finish
