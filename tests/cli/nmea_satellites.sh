#!/usr/bin/env bash
# mwtool nmea --satellites: after each complete set of a talker, that
# talker's whole table, from a log of a GPS + GLONASS + Galileo receiver.
set -euo pipefail
tool=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# "$" body "*" checksum (XOR of the body's bytes, two upper-case hex digits).
sentence() {
    local body=$1 sum=0 i
    for ((i = 0; i < ${#body}; i++)); do
        sum=$((sum ^ $(printf '%d' "'${body:i:1}")))
    done
    printf '$%s*%02X\r\n' "$body" "$sum"
}

{
    sentence 'GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W'
    sentence 'GPGSV,2,1,05,02,45,120,40,05,10,300,22,12,80,010,45,15,05,200,00'
    sentence 'GPGSV,2,2,05,24,30,060,38'
    sentence 'GLGSV,1,1,03,67,20,090,33,68,50,180,37,77,,,25'
    sentence 'GAGSV,1,1,02,05,40,045,36,19,15,315,30,7'
    # Message 1 of a new GPS set, never finished: nothing printed for it.
    sentence 'GPGSV,2,1,05,02,46,121,41'
} > "$tmp/multi.nmea"

expected='set,GP,5
GP,2,45,120,40
GP,5,10,300,22
GP,12,80,10,45
GP,15,5,200,0
GP,24,30,60,38
set,GL,3
GL,67,20,90,33
GL,68,50,180,37
GL,77,,,25
set,GA,2
GA,5,40,45,36
GA,19,15,315,30'
out=$("$tool" nmea --satellites "$tmp/multi.nmea")
[ "$out" = "$expected" ] || fail "satellite tables:
$out"
[ "$("$tool" nmea --satellites - < "$tmp/multi.nmea")" = "$out" ] || fail "standard input differs"

# Without the option the same log gives positions only.
out=$("$tool" nmea "$tmp/multi.nmea")
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "positions without --satellites: $out"

# In Garmin PVT mode there are no NMEA satellites.
[ -z "$("$tool" nmea --source 3 --satellites "$tmp/multi.nmea")" ] || fail "PVT mode printed satellites"
echo ok
