#!/bin/bash
# mwtool convert shifts a WGS 84 position into the target datum before it
# formats it: GPS positions over Great Britain as British National Grid
# references, against PROJ's cs2cs with the same three-parameter
# translation the datum table holds for OSGB36 (375, -111, 431). Our shift
# drops the ellipsoidal height the translation creates (up to about 0.3 m)
# and the reference is rounded to the metre (up to 0.71 m), so the tolerance
# is 1.2 m; without the shift the points lie about 100 m off. Skipped (exit 77) without PROJ.
# Usage: convert_datum_oracle.sh MWTOOL REPO_ROOT
set -u
tool=$1
source "$2/tests/cli/cli_lib.bash"
command -v cs2cs >/dev/null || skip "PROJ's cs2cs not installed"

pts=$(awk 'BEGIN { for (lat = 50; lat <= 58.01; lat += 0.5)
                     for (lon = -6; lon <= 1.01; lon += 0.5) printf "%.6f %.6f\n", lat, lon }')
bng="+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000 +ellps=airy"
ref=$(echo "$pts" | awk '{print $2, $1, 0}' |
      cs2cs -f %.3f +proj=longlat +datum=WGS84 +no_defs +to $bng +towgs84=375,-111,431 +no_defs |
      awk '{print $1, $2}')
# The letters of a reference back to metres from the grid's false origin.
to_metres='
    function idx(c) { return index("ABCDEFGHJKLMNOPQRSTUVWXYZ", c) - 1 }
    { a = idx(substr($1, 1, 1)); b = idx(substr($1, 2, 1))
      e = ((a - 2) % 5) * 5 + b % 5; n = (19 - int(a / 5) * 5) - int(b / 5)
      printf "%d %d\n", e * 100000 + $2, n * 100000 + $3 }'
# compare NAME OURS: fails when a point lies more than 1.2 m from PROJ's.
compare() {
    paste <(echo "$2" | awk "$to_metres") <(echo "$ref") | awk -v name="$1" '
        { de = $1 - $3; dn = $2 - $4; d = sqrt(de * de + dn * dn); if (d > m) m = d; n++ }
        END { printf "%-40s %4d points  max %.3f m  (tolerance 1.2 m)\n", name, n, m
              exit (n < 200 || m > 1.2) ? 1 : 0 }' || failed=1
}
compare "WGS 84 (default --from) to BNG" \
    "$(echo "$pts" | mw convert --datum 'Ord Srvy Grt Britn' --format BNG)"
compare "--from 'WGS 84' to BNG" \
    "$(echo "$pts" | mw convert --from 'WGS 84' --datum 'Ord Srvy Grt Britn' --format BNG)"

# Input already on OSGB36 is not shifted again: the grid reference of a
# point read back from a reference gives that reference.
same "--from the target datum" "TQ 30000 80000" \
    "$(mw convert --from 'Ord Srvy Grt Britn' --datum 'Ord Srvy Grt Britn' --format BNG 51.50348 -0.1267477)"

finish
