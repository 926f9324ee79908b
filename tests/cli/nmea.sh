#!/usr/bin/env bash
# mwtool nmea and listen: recorded receiver bytes through the program's
# framing, dispatcher and parsers, one CSV line per position handed on; the
# satellite tables; a port opened as the program opens it. Sentence and frame
# details are the core's parser tests; Garmin frames through --source 3 are
# cli.sim's.
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

# --satellites: after each complete set of a talker, that talker's whole
# table, from a log of a GPS + GLONASS + Galileo receiver.
{
    sentence 'GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W'
    sentence 'GPGSV,2,1,05,02,45,120,40,05,10,300,22,12,80,010,45,15,05,200,00'
    sentence 'GPGSV,2,2,05,24,30,060,38'
    sentence 'GLGSV,1,1,03,67,20,090,33,68,50,180,37,77,,,25'
    sentence 'GAGSV,1,1,02,05,40,045,36,19,15,315,30,7'
    # Message 1 of a new GPS set, never finished: nothing printed for it.
    sentence 'GPGSV,2,1,05,02,46,121,41'
} > "$dir/multi.nmea"
# The rows themselves are the core's satellite tests; here the sets printed.
same "satellite sets" 'set,GP,5
set,GL,3
set,GA,2' "$("$tool" nmea --satellites "$dir/multi.nmea" | grep '^set,')"

# listen: a FIFO stands in for the receiver's device (no terminal settings
# apply to it); opening it for writing waits until listen has opened it.
mkfifo "$dir/gps"
"$tool" listen --home "$dir/h" --device "$dir/gps" --baud 9600 --seconds 1 > "$dir/out" 2> "$dir/err" &
pid=$!
{ printf '%s\r\n' "$gga"; sleep 0.3; printf '%s\r\n' "$rmc"; } > "$dir/gps"
wait "$pid" || fail "listen failed: $(cat "$dir/err")"
pid=
head -n1 "$dir/out" | grep -qx "$header" || fail "listen header"
grep -qxF "$expected" "$dir/out" || fail "listen position line: $(cat "$dir/out")"
"$tool" listen --home "$dir/h" --device "$dir/none" --seconds 1 > /dev/null 2> "$dir/err" && rc=0 || rc=$?
same "listen to a missing device: exit" 1 "$rc"
grep -q 'Unable to open port' "$dir/err" || fail "missing device message: $(cat "$dir/err")"
finish
