#!/usr/bin/env bash
# mwtool maps: the covering maps in search order and the one selection takes.
set -euo pipefail
tool=$1
repo=$2
source "$repo/tests/cli/map_lib.bash"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export HOME=$dir/userhome
mkdir -p "$HOME" "$dir/A" "$dir/B"
home=$dir/app

write_box_map "$dir/A/coarse.map" 50 10 51 11 10
write_box_map "$dir/A/b.map" 50 10 51 11 5
write_box_map "$dir/A/a.map" 50 10 51 11 5
write_box_map "$dir/A/static.map" 50 10 51 11 1 No
write_box_map "$dir/B/unscaled.map" 50 10 51 11 -
write_box_map "$dir/B/north.map" 60 10 61 11 1

out=$("$tool" maps --dir "$dir/A" --dir "$dir/B" 50.5 10.5 --home "$home")
expected="5 $dir/A/a.map
5 $dir/A/b.map
10 $dir/A/coarse.map
99999 $dir/B/unscaled.map
selected: $dir/A/a.map"
[ "$out" = "$expected" ] || fail "search order and tie break: $out"

# The loaded map is listed but never chosen; within 2 % it stays.
out=$("$tool" maps --dir "$dir/A" --loaded "$dir/A/a.map" --current-scale 5 50.5 10.5 --home "$home")
echo "$out" | grep -qxF "5 $dir/A/a.map (loaded)" || fail "loaded map marked"
[ "$(echo "$out" | tail -n1)" = "selected: none" ] || fail "2 % rule keeps the loaded map"
out=$("$tool" maps --dir "$dir/A" --loaded "$dir/A/a.map" --current-scale 5.2 50.5 10.5 --home "$home")
[ "$(echo "$out" | tail -n1)" = "selected: $dir/A/b.map" ] || fail "a better map wins"
# A relative --loaded names the same file.
out=$(cd "$dir" && "$tool" maps --dir A --loaded A/a.map 50.5 10.5 --home "$home")
[ "$(echo "$out" | tail -n1)" = "selected: $dir/A/b.map" ] || fail "relative loaded path"

[ "$("$tool" maps --dir "$dir/A" 0 0 --home "$home")" = "selected: none" ] || fail "nothing covers"

# Without --dir the folders come from the configuration in the home.
"$tool" config defaults --home "$home" >/dev/null
sed -i "s|^Map Path 1,.*\r\$|Map Path 1,$dir/B\r|" "$home/Mapwanderer1.ini"
out=$("$tool" maps 60.5 10.5 --home "$home")
[ "$out" = "1 $dir/B/north.map
selected: $dir/B/north.map" ] || fail "configured folders: $out"

if "$tool" maps --dir "$dir/A" 50.5 --home "$home" 2>/dev/null; then fail "one coordinate accepted"; fi
echo "1 passed, 0 failed"
