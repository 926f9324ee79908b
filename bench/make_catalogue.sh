#!/bin/bash
# Writes N calibration files into FOLDER: a map collection for timing the
# program's start over a large catalogue. The maps are sheets of 0.1 to 2
# degrees, scales 2.5 to 50, scattered over SOUTH..NORTH, WEST..EAST
# (degrees, WGS 84; central Europe by default), as the catalogue benchmark
# makes them. No pictures are written: the map search reads only the
# calibration files.
#
#   bench/make_catalogue.sh FOLDER N [SOUTH WEST NORTH EAST]
#
# The program searches the folder once it is a map folder of its settings:
# in $XDG_CONFIG_HOME/mapwanderer/Mapwanderer1.ini (~/.config/... without
# XDG_CONFIG_HOME) the lines
#   Map Path 1,/path/to/FOLDER
#   Map Path 1 Active,1
# and the first search after a start reads the catalogue index kept in
# $XDG_CACHE_HOME/mapwanderer/catalogue.index (~/.cache/...), written by the
# run before. Remove that file to time a start without it.
set -euo pipefail
if [ $# -ne 2 ] && [ $# -ne 6 ]; then
    echo "usage: $0 FOLDER N [SOUTH WEST NORTH EAST]" >&2
    exit 2
fi
folder=$1
count=$2
case $count in '' | *[!0-9]*) echo "$0: N must be a whole number" >&2; exit 2 ;; esac
south=${3:-44} west=${4:-2} north=${5:-54} east=${6:-16}
mkdir -p "$folder"
exec python3 - "$folder" "$count" "$south" "$west" "$north" "$east" <<'PY'
import os, random, sys, time

folder, count = sys.argv[1], int(sys.argv[2])
south, west, north, east = map(float, sys.argv[3:7])
sizes = [0.1, 0.25, 0.5, 1.0, 2.0]
scales = [2.5, 5, 10, 25, 50]
rng = random.Random(42)
# An hour old, as maps copied onto a card are: no file is in the window in
# which the catalogue distrusts a fresh stamp.
old = time.time() - 3600


def dm(v):
    d = int(v)
    return d, (v - d) * 60


for i in range(count):
    k = i % 5
    size = sizes[k]
    s = rng.uniform(south, max(south, north - size))
    w = rng.uniform(west, max(west, east - size))
    n, e = s + size, w + size
    corners = [(n, w), (n, e), (s, e), (s, w)]
    pixels = [(0, 0), (4000, 0), (4000, 4000), (0, 4000)]
    lines = [
        "Mapwanderer Map File,Version 1.0",
        "Sheet %d" % i,
        "sheet%06d.png" % i,
        "1 ,Map Code,",
        "WGS 84,WGS 84,0.0000,0.0000,WGS 84",
        "Reserved 1",
        "Reserved 2",
        "Magnetic Variation,,,E",
        "Map Projection,Latitude/Longitude,PolyCal,No",
    ]
    for p in range(30):
        if p < 4:
            (ld, lm), (od, om) = dm(corners[p][0]), dm(corners[p][1])
            lines.append("Point%02d,xy,%d,%d,in, deg,%d,%.6f,N,%d,%.6f,E, grid,,,,N"
                         % (p + 1, pixels[p][0], pixels[p][1], ld, lm, od, om))
        else:
            lines.append("Point%02d,xy,,,ex, deg,,,N,,,W, grid,,,,N" % (p + 1))
    lines += ["Projection Setup,,,,,,,,,,", "Map Feature = MF ; Map Comment = MC",
              "Track File = TF", "Moving Map Parameters = MM?", "MM0,Yes", "MMPNUM,4"]
    lines += ["MMPXY,%d,%d,%d" % (p + 1, pixels[p][0], pixels[p][1]) for p in range(4)]
    lines += ["MMPLL,%d,%.6f,%.6f" % (p + 1, corners[p][1], corners[p][0]) for p in range(4)]
    lines.append("MM1B,%.4f" % scales[k])
    path = os.path.join(folder, "sheet%06d.map" % i)
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    os.utime(path, (old, old))
print("%d calibration files in %s" % (count, folder))
PY
