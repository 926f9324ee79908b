# What the mwtool tests share; sourced, not a test of its own:
#   tool=$1; source "$2/tests/cli/cli_lib.bash"
# $dir is a scratch folder removed at the end; `mw ARGS` runs the tool with
# --home "$dir"; fail ends the test; same records a difference and lets the
# test go on (`finish` ends it, failed if anything differed); skip ends it
# with CTest's skip code 77, never as passed.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LC_ALL=C
failed=0
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
finish() { exit "$failed"; }
mw() { "$tool" "$@" --home "$dir"; }

# same NAME EXPECTED ACTUAL
same() {
    if [[ "$2" != "$3" ]]; then
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        failed=1
    fi
}

# status NAME EXPECTED_CODE COMMAND...: the command's exit code, output dropped.
status() {
    local name=$1 code=$2 rc
    shift 2
    "$@" >/dev/null 2>&1 && rc=0 || rc=$?
    same "$name: exit" "$code" "$rc"
}

need_python() { command -v python3 >/dev/null 2>&1 || skip "python3 missing"; }

# sentence BODY: "$BODY*XX" and CR LF, XX the XOR of the body's bytes.
sentence() {
    local body=$1 sum=0 i
    for ((i = 0; i < ${#body}; i++)); do
        sum=$((sum ^ $(printf '%d' "'${body:i:1}")))
    done
    printf '$%s*%02X\r\n' "$body" "$sum"
}

# The render tests' ImageMagick and test map.
# Sets $convert and $compare, or ends the test as skipped (exit 77).
need_imagemagick() {
  convert=$(command -v convert-im6.q16 || command -v convert || true)
  compare=$(command -v compare-im6.q16 || command -v compare || true)
  if [ -z "$convert" ] || [ -z "$compare" ]; then
    skip "ImageMagick missing"
  fi
}

# write_band_map TOOL DIR: DIR/area.mwf2 (levels 100 and 50) and DIR/area.map.
# A 320 x 240 picture of coloured bands and a diagonal; 51 N 1 W at its top
# left corner, 50 N 1 E at its bottom right, so image pixel (x, y) is
# 51 - y/240 N, x/160 - 1 E; the border is the picture's edge.
write_band_map() {
  local tool=$1 dir=$2
  python3 - "$dir/pic.ppm" <<'PY'
import sys
w, h = 320, 240
px = bytearray()
for y in range(h):
    for x in range(w):
        px += bytes(((x * 7) % 256, (y * 5) % 256, 255 if abs(x - y) < 3 else (x // 40) * 30))
open(sys.argv[1], "wb").write(b"P6 %d %d 255\n" % (w, h) + px)
PY
  "$convert" "$dir/pic.ppm" "$dir/pic.png"
  "$tool" mwf2 encode "$dir/pic.png" "$dir/area.mwf2" --levels 100,50 >/dev/null
  {
    printf 'Mapwanderer Map File,Version 1.0\r\nArea\r\narea.png\r\n1 ,Map Code,\r\nWGS 84,WGS 84\r\n'
    printf 'Reserved 1\r\nReserved 2\r\nMagnetic Variation,,,E\r\nMap Projection,Latitude/Longitude\r\n'
    printf 'Point01,xy,0,0,in, deg,51,0,N,1,0,W, grid,,,,N\r\n'
    printf 'Point02,xy,320,240,in, deg,50,0,N,1,0,E, grid,,,,N\r\n'
    for i in $(seq 3 30); do printf 'Point%02d,xy,,,in, deg,,,N,,,W, grid,,,,N\r\n' "$i"; done
    printf 'Projection Setup,,,,,,,,,,\r\nMM0,Yes\r\nMMPNUM,4\r\n'
    printf 'MMPXY,1,0,0\r\nMMPXY,2,320,0\r\nMMPXY,3,320,240\r\nMMPXY,4,0,240\r\n'
    printf 'MMPLL,1,-1,51\r\nMMPLL,2,1,51\r\nMMPLL,3,1,50\r\nMMPLL,4,-1,50\r\nMM1B,100\r\n'
  } > "$dir/area.map"
}
