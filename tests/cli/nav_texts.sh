#!/bin/bash
# mwtool nav: the navigation panel's texts, through the unit thresholds and
# formats, the shortened names and the bearing. Usage: nav_texts.sh MWTOOL REPO_ROOT
set -u
MW=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export LC_ALL=C
fail=0

same() {
    if [[ "$2" != "$3" ]]; then
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        fail=1
    fi
}
mw() { "$MW" "$@" --home "$home"; }

# Along the equator one degree is 111120 m, so a longitude of m / 111120
# degrees is m metres due east (bearing 90.0).
deg() { awk -v m="$1" 'BEGIN { printf "%.12f", m / 111120 }'; }

# metres unit expected-line
while read -r metres unit expect; do
    same "$metres m in unit $unit" "$expect" \
        "$(mw nav 0 0 0 "$(deg "$metres")" --name Harbour --unit "$unit")"
done <<'CASES'
999 0 Harbour,999,m,90.0
1000.001 0 Harbour,1.00,km,90.0
150000 0 Harbour,150.0,km,90.0
1500000 0 Harbour,1500,km,90.0
800 1 Harbour,2625,ft,90.0
805 1 Harbour,0.50,mi,90.0
925 2 Harbour,3035,ft,90.0
926 2 Harbour,0.50,mi,90.0
CASES

same "kilometres by default, name shortened" "Riv..ide,1.00,km,90.0" \
    "$(mw nav 0 0 0 "$(deg 1000.001)" --name Riverside)"
same "westward bearing" ",111.1,km,270.0" "$(mw nav 0 1 0 0)"
same "due south" ",111.1,km,180.0" "$(mw nav 1 0 0 0)"
same "at the target" "Quay,0,m,0.0" "$(mw nav 51.5 -0.1 51.5 -0.1 --name Quay)"

mw nav 0 0 0 1 --unit 3 >/dev/null 2>&1
same "bad unit exit" 2 $?
mw nav 0 0 x 1 >/dev/null 2>&1
same "bad number exit" 2 $?
mw nav 0 0 1 >/dev/null 2>&1
same "three numbers exit" 2 $?

exit $fail
