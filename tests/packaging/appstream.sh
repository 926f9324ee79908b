#!/usr/bin/env bash
# The AppStream metadata validates without the network, and carries the
# build's version.
set -euo pipefail
src=$1 build=$2 version=$3
. "$src/tests/packaging/lib.bash"
need appstreamcli
meta=$build/packaging/io.github.mapwanderer.Mapwanderer.metainfo.xml
[ -f "$meta" ] || fail "$meta was not generated"
out=$(appstreamcli validate --no-net "$meta" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$meta" || fail "no release $version in the metadata"
echo "1 passed, 0 failed"
