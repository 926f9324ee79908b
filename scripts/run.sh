#!/usr/bin/env bash
# Starts the program on the bundled demo map set, which is drawn and encoded
# into the build folder the first time. The demo has its own application home,
# so your own settings are not touched. Without a display it says how to run
# it under Xvfb.
set -euo pipefail
build=${1:-build}
demo=$build/demo
if [ ! -f "$demo/config/mapwanderer/LastMap.ini" ]; then
  echo "Drawing the demo maps into $demo ..."
  "$build/src/cli/mwtool" demo "$demo" --quiet
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
There is no display to show the program on (DISPLAY and WAYLAND_DISPLAY are unset).
Run it under a virtual X server instead:
  XDG_CONFIG_HOME=$demo/config xvfb-run -a -s '-screen 0 800x600x24' $build/src/ui/mapwanderer
MSG
  exit 1
fi
XDG_CONFIG_HOME=$demo/config exec "$build/src/ui/mapwanderer"
