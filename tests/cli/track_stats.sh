#!/bin/bash
# mwtool track stats and track profile on tracks made here: a track log
# with times and heights in another datum, a GPX of several segments, a
# track without times; distances checked against PROJ's geod (skips, 77,
# without geod or python3). Usage: track_stats.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
need_python
command -v geod >/dev/null 2>&1 || skip "geod (proj-bin) missing"

# Sum of geodesics between consecutive points of each segment, by geod.
# Input lines: "lat lon new_segment(0/1)".
geod_sum() {
    local ellps=$1 pts=$2
    python3 - "$pts" >"$dir/pairs" <<'PY'
import sys
prev = None
for line in open(sys.argv[1]):
    lat, lon, new = line.split()
    if prev and new == "0":
        print(prev[0], prev[1], lat, lon)
    prev = (lat, lon)
PY
    geod +ellps="$ellps" -I -F %.6f <"$dir/pairs" | awk '{s += $3} END {printf "%.3f\n", s}'
}
# value KEY TEXT: the value of a key,value line.
value() { awk -F, -v k="$1" '$1 == k {print $2}' <<<"$2"; }
# within NAME EXPECTED ACTUAL RELATIVE
within() {
    python3 -c "import sys; e, a, r = map(float, sys.argv[1:]); sys.exit(0 if abs(a - e) <= r * abs(e) else 1)" "$2" "$3" "$4" ||
        same "$1 within $4" "$2" "$3"
}

# 1. A track log on European 1950 (International 1924 ellipsoid): a walk
# (a drive) north-east with times a second apart, a 120 s stop, heights in feet.
python3 - "$dir/walk.plt" "$dir/walk.pts" <<'PY'
import sys, math
plt, pts = open(sys.argv[1], "w", newline=""), open(sys.argv[2], "w")
plt.write("Mapwanderer CE Track Point File Version 2.0\r\nEuropean 1950\r\nAltitude is in Feet\r\n"
          "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n")
t = 10 * 3600
lat, lon = 45.0, 6.0
for i in range(600):
    if i == 300:
        for s in range(120):   # standing still
            t += 1
            hh, mm, ss = t // 3600, t // 60 % 60, t % 60
            plt.write("%12.7f,%12.7f,0,%7.0f, ,070524,%02d%02d%02d\r\n" % (lat, lon, (1000 + (i - 1) * 0.5) / 0.3048, hh, mm, ss))
            pts.write("%.7f %.7f 0\n" % (lat, lon))
    lat += 0.0002; lon += 0.0002; t += 1
    hh, mm, ss = t // 3600, t // 60 % 60, t % 60
    feet = (1000 + i * 0.5) / 0.3048   # climbs 300 m
    plt.write("%12.7f,%12.7f,%d,%7.0f, ,070524,%02d%02d%02d\r\n" % (lat, lon, 1 if i == 0 else 0, feet, hh, mm, ss))
    pts.write("%.7f %.7f %d\n" % (lat, lon, 1 if i == 0 else 0))
PY
out=$(mw track stats "$dir/walk.plt" 2>"$dir/err")
same "walk: exit" 0 $?
same "walk: points" 720 "$(value points "$out")"
same "walk: segments" 1 "$(value segments "$out")"
same "walk: start" 2024-05-07T10:00:01Z "$(value start_time "$out")"
same "walk: elapsed" 719 "$(value elapsed_s "$out")"
within "walk: moving" 599 "$(value moving_s "$out")" 0.002
within "walk: distance (intl ellipsoid)" "$(geod_sum intl "$dir/walk.pts")" "$(value distance_m "$out")" 0.00001
# (on WGS 84 the same positions measure 0.7 m less: the ellipsoid matters)
within "walk: ascent" 299.5 "$(value ascent_m "$out")" 0.05
same "walk: lowest" 1000.0 "$(value lowest_m "$out")"
same "walk: thresholds" "1.0,5.0" "$(value moving_threshold_kmh "$out"),$(value climb_threshold_m "$out")"
same "walk: no note" "" "$(cat "$dir/err")"

# The same as JSON: every key, numbers as numbers.
json=$(mw track stats "$dir/walk.plt" --json)
same "json" "720 1 True 2024-05-07T10:00:01Z" "$(python3 -c 'import json,sys; d = json.loads(sys.argv[1]); print(d["points"], d["segments"], isinstance(d["distance_m"], float), d["start_time"])' "$json")"

# 2. GPX with two tracks, three segments far apart: no distance across the gaps.
{
    echo '<?xml version="1.0"?><gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">'
    echo '<trk><trkseg>'
    for i in 0 1 2 3 4; do echo "<trkpt lat=\"10.00$i\" lon=\"20\"><time>2024-05-06T07:00:0${i}Z</time></trkpt>"; done
    echo '</trkseg><trkseg>'
    for i in 0 1 2 3 4; do echo "<trkpt lat=\"30\" lon=\"40.00$i\"><time>2024-05-06T08:00:0${i}Z</time></trkpt>"; done
    echo '</trkseg></trk><trk><trkseg>'
    for i in 0 1 2; do echo "<trkpt lat=\"-5.00$i\" lon=\"-60\"><time>2024-05-06T09:00:0${i}Z</time></trkpt>"; done
    echo '</trkseg></trk></gpx>'
} >"$dir/segs.gpx"
{
    for i in 0 1 2 3 4; do echo "10.00$i 20 $((i == 0))"; done
    for i in 0 1 2 3 4; do echo "30 40.00$i $((i == 0))"; done
    for i in 0 1 2; do echo "-5.00$i -60 $((i == 0))"; done
} >"$dir/segs.pts"
out=$(mw track stats "$dir/segs.gpx" 2>/dev/null)
same "segments: count" 3 "$(value segments "$out")"
within "segments: distance" "$(geod_sum WGS84 "$dir/segs.pts")" "$(value distance_m "$out")" 0.0001
same "segments: elapsed" 7202 "$(value elapsed_s "$out")"
same "segments: moving" 10 "$(value moving_s "$out")"
same "segments: no heights" none "$(value heights "$out")"

# 3. Without times: distance and heights only, and it says so.
head -n 6 "$dir/walk.plt" >"$dir/untimed.plt"
printf '  45.0000000,   6.0000000,1,    328\r\n  45.0010000,   6.0000000,0,    656\r\n' >>"$dir/untimed.plt"
out=$(mw track stats "$dir/untimed.plt" 2>"$dir/err")
same "untimed: times" none "$(value times "$out")"
same "untimed: no elapsed" "" "$(value elapsed_s "$out")"
same "untimed: no max speed" "" "$(value max_kmh "$out")"
same "untimed: highest" 199.9 "$(value highest_m "$out")"
same "untimed: note" "mwtool: the track has no times: distance and heights only" "$(cat "$dir/err")"
same "untimed json" "None None" "$(python3 -c 'import json,sys; d = json.loads(sys.argv[1]); print(d["elapsed_s"], d["start_time"])' "$(mw track stats "$dir/untimed.plt" --json 2>/dev/null)")"

# Profiles: numbers and a picture.
mw track profile "$dir/walk.plt" -o "$dir/walk.csv"
same "csv header" "distance_m,elevation_m,break" "$(head -n 1 "$dir/walk.csv")"
same "csv rows" 720 "$(($(wc -l <"$dir/walk.csv") - 1))"
same "csv first" "0.0,1000.0,1" "$(sed -n 2p "$dir/walk.csv")"
mw track profile "$dir/walk.plt" --x time --y speed -o "$dir/speed.csv"
same "speed csv header" "time_s,speed_kmh,break" "$(head -n 1 "$dir/speed.csv")"
same "speed at rest" "0.00" "$(awk -F, 'NR == 362 {print $2}' "$dir/speed.csv")"
mw track profile "$dir/walk.plt" --size 240x160 -o "$dir/walk.png"
same "png" "PNG 240x160" "$(python3 -c 'import struct,sys; b = open(sys.argv[1], "rb").read(24); print(b[1:4].decode(), "%dx%d" % struct.unpack(">II", b[16:24]))' "$dir/walk.png")"
mw track profile "$dir/untimed.plt" --x time -o "$dir/empty.csv" 2>"$dir/err"
same "empty profile" "time_s,elevation_m,break" "$(cat "$dir/empty.csv")"
same "empty profile note" "mwtool: No heights with times in this track" "$(cat "$dir/err")"

# Failures: exit codes.
status "missing file" 1 mw track stats "$dir/none.plt"
status "folder" 1 mw track stats "$dir"
status "not GPX" 1 mw track stats "$dir/walk.plt.gpx"
printf 'not xml' >"$dir/bad.gpx"
status "bad GPX" 1 mw track stats "$dir/bad.gpx"
: >"$dir/zero.plt"
status "empty file" 1 mw track stats "$dir/zero.plt"
status "device" 1 mw track stats /dev/zero
status "unwritable csv" 1 mw track profile "$dir/walk.plt" -o "$dir/none/x.csv"
status "bad axis" 2 mw track profile "$dir/walk.plt" --x height -o "$dir/x.csv"
status "bad size" 2 mw track profile "$dir/walk.plt" --size 10x10 -o "$dir/x.png"
status "no output" 2 mw track profile "$dir/walk.plt"
status "other suffix" 2 mw track profile "$dir/walk.plt" -o "$dir/x.txt"
status "unknown sub" 2 mw track lengths "$dir/walk.plt"
finish
