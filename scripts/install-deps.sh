#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. As root it calls apt-get; otherwise sudo when it can ask
# without a terminal, or it prints the exact command to run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config zlib1g-dev libtiff-dev libproj-dev libexpat1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgdal-dev gdal-bin libimagequant-dev
  qt6-base-dev qt6-multimedia-dev qt6-image-formats-plugins qt6-svg-dev
  xvfb xauth imagemagick gpsd proj-bin python3 marble-qt-data locales clang
  librsvg2-bin desktop-file-utils appstream shared-mime-info man-db groff-base
  dpkg-dev fakeroot file lintian
  libplplot-data
)

# Files written by other programs that the tests read when they are here:
# a GPX track recorded by a running watch, shipped as test data of an npm GPX
# library (MIT licence). Fetched once; without npm or the registry the test
# that needs it reports itself skipped.
fetch_test_data() {
  local dest=/var/cache/mapwanderer/test-data
  [ -w /var/cache ] || dest=${XDG_CACHE_HOME:-$HOME/.cache}/mapwanderer/test-data
  [ -f "$dest/gpx-parse/route-1.1.gpx" ] && return 0
  command -v npm >/dev/null 2>&1 || return 0
  local tmp
  tmp=$(mktemp -d)
  if (cd "$tmp" && timeout 120 npm pack --silent gpx-parse@0.10.4 >/dev/null 2>&1 &&
      tar xzf gpx-parse-0.10.4.tgz package/tests/integration/data/route-1.1.gpx package/LICENSE); then
    mkdir -p "$dest/gpx-parse"
    cp "$tmp/package/tests/integration/data/route-1.1.gpx" "$dest/gpx-parse/"
    cp "$tmp/package/LICENSE" "$dest/gpx-parse/"
  else
    echo "note: the npm test file gpx-parse@0.10.4 could not be fetched; its test will skip" >&2
  fi
  rm -rf "$tmp"
}
fetch_test_data

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

apt_opts=(-o DPkg::Lock::Timeout=120 -y -q --no-install-recommends)
cmd=(apt-get "${apt_opts[@]}" install "${missing[@]}")
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" -eq 0 ]; then
  apt-get -o DPkg::Lock::Timeout=120 -q update
  "${cmd[@]}"
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo -n apt-get -o DPkg::Lock::Timeout=120 -q update
  sudo -n env DEBIAN_FRONTEND=noninteractive "${cmd[@]}"
else
  echo "Some packages are missing. Install them with:" >&2
  echo "  sudo apt-get update && sudo ${cmd[*]}" >&2
  exit 1
fi
