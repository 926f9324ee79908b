#!/usr/bin/env bash
# mwtool config and datum commands against a scratch application home: the
# files' contents and the datum table are the core config tests; here that
# nothing outside --home is touched and a user datum from the home is listed.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"

# Point HOME and XDG at a folder that must stay empty.
export HOME=$dir/elsewhere XDG_CONFIG_HOME=$dir/elsewhere/cfg
mkdir -p "$HOME"

"$tool" config defaults --home "$dir/h" >/dev/null
[ "$(ls -A "$HOME")" = "" ] || fail "files written outside --home"
"$tool" config show --home "$dir/h" | grep -x 'NMEA Log Distance=500' >/dev/null || fail "default log distance"

printf 'Home Grid,14,-87,-98,-121\r\n' > "$dir/h/datums.dat"
"$tool" datum list --home "$dir/h" | grep -x '121,Home Grid,14,-87,-98,-121' >/dev/null || fail "user row"
echo "1 passed, 0 failed"
