#!/usr/bin/env bash
# A write that fails is a failed command: the exit status 1 and the fixed
# text with the file and the system's reason, never the output of a success.
# A full disk is a file size limit here (SIGXFSZ ignored, so writes fail with
# "File too large"), which holds for root too; a folder that is a file stands
# for a read-only one ("Not a directory"). A signal during an export takes
# the export's temporary file with it.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
export HOME=$dir/userhome
mkdir -p "$HOME"
home=$dir/app
echo "plain" > "$dir/plain"

# run NAME COMMAND...: $out gets stdout and stderr, $rc the exit status.
run() {
    local name=$1
    shift
    out=$("$@" 2>&1) && rc=0 || rc=$?
}
# full COMMAND...: the command on a disk where nothing more fits.
full() { (trap '' XFSZ; ulimit -f 0; "$@"); }

"$tool" config defaults --home "$home" > /dev/null
set_data() { sed -i "s|^Data Path,.*|Data Path,$1\r|" "$home/Mapwanderer1.ini"; }

# wpt create: the waypoint lives only in the log, so no log, no waypoint.
set_data "$dir/plain/data"
run "create, data folder a file" "$tool" wpt create 51.25 -0.5 --home "$home"
same "create, data folder a file: exit" 1 "$rc"
same "create, data folder a file: message" \
    "mwtool: Cannot Create Waypoint File: $dir/plain/data/ceWaypoints.wpt: Not a directory" "$out"

set_data "$dir/data"
run "create, disk full" full "$tool" wpt create 51.25 -0.5 --home "$home"
same "create, disk full: exit" 1 "$rc"
same "create, disk full: message" \
    "mwtool: Cannot Create Waypoint File: $dir/data/ceWaypoints.wpt: File too large" "$out"
[ ! -e "$dir/data/ceWaypoints.wpt" ] || fail "an empty log left on the full disk"
run "create, room again" "$tool" wpt create 51.25 -0.5 --home "$home"
same "create, room again" "0,WP0" "$out"

# wpt save and gpx export/import: the target refused.
run "save, disk full" full "$tool" wpt save "$dir/data/ceWaypoints.wpt" "$dir/out.wpt"
same "save, disk full: exit" 1 "$rc"
same "save, disk full: message" "mwtool: Cannot Create Waypoint File: $dir/out.wpt: File too large" "$out"
run "export, folder a file" "$tool" gpx export --waypoints "$dir/data/ceWaypoints.wpt" -o "$dir/plain/x.gpx"
same "export, folder a file: exit" 1 "$rc"
same "export, folder a file: message" "mwtool: Cannot Create GPX File: $dir/plain/x.gpx: Not a directory" "$out"
run "export, disk full" full "$tool" gpx export --waypoints "$dir/data/ceWaypoints.wpt" -o "$dir/x.gpx"
same "export, disk full: exit" 1 "$rc"
same "export, disk full: message" "mwtool: Cannot Create GPX File: $dir/x.gpx: File too large" "$out"
"$tool" gpx export --waypoints "$dir/data/ceWaypoints.wpt" -o "$dir/ok.gpx" || fail "export"
run "import, disk full" full "$tool" gpx import "$dir/ok.gpx" --waypoints "$dir/in.wpt"
same "import, disk full: exit" 1 "$rc"
same "import, disk full: message" \
    "mwtool: an output file could not be written: $dir/in.wpt: File too large" "$out"
run "import, folder a file" "$tool" gpx import "$dir/ok.gpx" --waypoints "$dir/plain/in.wpt"
same "import, folder a file: exit" 1 "$rc"
same "import, folder a file: message" \
    "mwtool: cannot create an output file: $dir/plain/in.wpt: Not a directory" "$out"

# The settings files: each fixed text, then the file and the reason.
mkdir -p "$dir/home2/Mapwanderer1.ini"
run "config, main file a folder" "$tool" config defaults --home "$dir/home2"
same "config, main file a folder: exit" 1 "$rc"
same "config, main file a folder: message" \
    "mwtool: Cannot Save ini File: $dir/home2/Mapwanderer1.ini: Is a directory" "$out"
mkdir -p "$dir/home3/mapwanderer2.ini"
run "config, view file a folder" "$tool" config defaults --home "$dir/home3"
same "config, view file a folder: exit" 1 "$rc"
same "config, view file a folder: message" \
    "mwtool: Cannot Save MapwandererCE Ini File: $dir/home3/mapwanderer2.ini: Is a directory" "$out"
run "config, disk full" full "$tool" config defaults --home "$dir/home4"
same "config, disk full: exit" 1 "$rc"
same "config, disk full: message" \
    "mwtool: Cannot Save ini File: $dir/home4/Mapwanderer1.ini: File too large" "$out"

# No failed save above left a temporary file.
left=$(find "$dir" -name '*.tmp-*')
same "temporaries left" "" "$left"

# SIGTERM in the middle of an export: the target is not made and the
# temporary goes with the program.
awk 'BEGIN {
    printf "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
    printf "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n"
    for (i = 0; i < 1000000; i++)
        printf "%12.7f,%12.7f,0,%7.0f, ,010524,120000\r\n", 50 + i * 1e-6, 8 + i * 1e-6, 100
}' > "$dir/long.plt"
"$tool" gpx export --track "$dir/long.plt" -o "$dir/long.gpx" --home "$home" 2> "$dir/long.err" &
pid=$!
for _ in $(seq 200); do
    [ -n "$(find "$dir" -maxdepth 1 -name 'long.gpx.tmp-*')" ] && break
    sleep 0.01
done
sleep 0.1
kill -TERM "$pid" 2> /dev/null || true
wait "$pid" && rc=0 || rc=$?
if [ "$rc" = 0 ]; then
    [ "$failed" = 0 ] || finish
    skip "the export ended before the signal reached it"
fi
same "export killed: exit" 143 "$rc"
same "export killed: temporaries" "" "$(find "$dir" -maxdepth 1 -name 'long.gpx.tmp-*')"
[ ! -e "$dir/long.gpx" ] || fail "a killed export made its target"

finish
