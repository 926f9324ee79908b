#!/usr/bin/env bash
# Installs the package into a fresh root and runs it from there: the root
# lies elsewhere than /usr, so the programs must find their data beside
# themselves; the program starts offscreen, copies its shared data into the
# application home and ends on SIGTERM.
set -euo pipefail
src=$1 out=$2 version=$3 module_dir=${4:-../lib/mapwanderer/modules}
. "$src/tests/packaging/lib.bash"
need dpkg-deb
debs=("$out"/mapwanderer_"$version"_*.deb)
[ -f "${debs[0]}" ] || { echo "SKIP: no package in $out (its build was skipped or failed)"; exit 77; }
deb=${debs[0]}

scratch=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$scratch"' EXIT

dpkg-deb -f "$deb" Depends | grep 'libqt6widgets6' >/dev/null || fail "Depends lacks the Qt libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep 'libqt6svg6' >/dev/null || fail "Depends lacks Qt SVG, which draws the waypoint symbols"
dpkg-deb -f "$deb" Depends | grep 'libqt6multimedia6' >/dev/null || fail "Depends lacks Qt Multimedia, which the sound module plays through"
dpkg-deb -f "$deb" Depends | grep 'libgdal' >/dev/null || fail "Depends lacks GDAL, which the map import module reads rasters through"

root=$scratch/root
dpkg -x "$deb" "$root" 2>/dev/null || dpkg-deb -x "$deb" "$root"
usr=$root/usr
# Every shared file of the source tree is in the package, byte for byte.
shared=()
while IFS= read -r -d '' f; do shared+=("${f#"$src/data/"}"); done < <(find "$src/data" -type f -print0)
[ ${#shared[@]} -gt 0 ] || fail "the source tree has no shared data"
for rel in "${shared[@]}"; do
  cmp -s "$src/data/$rel" "$usr/share/mapwanderer/$rel" || fail "share/mapwanderer/$rel differs or is missing"
done

# The modules the program loads on first use lie where it looks for them,
# and the program itself does not load their libraries at start.
for module in mapwanderer-sound.so mapwanderer-import.so; do
  [ -f "$usr/bin/$module_dir/$module" ] || fail "$module is not in bin/$module_dir"
  if command -v ldd >/dev/null; then
    libs=$(ldd "$usr/bin/$module_dir/$module")
    grep -q 'not found' <<<"$libs" && fail "$module lacks libraries: $libs"
  fi
done
if command -v readelf >/dev/null; then
  needed=$(readelf -d "$usr/bin/mapwanderer")
  grep -q 'Multimedia' <<<"$needed" && fail "the program links Qt Multimedia itself"
  grep -q 'libgdal' <<<"$needed" && fail "the program links GDAL itself"
fi

[ "$("$usr/bin/mwtool" version)" = "mwtool $version" ] || fail "installed mwtool version: $("$usr/bin/mwtool" version)"

export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp QT_QPA_PLATFORM=offscreen
apphome=$XDG_CONFIG_HOME/mapwanderer
mkdir -p "$HOME" "$TMPDIR"

"$usr/bin/mapwanderer" >"$scratch/program.log" 2>&1 &
pid=$!
for _ in $(seq 150); do
  ls "$TMPDIR"/mapwanderer-* >/dev/null 2>&1 && [ -f "$apphome/.shared-data-installed" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $pid 2>/dev/null || fail "the installed program did not start: $(cat "$scratch/program.log")"
[ -f "$apphome/.shared-data-installed" ] || fail "no shared data reached the application home"
cmp -s "$src/data/${shared[0]}" "$apphome/${shared[0]}" || fail "${shared[0]} did not reach the application home"
cmp -s "$src/data/PSymbols/151.svg" "$apphome/PSymbols/151.svg" || fail "the waypoint symbols did not reach the application home"

terminate $pid "the installed program"
pid=
echo "1 passed, 0 failed"
