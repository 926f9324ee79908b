#!/bin/bash
# Bulk coordinate conversion against PROJ's cct, on the same points in the
# same run: N WGS 84 points over Great Britain to British National Grid
# references (one mwtool process shifting to OSGB36 and formatting), and N
# points to UTM zone 30. cct runs the same 3-parameter geocentric
# translation (375, -111, 431 to Airy) and Transverse Mercator.
#
# Before anything is timed the outputs are compared:
#   - the references against cct's exact pipeline, within 1.2 m: ours are
#     rounded to the metre (0.71 m at most) and our shift drops the height the
#     translation creates (below 0.35 m here);
#   - our shift alone (datum-shift) against cct's translation, within 0.35 m;
#   - our projection alone (project, unrounded) on cct's OSGB36 positions
#     against cct's tmerc with +approx, the same series, within 1 mm;
#   - the UTM references against cct's utm within 0.72 m, and the unrounded
#     projection against tmerc +approx within 1 mm.
# Then each command is timed RUNS times (default 3); the wall and CPU ratios
# (ours / cct) are printed for each run and their median, with the load.
#
# Usage: bench/bench_convert.sh MWTOOL [POINTS] [RUNS]
set -u
tool=${1:?usage: bench_convert.sh MWTOOL [POINTS] [RUNS]}
points=${2:-1000000}
runs=${3:-3}
command -v cct >/dev/null || { echo "PROJ's cct is not installed: nothing to compare with"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
home=$dir/home
mkdir -p "$home"
mw() { "$tool" "$@" --home "$home"; }

awk -v n="$points" 'BEGIN { srand(7); for (i = 0; i < n; i++)
    printf "%.6f %.6f\n", 50 + rand() * 8.5, -5.5 + rand() * 7 }' > "$dir/gb.txt"
awk -v n="$points" 'BEGIN { srand(8); for (i = 0; i < n; i++)
    printf "%.6f %.6f\n", 0.5 + rand() * 83, -5.999 + rand() * 5.998 }' > "$dir/utm.txt"

# cct reads "lat lon" like mwtool: the axes are swapped and the degrees
# turned into radians by the pipeline itself.
in="+proj=pipeline +step +proj=axisswap +order=2,1 +step +proj=unitconvert +xy_in=deg +xy_out=rad"
shift="+step +proj=cart +ellps=WGS84 +step +proj=helmert +x=-375 +y=111 +z=-431"
shift="$shift +step +inv +proj=cart +ellps=airy"
bng="+step +proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000 +ellps=airy"
utm="+step +proj=utm +zone=30 +ellps=WGS84"
cct() { command cct -z 0 -t 0 "$@"; }

failed=0
# within NAME TOL: "E N E' N'" lines in; the largest distance must be <= TOL.
within() {
    awk -v name="$1" -v tol="$2" -v want="$points" '
        { de = $1 - $3; dn = $2 - $4; d = sqrt(de * de + dn * dn); if (d > m) m = d; n++ }
        END { printf "  %-58s %7d points  max %.5f m  (tolerance %s m)\n", name, n, m, tol
              exit (n != want || m > tol) ? 1 : 0 }' || failed=1
}
# Letters and square metres of a reference back to metres from the false origin.
bng_metres='
    function idx(c) { return index("ABCDEFGHJKLMNOPQRSTUVWXYZ", c) - 1 }
    { a = idx(substr($1, 1, 1)); b = idx(substr($1, 2, 1))
      e = ((a - 2) % 5) * 5 + b % 5; n = (19 - int(a / 5) * 5) - int(b / 5)
      printf "%d %d\n", e * 100000 + $2, n * 100000 + $3 }'

echo "Checking that the outputs agree ($points points each):"
mw convert --from "WGS 84" --datum "Ord Srvy Grt Britn" --format BNG < "$dir/gb.txt" |
    awk "$bng_metres" > "$dir/ours_bng"
cct -d 4 $in $shift $bng < "$dir/gb.txt" | awk '{ print $1, $2 }' > "$dir/cct_bng"
paste -d ' ' "$dir/ours_bng" "$dir/cct_bng" | within "BNG references vs cct Helmert+tmerc (exact)" 1.2

cct -d 10 $in $shift +step +proj=unitconvert +xy_in=rad +xy_out=deg +step +proj=axisswap +order=2,1 \
    < "$dir/gb.txt" | awk '{ print $1, $2 }' > "$dir/cct_osgb"
mw datum-shift --from "WGS 84" --to "Ord Srvy Grt Britn" < "$dir/gb.txt" > "$dir/ours_osgb"
paste -d ' ' "$dir/ours_osgb" "$dir/cct_osgb" |
    awk '{ printf "%.4f %.4f %.4f %.4f\n", $1 * 111320, $2 * 111320 * cos($1 * 0.0174532925),
                                        $3 * 111320, $4 * 111320 * cos($1 * 0.0174532925) }' |
    within "OSGB36 lat/lon: datum-shift vs cct Helmert (height dropped)" 0.35

mw project --proj "(BNG) British National Grid" --datum "Ord Srvy Grt Britn" < "$dir/cct_osgb" \
    > "$dir/ours_tm"
cct -d 4 $in +step +proj=tmerc +approx +lat_0=49 +lon_0=-2 +k=0.9996012717 +ellps=airy \
    < "$dir/cct_osgb" | awk '{ print $1, $2 }' > "$dir/cct_tm"
paste -d ' ' "$dir/ours_tm" "$dir/cct_tm" | within "BNG tmerc unrounded: project vs cct tmerc +approx" 0.001

mw convert --format UTM < "$dir/utm.txt" | awk '{ print $2, $3 }' > "$dir/ours_utm"
cct -d 4 $in $utm < "$dir/utm.txt" | awk '{ print $1, $2 }' > "$dir/cct_utm"
paste -d ' ' "$dir/ours_utm" "$dir/cct_utm" | within "UTM 30 references vs cct utm (exact)" 0.72

mw project --proj "(UTM) Universal Transverse Mercator" --utm-cm -3 < "$dir/utm.txt" > "$dir/ours_utm_tm"
cct -d 4 $in +step +proj=tmerc +approx +lon_0=-3 +k=0.9996 +ellps=WGS84 < "$dir/utm.txt" |
    awk '{ print $1, $2 }' > "$dir/cct_utm_tm"
paste -d ' ' "$dir/ours_utm_tm" "$dir/cct_utm_tm" | within "UTM unrounded: project vs cct tmerc +approx" 0.001
if [ "$failed" != 0 ]; then
    echo "The outputs disagree: nothing timed."
    exit 1
fi

# timed COMMAND...: prints "wall cpu" (user + system) of one run, output discarded.
timed() {
    local TIMEFORMAT='%R %U %S' t
    t=$( { time "$@" > /dev/null 2> /dev/null; } 2>&1 )
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<< "$t"
}
bng_ours() { mw convert --from "WGS 84" --datum "Ord Srvy Grt Britn" --format BNG < "$dir/gb.txt"; }
bng_cct() { cct -d 3 $in $shift $bng < "$dir/gb.txt"; }
utm_ours() { mw convert --format UTM < "$dir/utm.txt"; }
utm_cct() { cct -d 3 $in $utm < "$dir/utm.txt"; }

echo
echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg), $(nproc) cores"
for r in $(seq "$runs"); do
    for job in bng utm; do
        read -r ow oc < <(timed ${job}_ours)
        read -r pw pc < <(timed ${job}_cct)
        echo "$job $r $ow $oc $pw $pc" >> "$dir/times"
    done
done
echo "load average after:  $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo
awk '{ printf "run %s %-4s mwtool %6.2f s wall %6.2f s CPU | cct %6.2f s wall %6.2f s CPU | ratio wall %.2f CPU %.2f\n",
              $2, $1, $3, $4, $5, $6, $3 / $5, $4 / $6 }' "$dir/times"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for job in bng utm; do
    w=$(awk -v j=$job '$1 == j { print $3 / $5 }' "$dir/times" | median)
    c=$(awk -v j=$job '$1 == j { print $4 / $6 }' "$dir/times" | median)
    printf "median of %d runs, %s: mwtool / cct = %.2f wall, %.2f CPU\n" "$runs" "$job" "$w" "$c"
done
