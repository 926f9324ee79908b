#!/usr/bin/env bash
# Opening files as the desktop does: `mapwanderer FILE` while the program
# runs hands FILE to it (a relative name is taken from the caller's folder)
# and ends with 0; the running program loads the map, which its recent-maps
# list then starts with. A SIGTERM (a logout) still saves the view settings.
set -euo pipefail
src=$1 program=$2 mwtool=$3
. "$src/tests/packaging/lib.bash"
scratch=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$TMPDIR"

"$mwtool" demo "$scratch/demo" --synthetic --quiet || fail "mwtool demo failed"
maps=$scratch/demo/maps
mapfiles=("$maps"/*.map)
[ ${#mapfiles[@]} -ge 2 ] || fail "the demo made fewer than two maps"
first=${mapfiles[0]} second=${mapfiles[1]}
recent=$XDG_CONFIG_HOME/mapwanderer/mrumaps.ini

"$program" "$first" >"$scratch/first.log" 2>&1 &
pid=$!
wait_for_line1() {
  for _ in $(seq 150); do
    [ -f "$recent" ] && [ "$(head -n1 "$recent" | tr -d '\r')" = "$1" ] && return 0
    kill -0 $pid 2>/dev/null || fail "the program ended: $(cat "$scratch/first.log")"
    sleep 0.1
  done
  fail "the map $1 was not loaded; recent maps: $(cat "$recent" 2>/dev/null)"
}
wait_for_line1 "$first"

(cd "$maps" && timeout 20 "$program" "$(basename "$second")") >"$scratch/second.log" 2>&1 ||
  fail "the second start exited $?: $(cat "$scratch/second.log")"
kill -0 $pid 2>/dev/null || fail "the first program ended"
wait_for_line1 "$second"

ini=$XDG_CONFIG_HOME/mapwanderer/mapwanderer2.ini
rm -f "$ini"
terminate $pid "the program"
pid=
tail -n1 "$ini" 2>/dev/null | grep $'^End End End\r$' >/dev/null || fail "SIGTERM left no whole mapwanderer2.ini"
echo "1 passed, 0 failed"
