#!/bin/bash
# Large inputs to the point commands are read in blocks and converted on two
# threads: the output of a file must be the lines its pieces give one at a
# time, in input order, error lines in place, whatever the block and thread
# boundaries (a line longer than a block, no final newline, CRLF, blanks).
# Usage: convert_bulk.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"

# 60,000 points (well above the size that starts a second thread, and more
# than one block), a bad line every 997th, CRLF on every 13th, tabs and
# extra blanks on some.
awk 'BEGIN { srand(3); for (i = 1; i <= 60000; i++) {
        lat = 49.9 + rand() * 9; lon = -8 + rand() * 10
        if (i % 997 == 0) { print "x" i " 1"; continue }
        if (i % 13 == 0) printf "%.6f %.6f\r\n", lat, lon
        else if (i % 17 == 0) printf "\t %.6f\t%.6f  \n", lat, lon
        else printf "%.6f %.6f\n", lat, lon } }' > "$dir/in.txt"
# A single line longer than a block, then a point without its final newline.
{ head -c 1500000 /dev/zero | tr '\0' '7'; echo; printf '51.5 -0.1'; } > "$dir/tail.txt"
cat "$dir/in.txt" "$dir/tail.txt" > "$dir/all.txt"

# The reference: the same lines in pieces of 2500 (about 50 kB), each too small
# for a second thread.
split -l 2500 "$dir/all.txt" "$dir/piece."
for cmd in "convert --datum Ord_Srvy_Grt_Britn --format BNG" "convert --format UTM" \
           "convert" "datum-shift --from WGS_84 --to Ord_Srvy_Grt_Britn"; do
    read -ra a <<< "$cmd"
    a=("${a[@]//_/ }")
    for p in "$dir"/piece.*; do mw "${a[@]}" < "$p"; done > "$dir/expected"
    rc=0
    mw "${a[@]}" < "$dir/all.txt" > "$dir/actual" || rc=$?
    same "$cmd: exit code with error lines" 1 "$rc"
    same "$cmd: lines" 60002 "$(wc -l < "$dir/actual")"
    cmp -s "$dir/expected" "$dir/actual" || { echo "FAILED: $cmd: output differs from pieces"
                                              diff "$dir/expected" "$dir/actual" | head -5; failed=1; }
done
same "bad line in place" "error: expected LAT LON, got 'x997 1'" "$(sed -n 997p "$dir/actual")"
same "CRLF line read" "0" "$(sed -n 13p "$dir/actual" | grep -c error)"
same "overlong line is one error" 1 "$(sed -n 60001p "$dir/actual" | grep -c "^error: expected LAT LON, got '7777")"
same "last line without newline" "51.500000000 -0.100000000" \
    "$(mw datum-shift --from 'WGS 84' --to 'WGS 84' < <(printf '51.5 -0.1'))"
# Every line good: exit 0.
status "all points good" 0 mw convert --format BNG < <(grep -v x "$dir/in.txt" | tr -d '\r')
finish
