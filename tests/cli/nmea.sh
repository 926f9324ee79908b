#!/usr/bin/env bash
# mwtool nmea and listen: recorded receiver bytes through the program's
# framing, dispatcher and parsers, one CSV line per position handed on; a
# port opened as the program opens it. Sentence details, Garmin frames and
# satellite tables are the core's parser, framing and satellite tests.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT

header='lat,lon,date,time,speed,trueCourse,magneticCourse,magneticVariation,altitudeFeet,fixQuality,satellitesInUse,hdop,dgpsAge,status'
rmc='$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A'
gga='$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47'
printf 'noise%s\r\n%s\r\n' "$gga" "$rmc" > "$dir/in.nmea"

# 48°07.038' N, 11°31' E; 22.4 kn = 41.4848 km/h; 3.1° W turns 84.4 true into
# 87.5 magnetic; 545.4 m = 1789.34832 ft; the quality of the GGA before it.
expected='48.117300000,11.516666667,230394,123519,41.484800,84.400000,87.500000,-3.100000,1789.348320,1,8,0.900000,0,ON '
out=$("$tool" nmea "$dir/in.nmea")
[ "$(echo "$out" | head -n1)" = "$header" ] || fail "header"
[ "$(echo "$out" | wc -l)" -eq 2 ] || fail "one position from RMC: $out"
[ "$(echo "$out" | tail -n1)" = "$expected" ] || fail "RMC line: $(echo "$out" | tail -n1)"
[ "$("$tool" nmea - < "$dir/in.nmea")" = "$out" ] || fail "standard input differs from FILE"

# listen: a FIFO stands in for the receiver's device (no terminal settings
# apply to it); opening it for writing waits until listen has opened it.
mkfifo "$dir/gps"
"$tool" listen --home "$dir/h" --device "$dir/gps" --baud 9600 --seconds 1 > "$dir/out" 2> "$dir/err" &
pid=$!
{ printf '%s\r\n' "$gga"; sleep 0.3; printf '%s\r\n' "$rmc"; } > "$dir/gps"
wait "$pid" || fail "listen failed: $(cat "$dir/err")"
pid=
head -n1 "$dir/out" | grep -x "$header" >/dev/null || fail "listen header"
grep -qxF "$expected" "$dir/out" || fail "listen position line: $(cat "$dir/out")"
finish
