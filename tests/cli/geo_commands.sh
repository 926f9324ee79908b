#!/bin/bash
# mwtool convert, datum-shift, project, grid and distance: argument forms,
# standard input with one output line per input line, error lines, C-locale
# numbers, and nav's panel line. The accuracy of each conversion is the core's
# geodesy tests; here one case a command shows the wiring.
# Usage: geo_commands.sh MWTOOL REPO_ROOT
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

# convert: format by index and by name, the map's datum and parameters.
same "convert by index" "51 30.000'  -0 06.000'" "$(mw convert --format 0 51.5 -0.1)"
same "convert User (TM)" "651410 313177" \
    "$(mw convert --datum 'Ord Srvy Grt Britn' --format 'User (TM)' \
        --params 49,-2,0.9996012717,400000,-100000,777,777 52.657570306 1.717921583)"

# datum-shift.
same "datum-shift OSGB" "52.000399503 -1.001520699" \
    "$(mw datum-shift --from 'Ord Srvy Grt Britn' --to 'WGS 84' 52 -1)"
same "datum-shift auto" "11.000000000 20.000000000" \
    "$(mw datum-shift --from 'Auto Shift .....' --from-shift 3600,0 --to 'WGS 84' 10 20)"
status "datum-shift needs --from" 2 mw datum-shift --to 'WGS 84' 1 2

# project, both directions.
same "project TM" "205928.918960 5765288.255333" \
    "$(mw project --proj 'Transverse Mercator' --params 0,0,0.9996,0,0,777,777 52 3)"
near "project TM inverse" "52 3" \
    "$(mw project --proj 'Transverse Mercator' --params 0,0,0.9996,0,0,777,777 --inverse 205928.918960 5765288.255333)" 1e-8
out=$(mw project --proj 'Cassini' 52 3 2>"$dir/err")
same "project unsupported" "3.000000 52.000000" "$out"
same "project unsupported warning" "mwtool: Map Projection not Supported" "$(cat "$dir/err")"

# grid references back to latitude/longitude.
near "grid utm" "-45 170" "$(mw grid utm 59 S 421184.6971 5016563.2317)" 1e-8
near "grid bng" "51.503480037 -0.126747680" "$(mw grid --datum 'Ord Srvy Grt Britn' bng TQ 30000 80000)" 1e-8
status "grid unknown kind" 2 mw grid mgrs 1 2 3

# distance.
same "distance east" "60.000000069 111120.000126973 90.000000000" "$(mw distance 0 0 0 1)"

# Standard input: one line out per line in, error lines in place, exit 1.
out=$(printf '51.5 -0.1\nnot a point\n\n81 10 7\n-45 170\r\n' | mw convert --format UTM)
same "convert stdin" "30U 701278 5709417
error: expected LAT LON, got 'not a point'
error: expected LAT LON, got ''
error: expected LAT LON, got '81 10 7'
59G 421185 5016563" "$out"
printf '51.5 -0.1\nx\n' | mw convert >/dev/null
same "stdin error exit" 1 $?

# nav: the panel line (its units and thresholds are the core's table).
same "nav, name shortened" "Riv..ide,1.00,km,90.0" "$(mw nav 0 0 0 0.0089993 --name Riverside)"
status "nav bad unit" 2 mw nav 0 0 0 1 --unit 3

finish
