#!/usr/bin/env bash
# The desktop entry passes the freedesktop validator and declares only file
# types the package defines.
set -euo pipefail
src=$1
. "$src/tests/packaging/lib.bash"
need desktop-file-validate
entry=$src/packaging/io.github.mapwanderer.Mapwanderer.desktop
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate had remarks: $out"

value() { sed -n "s/^$1=//p" "$entry"; }
# Every type the entry declares is one the package defines, or GPX.
defined=$(grep -o 'mime-type type="[^"]*"' "$src/packaging/io.github.mapwanderer.Mapwanderer.xml" | cut -d'"' -f2)
for t in $(value MimeType | tr ';' ' '); do
  [ "$t" = application/gpx+xml ] && continue
  grep -qx "$t" <<<"$defined" || fail "MimeType $t is not defined in the package's types"
done
echo "1 passed, 0 failed"
