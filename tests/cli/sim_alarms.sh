#!/usr/bin/env bash
# mwtool sim with waypoints and an event log: a drive east past three
# waypoints with proximity zones (one with a picture and a document, one
# with a sound, one naming a script) and changing speeds gives the speed
# alarms, one alarm per zone entered, each alarm's end at its display time
# after it, the document that would be opened, and no program started.
set -euo pipefail
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v python3 >/dev/null || { echo "python3 missing: skipped"; exit 77; }

"$tool" demo "$dir/demo" --synthetic >/dev/null 2>&1
home=$dir/demo/config/mapwanderer
data=$dir/demo/data
ini=$home/Mapwanderer1.ini

# Limits in km/h: minimum 10, set 30, maximum 60, all on; proximity off.
sed -i -e 's/^Min Speed,.*/Min Speed,10.0\r/' -e 's/^Set Speed,.*/Set Speed,30.0\r/' \
    -e 's/^Max Speed,.*/Max Speed,60.0\r/' -e 's/^\(M[a-z]* Speed Active\),.*/\1,1\r/' \
    -e 's/^Set Speed Active,.*/Set Speed Active,1\r/' -e 's/^WP Check Proximity,.*/WP Check Proximity,0\r/' "$ini"
grep -q $'^Set Speed Active,1\r$' "$ini" || fail "limits not set: $(grep -n Speed "$ini")"

mkdir -p "$home/PSymbols"
printf 'Ferry at six\n' > "$data/notes.txt"
printf '#!/bin/sh\ntouch %s/started\n' "$dir" > "$data/tour.sh"

python3 - "$dir" "$home/PSymbols/mark.bmp" <<'PY'
import struct, sys
out, bmp = sys.argv[1], sys.argv[2]

# A 16 x 8 24-bit bitmap for the first waypoint's picture.
w, h = 16, 8
row = b"\x00\x80\xff" * w
pixels = row * h
header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(bmp, "wb").write(header + info + pixels)

# East along 54.46 N from 3.10 W, 0.00015 deg (9.7 m) a second from
# 10:00:00. Waypoints at seconds 10, 40 and 70 of the drive with 25 m
# zones are entered at seconds 8, 38 and 68; one without a zone at 55.
def lon(i):
    return -3.10 + i * 0.00015

wpt = "Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n"
def wp(name, i, dist, pos, secs, pic, snd):
    return ("-1,%s,%.7f,%.7f,38123.25,0,1,0,0,16777215,,0,0,%d,-777,8,0,17,%d,%s,2,,%s,%s\r\n"
            % (name, 54.46, lon(i), dist, pos, secs, pic, snd))
wpt += wp("Alpha", 10, 25, 4, "4", "\\My Pictures\\mark.bmp", "notes.txt/word")
wpt += wp("Bravo", 40, 25, 0, "2", "", "*bell.wav/loud")
wpt += wp("Charlie", 70, 25, 0, "3", "", "tour.sh")
wpt += wp("NoZone", 55, 0, 0, "3", "mark.bmp", "")
open(out + "/route.wpt", "w", newline="").write(wpt)

def nmea(body):
    c = 0
    for ch in body:
        c ^= ord(ch)
    return "$%s*%02X\r\n" % (body, c)

def dm(v, digits):
    a = abs(v); d = int(a); m = (a - d) * 60
    return "%0*d%07.4f" % (digits, d, m)

# Knots: standing, 20 (37 km/h), 40 (74 km/h), 3 (5.6 km/h), 20 again.
def knots(i):
    return 0 if i < 3 else 20 if i < 20 else 40 if i < 25 else 3 if i < 35 else 20

text = ""
for i in range(90):
    t = 36000 + i
    hms = "%02d%02d%02d" % (t // 3600, t // 60 % 60, t % 60)
    text += nmea("GPRMC,%s,A,%s,N,%s,W,%05.1f,090.0,060626,," % (hms, dm(54.46, 2), dm(-lon(i), 3), knots(i)))
open(out + "/drive.nmea", "w", newline="").write(text)
PY

speeds="100003.000,speed-set,37.0
100020.000,speed-max,74.1
100025.000,speed-min,5.6
100035.000,speed-set,37.0"

# "WP Check Proximity" off in the home: only the speed monitor speaks.
"$tool" sim --home "$home" --feed "$dir/drive.nmea" --waypoints "$dir/route.wpt" \
    --events "$dir/off.csv" > "$dir/off.out" 2> "$dir/off.err" || fail "sim failed: $(cat "$dir/off.err")"
[ "$(cat "$dir/off.csv")" = "$speeds" ] || fail "speed events: $(cat "$dir/off.csv")"
[ "$(wc -l < "$dir/off.out")" -eq 90 ] || fail "fix lines: $(wc -l < "$dir/off.out")"

# Forced on for the run.
"$tool" sim --home "$home" --feed "$dir/drive.nmea" --waypoints "$dir/route.wpt" --proximity \
    --events "$dir/on.csv" > "$dir/on.out" 2> "$dir/on.err" || fail "sim failed: $(cat "$dir/on.err")"
expected="100003.000,speed-set,37.0
100008.000,proximity,0,Alpha
100008.000,document,$data/notes.txt
100012.000,alarm-end,0
100020.000,speed-max,74.1
100025.000,speed-min,5.6
100035.000,speed-set,37.0
100038.000,proximity,1,Bravo
100040.000,alarm-end,1
100108.000,proximity,2,Charlie"
[ "$(cat "$dir/on.csv")" = "$expected" ] || fail "events: $(diff <(echo "$expected") "$dir/on.csv")"
grep -q 'names a Program' "$dir/on.err" || fail "script not refused: $(cat "$dir/on.err")"
[ ! -e "$dir/started" ] || fail "a program was started"
# The settings file still says off: --proximity holds for the run only.
grep -q $'^WP Check Proximity,0\r$' "$ini" || fail "setting written back"

# Waypoints need a map to go onto.
rm "$home/LastMap.ini"
if "$tool" sim --home "$home" --feed "$dir/drive.nmea" --waypoints "$dir/route.wpt" \
    > /dev/null 2> "$dir/nomap.err"; then fail "waypoints loaded without a map"; fi
grep -q 'A Map must be loaded' "$dir/nomap.err" || fail "no-map message: $(cat "$dir/nomap.err")"
echo "sim alarms: ok"
