#!/bin/bash
# mwtool gpx: export, import and info on the program's files and a missing
# input. What import and export keep is the core GPX tests; here the
# command's files, texts and exit codes. Usage: gpx_convert.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
gpx() {
    printf '<?xml version="1.0"?><gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">%s</gpx>' "$1"
}

# Two tracks of one and two segments go into one track file, a new segment each.
gpx '<wpt lat="51.5" lon="-0.12"><ele>30.48</ele><name>Big, Ben</name></wpt>
<rte><name>R</name><rtept lat="1" lon="2"><name>a</name></rtept><rtept lat="3" lon="4"/></rte>
<trk><trkseg><trkpt lat="10" lon="20"><ele>304.8</ele><time>2024-05-06T07:08:09Z</time></trkpt>
<trkpt lat="10.5" lon="20.5"/></trkseg></trk>
<trk><trkseg><trkpt lat="11" lon="21"/></trkseg><trkseg><trkpt lat="12" lon="22"/></trkseg></trk>' >"$dir/in.gpx"

same "info" "waypoints,1
routes,1,points,2
tracks,2,segments,3,points,4" "$(mw gpx info "$dir/in.gpx" 2>/dev/null)"

mw gpx import "$dir/in.gpx" --waypoints "$dir/out.wpt" --track "$dir/out.plt" --routes "$dir/out.rte" 2>/dev/null
same "track file" "  10.0000000,  20.0000000,1,   1000, ,060524,070809
  10.5000000,  20.5000000,0,   -777
  11.0000000,  21.0000000,1,   -777
  12.0000000,  22.0000000,1,   -777" "$(tail -n +7 "$dir/out.plt" | tr -d '\r')"
# Back to GPX and counted again: the same records.
mw gpx export --waypoints "$dir/out.wpt" --track "$dir/out.plt" --routes "$dir/out.rte" -o "$dir/back.gpx"
same "exported counts" "waypoints,1
routes,1,points,2
tracks,1,segments,3,points,4" "$(mw gpx info "$dir/back.gpx")"

# Bad GPX is the bad-input matrix's; a missing input leaves no output behind.
status "missing input" 1 mw gpx export --track "$dir/missing.plt" -o "$dir/x.gpx"
same "no output after a missing input" no "$([[ -e $dir/x.gpx ]] && echo yes || echo no)"

finish
