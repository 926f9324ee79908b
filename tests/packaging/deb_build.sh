#!/usr/bin/env bash
# Builds the Debian package with CPack from the build tree into OUT, for the
# tests that install and inspect it.
set -euo pipefail
src=$1 build=$2 out=$3
. "$src/tests/packaging/lib.bash"
need cpack dpkg-deb dpkg-shlibdeps
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 20 "$out/cpack.log")"
debs=("$out"/mapwanderer_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no mapwanderer_*.deb: $(ls "$out")"
echo "built ${debs[0]##*/}"
echo "1 passed, 0 failed"
