# What the render CLI tests share: ImageMagick by its versioned name (a plain
# "convert" early on PATH may be some other tool) and a test map. Sourced by
# render_*.sh; not a test of its own.

# Sets $convert and $compare, or ends the test as skipped (exit 77).
need_imagemagick() {
  convert=$(command -v convert-im6.q16 || command -v convert || true)
  compare=$(command -v compare-im6.q16 || command -v compare || true)
  if [ -z "$convert" ] || [ -z "$compare" ]; then
    echo "ImageMagick missing: skipped"; exit 77  # CTest's skip code
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
