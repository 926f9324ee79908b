#!/bin/bash
# mwtool convert, datum-shift, project, grid and distance: argument forms,
# standard input with one output line per input line, error lines, C-locale
# numbers, and nav's panel line. The accuracy of each conversion is the core's
# geodesy tests; here one case a command shows the wiring.
# Usage: geo_commands.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"

# convert: a format by index (by name: standard input below).
same "convert by index" "51 30.000'  -0 06.000'" "$(mw convert --format 0 51.5 -0.1)"

# datum-shift.
same "datum-shift OSGB" "52.000399503 -1.001520699" \
    "$(mw datum-shift --from 'Ord Srvy Grt Britn' --to 'WGS 84' 52 -1)"

# project (both directions, --params) is cli.geo_proj_oracle's.

# grid references back to latitude/longitude (UTM and UPS: the oracle).
# Rounded to a centimetre: the last digits follow the platform's rounding.
same "grid bng" "51.5034800 -0.1267477" \
    "$(mw grid --datum 'Ord Srvy Grt Britn' bng TQ 30000 80000 | awk '{ printf "%.7f %.7f", $1, $2 }')"

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
# Many lines: the output is written in pieces, each line once, in order.
out=$(awk 'BEGIN { for (i = 0; i < 5000; i++) printf "%.4f %.4f\n", 50 + i / 1000, 8 }' | mw convert)
same "stdin 5000 lines" "5000 $(mw convert 54.9990 8)" "$(echo "$out" | wc -l) $(echo "$out" | tail -1)"

# nav: the panel line (its units and thresholds are the core's table).
same "nav, name shortened" "Riv..ide,1.00,km,90.0" "$(mw nav 0 0 0 0.0089993 --name Riverside)"

finish
