#!/usr/bin/env bash
# mwtool listen: a port opened as the program opens it. A FIFO stands in for
# the receiver's device (no terminal settings apply to it).
set -euo pipefail
tool=$1
tmp=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkfifo "$tmp/gps"
"$tool" listen --home "$tmp/h" --device "$tmp/gps" --baud 9600 --seconds 1 > "$tmp/out" 2> "$tmp/err" &
pid=$!
# Opening the FIFO for writing waits until listen has opened it.
{
  printf '$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n'
  sleep 0.3
  printf '$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n'
} > "$tmp/gps"
wait "$pid" || fail "listen failed: $(cat "$tmp/err")"
pid=
head -n1 "$tmp/out" | grep -q '^lat,lon,date,time,' || fail "header"
grep -qx '48.117300000,11.516666667,230394,123519,41.484800,84.400000,87.500000,-3.100000,1789.348320,1,8,0.900000,0,ON ' "$tmp/out" \
  || fail "position line: $(cat "$tmp/out")"

set +e
"$tool" listen --home "$tmp/h" --device "$tmp/none" --seconds 1 > /dev/null 2> "$tmp/err"
[ $? -eq 1 ] || fail "missing device"
grep -q 'Unable to open port' "$tmp/err" || fail "message: $(cat "$tmp/err")"
"$tool" listen --home "$tmp/h" --baud 1234 --seconds 1 2>/dev/null; [ $? -eq 2 ] || fail "bad baud"
"$tool" listen --home "$tmp/h" --port 11 --seconds 1 2>/dev/null; [ $? -eq 2 ] || fail "bad port"
set -e
echo "1 passed, 0 failed"
