#!/usr/bin/env bash
# Starts the program. Without a display it says how to run it under Xvfb.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
There is no display to show the program on (DISPLAY and WAYLAND_DISPLAY are unset).
Run it under a virtual X server instead:
  xvfb-run -a -s '-screen 0 800x600x24' $build/src/ui/mapwanderer
MSG
  exit 1
fi
exec "$build/src/ui/mapwanderer"
