#!/usr/bin/env bash
# The demo set of `make run`: the world and three neighbouring relief sheets
# of Europe from marble-qt-data, which the catalogue tells apart by place and
# scale, so that panning off one sheet loads the next.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
[ -d /usr/share/marble/data/maps/earth/srtm/3 ] || skip "marble-qt-data is not installed"

"$tool" demo "$dir/demo" --quiet
home=$dir/demo/config/mapwanderer
maps=$dir/demo/maps
selected() { "$tool" maps --home "$home" "$1" "$2" | tail -n1; }
[ "$(selected 48 5)" = "selected: $maps/europe_central.map" ] || fail "central sheet"
[ "$(selected 48 -10)" = "selected: $maps/europe_west.map" ] || fail "western sheet"
[ "$(selected 48 30)" = "selected: $maps/europe_east.map" ] || fail "eastern sheet"
[ "$(selected 10 5)" = "selected: $maps/world.map" ] || fail "world outside the sheets"
"$tool" mwf2 info "$maps/world.mwf2" | grep -q 2700 || fail "world image size"
grep -q "^Last Map,$maps/europe_west.map" "$home/LastMap.ini" || fail "last map"
[ "$(tail -n +7 "$dir/demo/data/demo_drive.plt" | wc -l)" -gt 200 ] || fail "demo drive"
echo "1 passed, 0 failed"
