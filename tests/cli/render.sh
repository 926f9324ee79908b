#!/usr/bin/env bash
# mwtool render draws the map window's view: at 100 % and 50 % the picture is
# exactly the matching part of the image's level, placed as the window places
# the view centre; over it a loaded track (all of it while the GPS is off, the
# "Track Length" tail and a line to the pointer while it follows), and the
# GPS pointer at the window centre in its three styles, turned by the
# heading, with the map centred on the position.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python
need_imagemagick

write_band_map "$tool" "$dir"

write_band_map "$tool" "$dir"

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

# The centre given in degrees: 50.5 N 0 E is pixel (160, 120).
"$tool" render "$dir/area.map" --size 120x80 --zoom 100 --centre 50.5 0 -o "$dir/rdeg.png" --home "$dir"
"$convert" "$dir/level0.png" -crop 120x80+100+103 +repage "$dir/wantdeg.png"
same_picture "$dir/rdeg.png" "$dir/wantdeg.png" 60 17

# The overlays are there: the cursor cross's horizontal arm is black.
"$convert" "$dir/r100.png" -crop 1x1+52+17 -format '%[hex:u.p{0,0}]' info: | grep -qi '^000000' \
  || fail "no cursor cross at the view centre"

# Nothing but the output was written.
[ "$(ls "$dir" | sort | tr '\n' ' ')" = "area.map area.mwf2 level0.png level1.png pic.png pic.ppm r100.png r50.png rdeg.png want100.png want50.png wantdeg.png " ] \
  || fail "unexpected files: $(ls "$dir")"
if "$tool" render "$dir/area.map" --size 0x10 -o "$dir/x.png" 2>/dev/null; then fail "bad size accepted"; fi

# ---- Overlays.
# The home: default settings with a blue track (12), a fuchsia pointer (13),
# size 5, solid, and a tail of 5 points while following.
home=$dir/home
"$tool" config defaults --home "$home" >/dev/null
sed -i "s/^Track Color,.*/Track Color,12\r/; s/^Pointer Color,.*/Pointer Color,13\r/;
        s/^Track Length,.*/Track Length,5\r/; s#^File Path 1,.*#File Path 1,$dir\r#" \
  "$home/Mapwanderer1.ini"
grep -q "^Pointer Color,13" "$home/Mapwanderer1.ini" || fail "settings not edited"

# A track of two segments: 10 points along image row 100 (x 40..130), then
# 10 along row 150 (x 140..230), the first of them starting a new segment.
python3 - "$dir/track.plt" <<'PY'
import sys
lines = ["Mapwanderer CE Track Point File Version 2.0", "WGS 84", "Altitude is in Feet",
         "Reserved 3", "0,2,255,MawCE Track Log file     ,1", "0"]
for i in range(20):
    x, y = 40 + 10 * i, 100 if i < 10 else 150
    lines.append("%12.7f,%12.7f,%d,%7.0f" % (51 - y / 240, x / 160 - 1, 1 if i in (0, 10) else 0, -777))
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
PY

render() { "$tool" render "$dir/area.map" --size 320x240 --zoom 100 --home "$home" "$@" 2>/dev/null; }
# Landscape: the window centre is (160, 97). Centred on image pixel (160, 97)
# window pixels are image pixels.
render --centre-px 160 97 -o "$dir/plain.png"
render --centre-px 160 97 --track "$dir/track.plt" -o "$dir/track.png"
# Following a fix at image pixel (160, 60): window = image + (0, 37).
render --gps 50.75,0,0 --track "$dir/track.plt" -o "$dir/follow.png"
render --gps 50.75,0,0 -o "$dir/arrow0.png"
render --gps 50.75,0,-270 -o "$dir/arrow90.png"
render --gps 50.75,0 -o "$dir/noheading.png"
render --gps 50.75,0,90 --pointer circle -o "$dir/circle90.png"
render --gps 50.75,0,0 --pointer user -o "$dir/user-none.png"
printf '; a bar across the position\r\n-30,0\r\n30,0\r\n30,8\r\n-30,8\r\n' > "$home/userPointer1.dat"
render --gps 50.75,0,0 --pointer user -o "$dir/user.png"
render --gps 50.75,0,0 --pointer arrow -o "$dir/arrow-with-user-file.png"
# The map under the pointer: centred on the fix as on the same point by degrees.
render --gps 50.5,-0.5,45 -o "$dir/gps-sw.png"
render --centre 50.5 -0.5 -o "$dir/centre-sw.png"
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
BLUE, FUCHSIA, BLACK = (0, 0, 255), (255, 0, 255), (0, 0, 0)
errors = []
def expect(cond, what):
    if not cond:
        errors.append(what)
def near(img, x, y, colour, r=1):
    return any(img(x + i, y + j) == colour for i in range(-r, r + 1) for j in range(-r, r + 1))

plain, track, follow = load("plain"), load("track"), load("follow")
# Not following: the whole track, 2 pixels wide on rows 99-100 and 149-150.
for x in range(42, 130, 4):
    expect(track(x, 100) == BLUE and track(x, 99) == BLUE, "track row 100 at x %d" % x)
    expect(plain(x, 100) != BLUE, "the map itself is blue at (%d, 100)" % x)
    expect(track(x, 90) != BLUE, "track too wide at x %d" % x)
for x in range(142, 230, 4):
    expect(track(x, 150) == BLUE, "track row 150 at x %d" % x)
# The new segment is not joined to the one before: nothing between (130, 100)
# and (140, 150).
for t in (0.25, 0.5, 0.75):
    expect(not near(track, int(130 + 10 * t), int(100 + 50 * t), BLUE), "segments joined at %.2f" % t)
# No GPS: the cursor cross at the centre, no pointer.
expect(track(150, 97) == BLACK, "no cursor cross while the GPS is off")
expect(all(track(x, y) != FUCHSIA for x in range(130, 190) for y in range(70, 130)), "a pointer without --gps")

# Following: the newest 5 points only (row 150 = window row 187), then a line
# from the newest point (230, 187) to the pointer at (160, 97).
for x in range(192, 230, 4):
    expect(follow(x, 187) == BLUE, "tail at x %d" % x)
for x in range(42, 175, 4):
    expect(follow(x, 187) != BLUE and follow(x, 137) != BLUE, "more than the tail at x %d" % x)
for t in (0.25, 0.5, 0.75):
    expect(near(follow, int(230 - 70 * t), int(187 - 90 * t), BLUE), "no line to the pointer at %.2f" % t)
expect(follow(150, 97) != BLACK, "a cursor cross over the pointer")

# The pointer at the window centre (160, 97). Arrow, heading 0: its body
# (x -4..4, y 11..32 below the tip) below the centre; -270 is 90: the body
# left of the centre; no heading: the circle, hollow, with a cross.
a0, a90, circ, c90 = load("arrow0"), load("arrow90"), load("noheading"), load("circle90")
expect(a0(162, 125) == FUCHSIA and a0(160, 110) == FUCHSIA, "arrow 0 body")
expect(a0(162, 69) != FUCHSIA and a0(132, 99) != FUCHSIA, "arrow 0 elsewhere")
expect(a90(132, 99) == FUCHSIA and a90(147, 97) == FUCHSIA, "arrow 90 body")
expect(a90(162, 125) != FUCHSIA, "arrow 90 still points north")
for img, name in ((circ, "no heading"), (c90, "--pointer circle")):
    expect(img(160, 97) == FUCHSIA and img(160 + 20, 97) == FUCHSIA, "%s: no circle cross" % name)
    expect(img(162, 125) != FUCHSIA and img(132, 99) != FUCHSIA, "%s: an arrow" % name)
    expect(img(165, 102) != FUCHSIA, "%s: circle filled" % name)
# "User": the outline from userPointer1.dat, the arrow without the file.
user, user_none, arrow_file = load("user"), load("user-none"), load("arrow-with-user-file")
expect(user(185, 102) == FUCHSIA and user(135, 102) == FUCHSIA, "user outline")
expect(user(162, 125) != FUCHSIA, "user pointer drew the arrow")
for img, name in ((user_none, "user without a file"), (arrow_file, "--pointer arrow")):
    expect(img(162, 125) == FUCHSIA and img(185, 102) != FUCHSIA, "%s: not the arrow" % name)

# Centred on the fix: the map is the one centred on the same degrees, apart
# from the centre's overlays and the zoom caption.
g, c = load("gps-sw"), load("centre-sw")
diff = [(x, y) for y in range(240) for x in range(320)
        if g(x, y) != c(x, y) and not (120 <= x <= 200 and 57 <= y <= 137) and not (x <= 70 and y <= 22)]
expect(not diff, "the --gps view is not centred on the fix: %d pixels differ, e.g. %s" % (len(diff), diff[:3]))
expect(g(160, 97) != c(160, 97) or g(160, 110) != c(160, 110), "no pointer at (50.5, -0.5)")
if errors:
    print("\n".join(errors))
    sys.exit(1)
PY

# Usage errors and a missing track.
if render --gps 50.75,0 --centre-px 1 1 -o "$dir/x.png"; then fail "--gps with --centre-px"; fi
if render --gps 50.75 -o "$dir/x.png"; then fail "--gps without a longitude"; fi
if render --gps 95,0 -o "$dir/x.png"; then fail "--gps latitude 95"; fi
if render --gps 50.75,0,x -o "$dir/x.png"; then fail "--gps heading x"; fi
if render --gps 50.75,0 --pointer star -o "$dir/x.png"; then fail "--pointer star"; fi
if render --centre-px 1 1 --pointer arrow -o "$dir/x.png"; then fail "--pointer without --gps"; fi
if render --centre-px 1 1 --track "$dir/none.plt" -o "$dir/x.png"; then fail "missing track"; fi
[ ! -e "$dir/x.png" ] || fail "a picture written after an error"
# The home holds what it held: render writes nothing there.
[ "$(ls "$home" | sort | tr '\n' ' ')" = "Mapwanderer1.ini mapwanderer2.ini userPointer1.dat " ] \
  || fail "home: $(ls "$home")"
echo "1 passed, 0 failed"
