#!/usr/bin/env bash
# mwtool map calibrate on a picture whose true calibration is known: a view
# of the demo map "Wanderby" drawn by mwtool render, so the true pixel of any
# position is the demo map's pixel less the view's corner. Calibrated from 2,
# 3 and 6 of its points (some typed as British or UTM grid references), the
# map it writes must put 50 random positions within a pixel of the truth; a
# point moved by 40 pixels must show the largest residual, and switching it
# off must bring the rms back under a pixel. Bad input writes nothing.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python
convert=$(command -v convert-im6.q16 || command -v convert || true)
compare=$(command -v compare-im6.q16 || command -v compare || true)
[ -n "$convert" ] && [ -n "$compare" ] || skip "ImageMagick missing"

mw demo "$dir/demo" --synthetic --quiet >/dev/null
demo=$dir/demo/maps/demo_wanderby.map
# A 1000 x 800 landscape window centred on image pixel (800, 850): the view
# centre sits 23 pixels above the middle, so the corner is (300, 473).
cx=300 cy=473
mw render "$demo" --size 1000x800 --zoom 100 --centre-px 800 850 -o "$dir/pic.png"
# The corner is checked, not trusted: the picture is the image's own pixels
# there, apart from the zoom caption and the cursor cross.
mw mwf2 decode "$dir/demo/maps/demo_wanderby.mwf2" -o "$dir/level0.png"
"$convert" "$dir/level0.png" -crop 1000x800+$cx+$cy +repage "$dir/want.png"
mask=(-fill black -draw "rectangle 0,0 70,22" -draw "rectangle 487,364 513,390")
"$convert" "$dir/pic.png" "${mask[@]}" "$dir/a.png"
"$convert" "$dir/want.png" "${mask[@]}" "$dir/b.png"
diff=$("$compare" -metric AE "$dir/a.png" "$dir/b.png" null: 2>&1 || true)
[ "$diff" = 0 ] || fail "the rendered view is not the image at ($cx, $cy): $diff pixels differ"

# truth LAT LON: the position's pixel in the picture.
truth() {
    local x y
    read -r x y < <(mw pixel "$demo" "$1" "$2")
    echo "$((x - cx)),$((y - cy))"
}
bng() { mw convert --format BNG "$1" "$2"; }
utm() { mw convert --format UTM "$1" "$2"; }

# Six places spread over the picture (which spans about 54.4872..54.5015 N,
# 3.0757..3.0448 W); three typed as degrees, two as British grid references,
# one as UTM.
lat=(54.5000 54.4890 54.4985 54.4900 54.4950 54.4880)
lon=(-3.0720 -3.0480 -3.0500 -3.0700 -3.0600 -3.0580)
text=("${lat[0]},${lon[0]}" "$(bng "${lat[1]}" "${lon[1]}")" "$(utm "${lat[2]}" "${lon[2]}")"
      "${lat[3]} ${lon[3]}" "$(bng "${lat[4]}" "${lon[4]}")" "${lat[5]},${lon[5]}")
for i in 0 1 2 3 4 5; do px[$i]=$(truth "${lat[$i]}" "${lon[$i]}"); done

# 50 random positions inside the picture (a fixed seed), with their truth.
python3 -c 'import random
random.seed(32)
for _ in range(50):
    print("%.7f %.7f" % (random.uniform(54.4880, 54.5008), random.uniform(-3.0750, -3.0455)))' \
    > "$dir/random.txt"
mw pixel "$demo" < "$dir/random.txt" > "$dir/true_demo.txt"

# within_a_pixel NAME MAP: the largest distance between the map's pixel and
# the truth over the 50 positions is at most 1 pixel on each axis.
within_a_pixel() {
    mw pixel "$2" < "$dir/random.txt" > "$dir/got.txt"
    local worst
    worst=$(python3 -c 'import sys
t = [tuple(map(int, l.split())) for l in open(sys.argv[1])]
g = [tuple(map(int, l.split())) for l in open(sys.argv[2])]
assert len(t) == len(g) == 50
print(max(max(abs(a[0] - int(sys.argv[3]) - b[0]), abs(a[1] - int(sys.argv[4]) - b[1])) for a, b in zip(t, g)))' \
        "$dir/true_demo.txt" "$dir/got.txt" "$cx" "$cy")
    echo "$1: largest error $worst px"
    [ "$worst" -le 1 ] || { echo "FAILED: $1: a position $worst pixels off"; failed=1; }
}

points() {  # points I J ...: --point options for those places
    local args=() i
    for i in "$@"; do args+=(--point "${px[$i]},${text[$i]}"); done
    printf '%s\0' "${args[@]}"
}
calibrate() {  # calibrate NAME [OPTIONS] -- PLACES...
    local name=$1 opts=()
    shift
    while [ "$1" != -- ]; do opts+=("$1"); shift; done
    shift
    mapfile -d '' pts < <(points "$@")
    mw map calibrate "$dir/pic.png" "${pts[@]}" "${opts[@]}" -o "$dir/$name"
}

# Two points fix scales along the axes only: the map's own projection
# (latitude/longitude) has no rotation; a grid reference is still taken.
calibrate two --projection latitude -- 0 1 > "$dir/two.txt"
same "two points: lines" 3 "$(wc -l < "$dir/two.txt")"
within_a_pixel "2 points" "$dir/two.map"
[ -s "$dir/two.mwf2" ] || fail "no image written beside two.map"

# Three and six points in the projection the first grid reference implies
# (British National Grid, rotated against the picture by its convergence).
calibrate three -- 0 1 2 > "$dir/three.txt"
same "three points: projection" "projection: (BNG) British National Grid (5)" \
    "$(mw mapinfo "$dir/three.map" | grep '^projection:')"
within_a_pixel "3 points" "$dir/three.map"
calibrate six -- 0 1 2 3 4 5 > "$dir/six.txt"
within_a_pixel "6 points" "$dir/six.map"
same "six points: mode" "calibration mode: 5" "$(mw mapinfo "$dir/six.map" | grep '^calibration mode:')"

# The catalogue finds the new map for a position on it.
sel=$(mw maps --dir "$dir" 54.495 -3.06 | grep '^selected:' || true)
[[ "$sel" == *"/six.map" || "$sel" == *"/three.map" || "$sel" == *"/two.map" ]] ||
    fail "the catalogue does not select a calibrated map: $sel"

# Point 4 moved by 40 pixels: it shows the largest residual (about 40 px
# between it and the others' fit), and switching it off brings the rms
# under a pixel.
IFS=, read -r x4 y4 <<< "${px[3]}"
px[3]="$((x4 + 40)),$y4"
calibrate moved -- 0 1 2 3 4 5 > "$dir/moved.txt" 2> "$dir/moved.err"
worst=$(python3 -c 'import sys
rows = [l.strip().split(",") for l in open(sys.argv[1]) if not l.startswith("rms")]
print(max(rows, key=lambda r: float(r[4]))[0])' "$dir/moved.txt")
same "moved point has the largest residual" 4 "$worst"
same "moved point named" "mwtool: largest residual: point 4" "$(cat "$dir/moved.err")"
rms=$(tail -1 "$dir/moved.txt" | cut -d, -f3)
python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) > 5 else 1)' "$rms" ||
    fail "a point 40 px off leaves the rms at $rms px"
calibrate off --off 4 -- 0 1 2 3 4 5 > "$dir/off.txt"
rms=$(tail -1 "$dir/off.txt" | cut -d, -f3)
echo "rms with point 4 off: $rms px"
python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) < 1 else 1)' "$rms" ||
    fail "switching the moved point off leaves the rms at $rms px"
res4=$(sed -n 4p "$dir/off.txt" | cut -d, -f5)
python3 -c 'import sys; sys.exit(0 if 38 < float(sys.argv[1]) < 42 else 1)' "$res4" ||
    fail "the switched-off point should lie about 40 px from the fit, not $res4"
within_a_pixel "6 points, the moved one off" "$dir/off.map"
grep -q '^Point04,xy,.*,ex, deg,' "$dir/off.map" || fail "the switched-off point is not kept as off"

# ---- Bad input: a clear reason, exit 1, and nothing written.
p0=${px[0]} p1=${px[1]}
bad() {  # bad NAME EXPECTED_TEXT ARGS...
    local name=$1 want=$2 rc=0
    shift 2
    rm -f "$dir/bad.map" "$dir/bad.mwf2"
    mw map calibrate "$dir/pic.png" "$@" -o "$dir/bad" > /dev/null 2> "$dir/bad.err" || rc=$?
    same "$name: exit" 1 "$rc"
    grep -qF "$want" "$dir/bad.err" || { echo "FAILED: $name: said $(cat "$dir/bad.err")"; failed=1; }
    [ ! -e "$dir/bad.map" ] && [ ! -e "$dir/bad.mwf2" ] || { echo "FAILED: $name wrote files"; failed=1; }
}
bad "one point" "At least 2 points are needed" --point "$p0,${text[0]}"
bad "same pixel" "Points 1 and 2 are at the same pixel" --point "$p0,${text[0]}" --point "$p0,${text[1]}"
bad "same place" "Points 1 and 2 are at the same place" --point "$p0,${text[0]}" --point "$p1,${text[0]}"
bad "on a line" "Points 1, 2 and 3 lie on one line" --point "100,100,54.50,-3.07" \
    --point "200,200,54.49,-3.06" --point "300,300,54.495,-3.05"
bad "outside the picture" "Point 2 (1000, 20) lies outside the picture (1000 x 800)" \
    --point "$p0,${text[0]}" --point "1000,20,54.49,-3.05"
bad "outside the projection" "Point 2 lies outside the area of the projection (BNG)" \
    --point "$p0,${text[1]}" --point "500,500,-33.9,151.2"
bad "not a position" "Point 2: not a position in BNG (for example TQ 30010 80530)" --format BNG \
    --point "$p0,${text[1]}" --point "500,500,QQ 123 45"
bad "two points in one row" "lie in one row of the picture" --point "100,100,54.50,-3.07" \
    --point "600,100,54.49,-3.05"
finish
