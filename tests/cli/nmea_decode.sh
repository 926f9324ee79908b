#!/usr/bin/env bash
# mwtool nmea: recorded receiver bytes through the program's framing,
# dispatcher and parsers, one CSV line per position handed on.
set -euo pipefail
tool=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

header='lat,lon,date,time,speed,trueCourse,magneticCourse,magneticVariation,altitudeFeet,fixQuality,satellitesInUse,hdop,dgpsAge,status'
rmc='$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A'
gga='$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47'
printf 'noise%s\r\n%s\r\n' "$gga" "$rmc" > "$tmp/in.nmea"

# 48°07.038' N, 11°31' E; 22.4 kn = 41.4848 km/h; 3.1° W turns 84.4 true into
# 87.5 magnetic; 545.4 m = 1789.34832 ft; the quality of the GGA before it.
expected='48.117300000,11.516666667,230394,123519,41.484800,84.400000,87.500000,-3.100000,1789.348320,1,8,0.900000,0,ON '
out=$("$tool" nmea "$tmp/in.nmea")
[ "$(echo "$out" | head -n1)" = "$header" ] || fail "header"
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "one position from RMC: $out"
[ "$(echo "$out" | tail -n1)" = "$expected" ] || fail "RMC line: $(echo "$out" | tail -n1)"
[ "$("$tool" nmea - < "$tmp/in.nmea")" = "$out" ] || fail "standard input differs from FILE"

out=$("$tool" nmea --speed-unit 2 "$tmp/in.nmea" | tail -n1)
[ "$(echo "$out" | cut -d, -f5)" = "22.400000" ] || fail "knots: $out"

# Source 1 takes GGA and ignores RMC: no date in GGA, so the device's date.
out=$("$tool" nmea --source 1 "$tmp/in.nmea")
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "source 1 positions: $out"
line=$(echo "$out" | tail -n1)
[ "$(echo "$line" | cut -d, -f1,2,4)" = "48.117300000,11.516666667,123519" ] || fail "GGA position: $line"
[ "$(echo "$line" | cut -d, -f3)" = "$(date -u +%d%m%y)" ] || fail "device date: $line"
[ "$(echo "$line" | cut -d, -f5,6)" = "0.000000,-777.000000" ] || fail "no speed without VTG: $line"

# A lower-case checksum fails only while checksums are checked.
printf '%s\r\n' "${rmc%6A}6a" > "$tmp/lower.nmea"
[ "$("$tool" nmea "$tmp/lower.nmea" | wc -l)" -eq 1 ] || fail "lower-case checksum accepted"
[ "$("$tool" nmea --checksum 0 "$tmp/lower.nmea" | wc -l)" -eq 2 ] || fail "checksum off"

# $GN talkers of today's receivers.
checksum() {
  local s=$1 x=0 i c
  for ((i = 0; i < ${#s}; i++)); do printf -v c '%d' "'${s:i:1}"; x=$((x ^ c)); done
  printf '%02X' "$x"
}
body='GNRMC,1,A,4807.038,S,01131.000,W,,,010100,,'
printf '$%s*%s\r\n' "$body" "$(checksum "$body")" > "$tmp/gn.nmea"
out=$("$tool" nmea "$tmp/gn.nmea" | tail -n1)
[ "$(echo "$out" | cut -d, -f1-4)" = "-48.117300000,-11.516666667,010100,1" ] || fail "GNRMC: $out"
[ "$(echo "$out" | cut -d, -f6-8)" = "-777.000000,-777.000000,-777.000000" ] || fail "empty course: $out"

# Garmin PVT frames (source 3): latitude 0.5 rad, longitude -0.25 rad,
# 3 m/s north, 100 m + 21.92 m above sea level = 400 ft. A frame of another
# packet type before it changes nothing.
printf '\x10\x0c\x02\x10\x10\x01\x00\x10\x03' > "$tmp/pvt.bin"
printf '\x10\x33\x40\x00\x00\xc8\x42\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xe0\x3f\x00\x00\x00\x00\x00\x00\xd0\xbf\x00\x00\x00\x00\x00\x00\x40\x40\x00\x00\x00\x00\x29\x5c\xaf\x41\x00\x00\x00\x00\x00\x00\xe0\x10\x03' >> "$tmp/pvt.bin"
out=$("$tool" nmea --source 3 "$tmp/pvt.bin")
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "PVT positions: $out"
line=$(echo "$out" | tail -n1)
[ "$(echo "$line" | cut -d, -f1,2)" = "28.647889757,-14.323944878" ] || fail "PVT position: $line"
[ "$(echo "$line" | cut -d, -f5-9)" = "10.800000,0.000000,-777.000000,-777.000000,400.000000" ] || fail "PVT speed: $line"

[ "$("$tool" nmea /dev/null)" = "$header" ] || fail "empty input"
if "$tool" nmea "$tmp/missing" 2>/dev/null; then fail "missing file accepted"; fi
set +e
"$tool" nmea --source 4 "$tmp/in.nmea" 2>/dev/null; [ $? -eq 2 ] || fail "bad source"
"$tool" nmea --frobnicate "$tmp/in.nmea" 2>/dev/null; [ $? -eq 2 ] || fail "unknown option"
set -e
echo "1 passed, 0 failed"
