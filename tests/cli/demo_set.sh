#!/usr/bin/env bash
# The demo map set: three maps that the catalogue tells apart by position and
# scale, their images, a track and an application home pointing at them.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"

"$tool" demo "$dir/demo" --synthetic --quiet
home=$dir/demo/config/mapwanderer
for m in demo_west demo_east demo_wanderby; do
  [ -s "$dir/demo/maps/$m.map" ] || fail "$m.map missing"
  "$tool" mwf2 info "$dir/demo/maps/$m.mwf2" >/dev/null || fail "$m.mwf2 does not read"
done
"$tool" mapinfo "$dir/demo/maps/demo_east.map" | grep -q '^calibration mode: 5' || fail "east map calibration"

# In Wanderby the detailed map wins; east of 3 W only the eastern map covers.
[ "$("$tool" maps --home "$home" 54.493 -3.066 | tail -n1)" = "selected: $dir/demo/maps/demo_wanderby.map" ] \
  || fail "detailed map not selected"
[ "$("$tool" maps --home "$home" 54.50 -2.95 | tail -n1)" = "selected: $dir/demo/maps/demo_east.map" ] \
  || fail "eastern map not selected"
# The two neighbours meet: just west of their shared edge is the western map.
[ "$("$tool" maps --home "$home" 54.52 -3.0001 | tail -n1)" = "selected: $dir/demo/maps/demo_west.map" ] \
  || fail "west map misses its edge"

grep -q "^Last Map,$dir/demo/maps/demo_west.map" "$home/LastMap.ini" || fail "last map"
[ "$(tail -n +7 "$dir/demo/data/demo_drive.plt" | wc -l)" -gt 200 ] || fail "track points"
echo "1 passed, 0 failed"
