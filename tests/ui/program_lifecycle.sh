#!/usr/bin/env bash
# Starts the program as a user would: a second start hands over to the first
# and ends with 0; SIGTERM makes the first write its view settings and end.
set -euo pipefail
program=$1
scratch=$(mktemp -d)
trap 'kill -9 $pid 2>/dev/null || true; rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp
mkdir -p "$HOME" "$TMPDIR"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$program" >"$scratch/first.log" 2>&1 &
pid=$!
# Wait until the first instance listens (its socket appears).
for _ in $(seq 100); do
  ls "$TMPDIR"/mapwanderer-* >/dev/null 2>&1 && break
  sleep 0.1
done
kill -0 $pid 2>/dev/null || fail "the program did not start: $(cat "$scratch/first.log")"

timeout 20 "$program" >"$scratch/second.log" 2>&1 || fail "second start exited $?"
kill -0 $pid 2>/dev/null || fail "the first instance ended"

kill -TERM $pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "SIGTERM did not end the program"
wait $pid || true

ini=$XDG_CONFIG_HOME/mapwanderer/mapwanderer2.ini
[ -f "$ini" ] || fail "mapwanderer2.ini was not written"
[ "$(wc -l < "$ini")" -eq 22 ] || fail "mapwanderer2.ini has $(wc -l < "$ini") lines"
tail -n1 "$ini" | grep -q $'^End End End\r$' || fail "no End End End with CR LF"
echo "1 passed, 0 failed"
