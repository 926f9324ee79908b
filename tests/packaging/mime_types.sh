#!/usr/bin/env bash
# The file type definitions compile with shared-mime-info, and its database
# then knows the extensions of a text and a binary format.
set -euo pipefail
src=$1
. "$src/tests/packaging/lib.bash"
need update-mime-database
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/mime/packages"
cp "$src/packaging/io.github.mapwanderer.Mapwanderer.xml" "$scratch/mime/packages/"
out=$(update-mime-database -V "$scratch/mime" 2>&1) || fail "update-mime-database: $out"
grep -qi 'warn\|error' <<<"$out" && fail "update-mime-database complained: $out"

while read -r type glob; do
  grep -qxF "50:$type:$glob" "$scratch/mime/globs2" || fail "$glob is not $type"
done <<'TYPES'
application/x-mapwanderer-map *.map
image/x-mapwanderer-mwf2 *.mwf2
TYPES
echo "1 passed, 0 failed"
