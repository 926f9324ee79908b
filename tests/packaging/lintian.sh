#!/usr/bin/env bash
# lintian finds no error in the package; its warnings are shown.
set -euo pipefail
src=$1 out=$2 version=$3
. "$src/tests/packaging/lib.bash"
need lintian
debs=("$out"/mapwanderer_"$version"_*.deb)
[ -f "${debs[0]}" ] || { echo "SKIP: no package in $out (its build was skipped or failed)"; exit 77; }
report=$(lintian --allow-root --tag-display-limit 0 "${debs[0]}" 2>&1) || true
echo "$report"
grep -q '^E: ' <<<"$report" && fail "lintian reports errors"
grep -q '^internal error\|^fatal' <<<"$report" && fail "lintian did not run: $report"
echo "1 passed, 0 failed"
