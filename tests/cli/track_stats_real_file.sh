#!/bin/bash
# mwtool track stats on a GPX file written by another program (the running
# watch's track the GPX tests use, see gpx_real_file.sh): its distance
# against the sum of geodesics that PROJ's geod computes for the same
# points, read by Python's XML reader, within 0.05 %. Skips (77) without
# the file, geod or python3. Usage: track_stats_real_file.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
sample=${MW_GPX_SAMPLE:-}
for fetched in /var/cache/mapwanderer/test-data/gpx-parse/route-1.1.gpx \
               "${XDG_CACHE_HOME:-$HOME/.cache}/mapwanderer/test-data/gpx-parse/route-1.1.gpx"; do
    [[ -z $sample && -r $fetched ]] && sample=$fetched
done
[[ -n $sample && -r $sample ]] || skip "the fetched GPX test file is not here (set MW_GPX_SAMPLE)"
need_python
command -v geod >/dev/null 2>&1 || skip "geod (proj-bin) missing"
cp "$sample" "$dir/real.gpx"

python3 - "$dir/real.gpx" >"$dir/pairs" <<'PY'
import sys, xml.etree.ElementTree as ET
ns = ('{http://www.topografix.com/GPX/1/1}', '{http://www.topografix.com/GPX/1/0}')
root = ET.parse(sys.argv[1]).getroot()
p = next((n for n in ns if root.tag.startswith(n)), '')
for trk in root.findall(p + 'trk'):
    for seg in trk.findall(p + 'trkseg'):
        prev = None
        for e in seg.findall(p + 'trkpt'):
            try:
                lat, lon = float(e.get('lat')), float(e.get('lon'))
            except (TypeError, ValueError):
                continue
            if not (-90 <= lat <= 90 and -180 <= lon <= 180):
                continue
            if prev:
                print(prev[0], prev[1], lat, lon)
            prev = (lat, lon)
PY
expected=$(geod +ellps=WGS84 -I -F %.6f <"$dir/pairs" | awk '{s += $3} END {printf "%.3f", s}')
actual=$(mw track stats "$dir/real.gpx" 2>/dev/null | awk -F, '$1 == "distance_m" {print $2}')
echo "geod: $expected m, mwtool: $actual m"
python3 -c "import sys; e, a = map(float, sys.argv[1:]); sys.exit(0 if e > 0 and abs(a - e) <= 0.0005 * e else 1)" \
    "$expected" "$actual" || fail "distance differs by more than 0.05 %"
finish
