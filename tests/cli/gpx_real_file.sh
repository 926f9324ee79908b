#!/bin/bash
# A GPX file written by another program: the track from a running watch that
# `make` fetches with an npm GPX library's test data, else one found among the
# installed packages (or named by MW_GPX_SAMPLE), copied and counted by mwtool gpx info and by
# Python's own XML reader: the counts must agree. Skips (77) when no such
# file or no python3 is there. Usage: gpx_real_file.sh MWTOOL REPO_ROOT
set -u
MW=$1
source "$2/tests/cli/cli_lib.bash"
sample=${MW_GPX_SAMPLE:-}
for fetched in /var/cache/mapwanderer/test-data/gpx-parse/route-1.1.gpx \
               "${XDG_CACHE_HOME:-$HOME/.cache}/mapwanderer/test-data/gpx-parse/route-1.1.gpx"; do
    [[ -z $sample && -r $fetched ]] && sample=$fetched
done
if [[ -z $sample ]]; then
    sample=$(find /usr/share /usr/lib -name '*.gpx' -size +1k 2>/dev/null | sort | head -n 1)
fi
if [[ -z $sample || ! -r $sample ]] || ! command -v python3 >/dev/null; then
    skip "no GPX file from a package here (set MW_GPX_SAMPLE) or no python3"
fi
cp "$sample" "$dir/real.gpx"
echo "sample: $sample"

expected=$(python3 - "$dir/real.gpx" <<'PY'
import sys, xml.etree.ElementTree as ET
def ok(e):
    try:
        lat, lon = float(e.get('lat')), float(e.get('lon'))
        return -90 <= lat <= 90 and -180 <= lon <= 180
    except (TypeError, ValueError):
        return False
ns = ('{http://www.topografix.com/GPX/1/1}', '{http://www.topografix.com/GPX/1/0}')
root = ET.parse(sys.argv[1]).getroot()
p = next((n for n in ns if root.tag.startswith(n)), '')
wpt = sum(ok(e) for e in root.findall(p + 'wpt'))
rtes = root.findall(p + 'rte')
rtept = sum(ok(e) for r in rtes for e in r.findall(p + 'rtept'))
trks = root.findall(p + 'trk')
segs = [s for t in trks for s in t.findall(p + 'trkseg')]
trkpt = sum(ok(e) for s in segs for e in s.findall(p + 'trkpt'))
print(f"waypoints,{wpt}\nroutes,{len(rtes)},points,{rtept}\ntracks,{len(trks)},segments,{len(segs)},points,{trkpt}")
PY
)
actual=$("$MW" gpx info "$dir/real.gpx" --home "$dir" 2>/dev/null)
if [[ "$expected" != "$actual" ]]; then
    echo "FAILED: counts differ"
    echo "  python: $expected"
    echo "  mwtool: $actual"
    exit 1
fi
echo "$actual"
