#!/bin/bash
# mwtool nav: the navigation panel's texts in each unit (the thresholds and
# formats themselves are the core's table), the shortened names and the
# bearing. Usage: nav_texts.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"

# Along the equator one degree is 111120 m, so a longitude of m / 111120
# degrees is m metres due east (bearing 90.0).
deg() { awk -v m="$1" 'BEGIN { printf "%.12f", m / 111120 }'; }

# metres unit expected-line
while read -r metres unit expect; do
    same "$metres m in unit $unit" "$expect" \
        "$(mw nav 0 0 0 "$(deg "$metres")" --name Harbour --unit "$unit")"
done <<'CASES'
999 0 Harbour,999,m,90.0
805 1 Harbour,0.50,mi,90.0
925 2 Harbour,3035,ft,90.0
CASES

same "kilometres by default, name shortened" "Riv..ide,1.00,km,90.0" \
    "$(mw nav 0 0 0 "$(deg 1000.001)" --name Riverside)"
same "westward bearing" ",111.1,km,270.0" "$(mw nav 0 1 0 0)"
same "due south" ",111.1,km,180.0" "$(mw nav 1 0 0 0)"
same "at the target" "Quay,0,m,0.0" "$(mw nav 51.5 -0.1 51.5 -0.1 --name Quay)"

status "bad unit" 2 mw nav 0 0 0 1 --unit 3
status "bad number" 2 mw nav 0 0 x 1
status "three numbers" 2 mw nav 0 0 1

finish
