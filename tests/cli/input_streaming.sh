#!/usr/bin/env bash
# mwtool nmea and sim read their input as it arrives: an endless input runs
# in bounded memory, and an input that cannot be read is an error.
set -uo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"

# An endless input in 400 MB of address space: decoding goes on until it is
# stopped, where gathering the input first ran out of memory.
"$tool" demo "$dir/demo" --synthetic > /dev/null 2>&1 || fail "demo set"
# AddressSanitizer reserves terabytes of address space at start, so under it
# only the endless run is checked, not the bound.
limit="ulimit -v 400000"
ldd "$tool" 2>/dev/null | grep libasan >/dev/null && limit=:
for cmd in "nmea /dev/zero" "sim --home $dir/demo/config/mapwanderer --feed /dev/zero"; do
  ( $limit; exec timeout 2 "$tool" $cmd > /dev/null 2> "$dir/err" )
  rc=$?
  [ "$rc" -eq 124 ] || fail "$cmd: exit $rc, expected to run until stopped: $(head -c 300 "$dir/err")"
done

# A folder is no input.
if "$tool" nmea "$dir" > /dev/null 2> "$dir/err"; then fail "nmea on a folder succeeded"; fi
grep -q "cannot read" "$dir/err" || fail "folder message: $(cat "$dir/err")"
echo "ok"
