#!/usr/bin/env bash
# mwtool nmea and sim read their input as it arrives: a position is printed
# while the writer is still connected, an endless input runs in bounded
# memory, and an input that cannot be read is an error.
set -uo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"

rmc='$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A'

# One sentence through a pipe whose writer stays open: the line must come out
# before the input ends.
mkfifo "$dir/feed"
"$tool" nmea "$dir/feed" > "$dir/out" &
reader=$!
exec 3> "$dir/feed"
printf '%s\r\n' "$rmc" >&3
for _ in $(seq 50); do
  [ "$(wc -l < "$dir/out")" -ge 2 ] && break
  sleep 0.1
done
lines=$(wc -l < "$dir/out")
exec 3>&-
wait "$reader" || fail "nmea from a pipe failed"
[ "$lines" -ge 2 ] || fail "no position while the writer was open: $(cat "$dir/out")"

# An endless input in 400 MB of address space: decoding goes on until it is
# stopped, where gathering the input first ran out of memory.
"$tool" demo "$dir/demo" --synthetic > /dev/null 2>&1 || fail "demo set"
for cmd in "nmea /dev/zero" "sim --home $dir/demo/config/mapwanderer --feed /dev/zero"; do
  ( ulimit -v 400000; exec timeout 2 "$tool" $cmd > /dev/null 2> "$dir/err" )
  rc=$?
  [ "$rc" -eq 124 ] || fail "$cmd: exit $rc, expected to run until stopped: $(head -c 300 "$dir/err")"
done

# A folder is no input.
if "$tool" nmea "$dir" > /dev/null 2> "$dir/err"; then fail "nmea on a folder succeeded"; fi
grep -q "cannot read" "$dir/err" || fail "folder message: $(cat "$dir/err")"
echo "ok"
