#!/bin/bash
# mwtool convert, datum-shift, project, grid and distance: argument forms,
# standard input with one output line per input line, error lines, C-locale
# numbers. Usage: geo_commands.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
# near NAME "EXPECTED NUMBERS" "ACTUAL NUMBERS" TOLERANCE: the same count of
# numbers, each within TOLERANCE.
near() {
    if ! awk -v e="$2" -v a="$3" -v t="$4" 'BEGIN {
            n = split(e, x, " "); m = split(a, y, " "); if (n != m) exit 1
            for (i = 1; i <= n; i++) { d = x[i] - y[i]; if (d < -t || d > t) exit 1 }
            exit 0 }'; then
        echo "FAILED: $1: expected $2 within $4, got $3"
        failed=1
    fi
}

# convert: format by index and by name.
same "convert UTM" "59G 421185 5016563" "$(mw convert --format UTM -45 170)"
same "convert 2" "59G 421185 5016563" "$(mw convert --format 2 -45 170)"
same "convert Deg.Min" "51 30.000'  -0 06.000'" "$(mw convert --format Deg.Min 51.5 -0.1)"
same "convert zero" "---" "$(mw convert --format NZG 0 0)"
same "convert BNG" "TG 51410 13177" \
    "$(mw convert --datum 'Ord Srvy Grt Britn' --format BNG 52.657570306 1.717921583)"
same "convert User (TM)" "651410 313177" \
    "$(mw convert --datum 'Ord Srvy Grt Britn' --format 'User (TM)' \
        --params 49,-2,0.9996012717,400000,-100000,777,777 52.657570306 1.717921583)"
same "convert UPS keeps its TAB" "$(printf '00\tZ 2096454 1452981')" "$(mw convert --format UTM 85 10)"
status "convert bad format" 2 mw convert --format 16 1 1

# datum-shift.
same "datum-shift OSGB" "52.000399503 -1.001520699" \
    "$(mw datum-shift --from 'Ord Srvy Grt Britn' --to 'WGS 84' 52 -1)"
same "datum-shift auto" "11.000000000 20.000000000" \
    "$(mw datum-shift --from 'Auto Shift .....' --from-shift 3600,0 --to 'WGS 84' 10 20)"
same "datum-shift auto both" "10.000000000 20.000000000" \
    "$(mw datum-shift --from 'Auto Shift .....' --from-shift 3600,0 --to 'Auto Shift .....' --to-shift 1,1 10 20)"
status "datum-shift needs --from" 2 mw datum-shift --to 'WGS 84' 1 2

# A user datum from the home folder.
printf 'My Airy,0,375,-111,431\r\n' >"$dir/datums.dat"
same "datum-shift user datum" "52.000399503 -1.001520699" \
    "$(mw datum-shift --from 'My Airy' --to 'WGS 84' 52 -1)"

# project, both directions.
same "project TM" "205928.918960 5765288.255333" \
    "$(mw project --proj 'Transverse Mercator' --params 0,0,0.9996,0,0,777,777 52 3)"
near "project TM inverse" "52 3" \
    "$(mw project --proj 'Transverse Mercator' --params 0,0,0.9996,0,0,777,777 --inverse 205928.918960 5765288.255333)" 1e-8
same "project UTM map" "0.000000 0.000000" "$(mw project --proj '(UTM) Universal' --utm-cm 3 0 3)"
same "project Swiss" "600000.000000 200000.000000" \
    "$(mw project --proj '(SUI) Swiss Grid' --datum CH-1903 46.952405555 7.439583333)"
same "project NZG" "2510000.000000 6023150.000000" "$(mw project --proj '(NZG)' -41 173)"
same "project missing params" "0.000000 0.000000" "$(mw project --proj 'Transverse Mercator' 52 3)"
out=$(mw project --proj 'Cassini' 52 3 2>"$dir/err")
same "project unsupported" "3.000000 52.000000" "$out"
same "project unsupported warning" "mwtool: Map Projection not Supported" "$(cat "$dir/err")"

# grid references back to latitude/longitude.
near "grid utm" "-45 170" "$(mw grid utm 59 S 421184.6971 5016563.2317)" 1e-8
near "grid bng" "51.503480037 -0.126747680" "$(mw grid --datum 'Ord Srvy Grt Britn' bng TQ 30000 80000)" 1e-8
near "grid irish" "53.343729140 -6.273102804" "$(mw grid --datum 'Ireland 1965' irish O 15000 34000)" 1e-8
same "grid bng unreadable" "0.000000000 0.000000000" "$(mw grid bng TI 30000 80000)"
status "grid unknown kind" 2 mw grid mgrs 1 2 3

# distance.
same "distance east" "60.000000069 111120.000126973 90.000000000" "$(mw distance 0 0 0 1)"
same "distance west" "60.000000069 111120.000126973 269.999999589" "$(mw distance 0 1 0 0)"

# Standard input: one line out per line in, error lines in place, exit 1.
out=$(printf '51.5 -0.1\nnot a point\n\n81 10 7\n-45 170\r\n' | mw convert --format UTM)
same "convert stdin" "30U 701278 5709417
error: expected LAT LON, got 'not a point'
error: expected LAT LON, got ''
error: expected LAT LON, got '81 10 7'
59G 421185 5016563" "$out"
printf '51.5 -0.1\nx\n' | mw convert >/dev/null
same "stdin error exit" 1 $?
out=$(printf '0 0 0 1\n0 0 0\n' | mw distance)
same "distance stdin" "60.000000069 111120.000126973 90.000000000
error: expected LAT1 LON1 LAT2 LON2, got '0 0 0'" "$out"
out=$(printf '10 N 1 1\n61 N 1 1\nTQ 1 1\n' | mw grid utm | cut -c1-6)
same "grid stdin" "0.0000
error:
error:" "$out"
out=$(printf '52 3\n52,3\n' | mw project --proj 'Transverse Mercator' --params 0,0,0.9996,0,0,777,777)
same "project stdin" "205928.918960 5765288.255333
error: expected LAT LON, got '52,3'" "$out"

finish
