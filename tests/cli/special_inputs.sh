#!/bin/bash
# The commands that read the user's waypoint, route, track and GPX files on
# inputs that are no such file: a device or a FIFO is refused at once, a
# file of zeros is no file of its kind (and writes nothing), and what the
# stores' limits leave out is said, once.
# Usage: special_inputs.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"

mkfifo "$dir/fifo"
head -c 10000000 /dev/zero >"$dir/zeros"
# Each reading command on each input ends within 10 s with exit 1, a
# message, and no output file.
for input in /dev/zero "$dir/fifo" "$dir/zeros"; do
  for cmd in "wpt show $input" "wpt save $input $dir/out.wpt" "rte show $input" \
             "gpx export --track $input -o $dir/out.gpx" "gpx export --waypoints $input -o $dir/out.gpx" \
             "gpx export --routes $input -o $dir/out.gpx" "gpx import $input --waypoints $dir/out.wpt" \
             "gpx info $input"; do
    timeout 10 "$tool" $cmd --home "$dir" >/dev/null 2>"$dir/err"
    rc=$?
    same "$cmd: exit" 1 "$rc"
    [ -s "$dir/err" ] || same "$cmd: message" "a message" ""
    if [ "$input" != "$dir/zeros" ]; then
      grep -q "$input: not a regular file" "$dir/err" ||
        same "$cmd: reason" "$input: not a regular file" "$(head -c 300 "$dir/err")"
    fi
    ls "$dir" | grep -q '^out\.' && same "$cmd: nothing written" "" "$(ls "$dir" | grep '^out\.')"
    rm -f "$dir"/out.*
  done
done
grep -q "not a track file" <(timeout 10 "$tool" gpx export --track "$dir/zeros" -o "$dir/o.gpx" 2>&1) ||
  same "zeros as a track" "not a track file" "other"

# Cuts by the stores' limits are said on standard error, once each.
hdr=$'h\r\nWGS 84\r\nh\r\nh\r'
{ echo "$hdr"; for i in $(seq 1 1200); do printf -- '-1,P%d,50.5,10.5\r\n' "$i"; done; } >"$dir/many.wpt"
n=$(mw wpt show "$dir/many.wpt" 2>"$dir/err" | wc -l)
same "1000 waypoints shown" 1001 "$n"
same "waypoints left out" "mwtool: 200 waypoints left out (at most 1000 are kept)" "$(cat "$dir/err")"
{ echo "$hdr"; for r in $(seq 1 150); do printf 'R,0,r%d,,\r\nW,0,0,0,p,50.5,10.5\r\n' "$r"; done; } >"$dir/many.rte"
mw rte show "$dir/many.rte" >/dev/null 2>"$dir/err"
same "routes left out" "mwtool: 50 routes left out (at most 100 are kept)
50 route points left out (at most 100 a route are kept)" "$(cat "$dir/err")"
mw gpx export --routes "$dir/many.rte" -o "$dir/r.gpx" >/dev/null 2>"$dir/err" || same "export routes" 0 1
same "export says the routes cut" 2 "$(grep -c "left out" "$dir/err")"

finish
