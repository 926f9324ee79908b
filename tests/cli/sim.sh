#!/usr/bin/env bash
# mwtool sim drives the application core over the synthetic demo set of
# `mwtool demo --synthetic` (three maps the catalogue tells apart by place
# and scale, and a track): a receiver stream crossing from one map to its
# neighbour switches maps and is logged; the fixes' own clock dates GGA fixes
# across midnight; a proximity event reaches the events file. Garmin PVT
# records are the core's framing tests.
# The moving-map, recording and alarm rules themselves (no log break at a map
# change, programs refused, no map loaded) are the core's tests.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python

"$tool" demo "$dir/demo" --synthetic >/dev/null 2>&1
home=$dir/demo/config/mapwanderer
log=$dir/demo/data/ceTrack.plt
cp -a "$dir/demo" "$dir/pristine"
# Each scenario starts from the demo set as written: the west map last loaded,
# no track log.
fresh() { rm -rf "$dir/demo" && cp -a "$dir/pristine" "$dir/demo"; }
sim() { "$tool" sim --home "$home" "$@"; }

# Receiver streams. West map: 3.15 W to 3.00 W, east map: 3.00 W to 2.85 W,
# both 54.45 N to 54.55 N; nothing north of them.
gen() {
  python3 - "$@" <<'PY'
import sys
kind, out = sys.argv[1], sys.argv[2]

def nmea(body):
    c = 0
    for ch in body:
        c ^= ord(ch)
    return "$%s*%02X\r\n" % (body, c)

def dm(v, digits):
    a = abs(v); d = int(a)
    return "%0*d%07.4f" % (digits, d, (a - d) * 60)

def hms(s):
    s %= 86400
    return "%02d%02d%02d" % (s // 3600, s // 60 % 60, s % 60)

def rmc(t, lat, lon, knots=40.0):
    return nmea("GPRMC,%s,A,%s,N,%s,W,%05.1f,090.0,060626,," % (hms(t), dm(lat, 2), dm(-lon, 3), knots))

text = ""
if kind == "drive":
    # East along 54.46 N from 3.02 W, 0.0004 deg (26 m) a second.
    for i in range(100):
        text += rmc(36000 + i, 54.46, -3.02 + i * 0.0004)
elif kind == "midnight":
    # GGA carries no date. 23:59:50-54 on the east map, 23:59:55 off every
    # map, then on the west map going east 100 m a second into the new day.
    for t in range(-10, 31):
        lat, lon = (54.46, -2.95) if t < -5 else (54.60, -2.95) if t == -5 else (54.46, -3.10 + (t + 4) * 0.0015)
        text += nmea("GPGGA,%s,%s,N,%s,W,1,08,0.9,100.0,M,50.0,M,," % (hms(86400 + t), dm(lat, 2), dm(-lon, 3)))
open(out, "w", newline="").write(text)
PY
}

# ---- A drive from the west map to the east map: the map switches once, at
# the fix on the shared edge at 3.00 W, which the east map takes.
gen drive "$dir/drive.nmea"
fresh
sim --feed "$dir/drive.nmea" > "$dir/drive.csv" 2> "$dir/drive.err"
[ "$(wc -l < "$dir/drive.csv")" -eq 100 ] || fail "one line a fix: $(wc -l < "$dir/drive.csv")"
switches=$(cut -d, -f3,5 "$dir/drive.csv" | sed 's|,.*/|,|' | awk -F, '$2 != m { printf "%s ", $0; m = $2 }')
[ "$switches" = "-3.020000000,demo_west.map -3.000000000,demo_east.map " ] || fail "map switches: $switches"
[ "$(tail -n +7 "$log" | wc -l)" -ge 5 ] || fail "drive not logged"

# ---- GGA across midnight (--source 1): the date comes from the device clock,
# which follows the fixes into the new day; the search due 15 s after the
# one at 23:59:55 comes at 00:00:10.
gen midnight "$dir/midnight.nmea"
fresh
sim --feed "$dir/midnight.nmea" --source 1 > "$dir/midnight.csv" 2>/dev/null
first_west=$(awk -F, '$5 ~ /demo_west.map$/ { print $1; exit }' "$dir/midnight.csv")
[ "$first_west" = 000010 ] || fail "midnight: the west map came at '$first_west'"
python3 - "$log" <<'PY' || fail "midnight log dates"
import sys, datetime
pts = [l.split(",") for l in open(sys.argv[1], newline="").read().split("\r\n")[6:] if l]
day = lambda d: datetime.date(2000 + int(d[4:]), int(d[2:4]), int(d[:2]))
before = {p[5] for p in pts if p[6] >= "235900"}
after = {p[5] for p in pts if p[6] < "000100"}
if len(before) != 1 or len(after) != 1 or day(after.pop()) - day(before.pop()) != datetime.timedelta(days=1):
    print("dates", before, after); sys.exit(1)
PY

# ---- A waypoint on the drive with a 25 m zone: its proximity event reaches
# the events file; --proximity holds for the run only, the settings keep the
# user's choice. The alarm rules and their timing are the core's tests.
fresh
ini=$home/Mapwanderer1.ini
sed -i 's/^WP Check Proximity,.*/WP Check Proximity,0\r/' "$ini"
printf 'Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n' > "$dir/route.wpt"
printf -- '-1,Alpha,54.46,-3.0160000,38123.25,0,1,0,0,16777215,,0,0,25\r\n' >> "$dir/route.wpt"
sim --feed "$dir/drive.nmea" --waypoints "$dir/route.wpt" --proximity --events "$dir/on.csv" \
    > /dev/null 2> "$dir/on.err" || fail "sim failed: $(cat "$dir/on.err")"
grep -qx "100010.000,proximity,0,Alpha" "$dir/on.csv" || fail "events: $(cat "$dir/on.csv")"
grep -q $'^WP Check Proximity,0\r$' "$ini" || fail "--proximity written back to the settings"
echo "1 passed, 0 failed"
