#!/usr/bin/env bash
# mwtool config and datum commands against a scratch application home.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"

# Nothing outside --home is touched: point HOME and XDG at a folder that must stay empty.
export HOME=$dir/elsewhere XDG_CONFIG_HOME=$dir/elsewhere/cfg
mkdir -p "$HOME"

"$tool" config defaults --home "$dir/h" >/dev/null
[ "$(ls -A "$HOME")" = "" ] || fail "files written outside --home"
[ "$(wc -l < "$dir/h/Mapwanderer1.ini")" -eq 70 ] || fail "main file lines"
[ "$(wc -l < "$dir/h/mapwanderer2.ini")" -eq 22 ] || fail "view file lines"
grep -q $'^Com Port,1\r$' "$dir/h/Mapwanderer1.ini" || fail "CR LF and Com Port"
tail -n1 "$dir/h/mapwanderer2.ini" | grep -q $'^End End End\r$' || fail "view file end"

out=$("$tool" config show --home "$dir/h")
[ "$(echo "$out" | wc -l)" -eq 90 ] || fail "config show prints 90 lines"
[ "$(echo "$out" | head -n1)" = "Position Format=Deg.Min" ] || fail "first key"
echo "$out" | grep -qx 'NMEA Log Distance=500' || fail "default log distance"
echo "$out" | grep -qx 'Min Speed=0.0' || fail "real format"
[ "$(echo "$out" | tail -n1)" = "MapView Size=95" ] || fail "last key"

# A missing home reads as defaults, like a first start.
"$tool" config show --home "$dir/none" | grep -qx 'Baud Rate=2' || fail "missing home"

printf 'Home Grid,14,-87,-98,-121\r\n' > "$dir/h/datums.dat"
[ "$("$tool" datum list --home "$dir/h" | wc -l)" -eq 122 ] || fail "datum list count"
"$tool" datum list --home "$dir/h" | grep -qx '118,WGS 84,20,0,0,0' || fail "WGS 84 row"
"$tool" datum list --home "$dir/h" | grep -qx '121,Home Grid,14,-87,-98,-121' || fail "user row"
[ "$("$tool" datum find "Home Grid" --home "$dir/h")" = 121 ] || fail "find user datum"
[ "$("$tool" datum find "NTF France" --home "$dir/h")" = 82 ] || fail "find NTF"
[ "$("$tool" datum find "wgs 84" --home "$dir/h")" = 118 ] || fail "fallback"

if "$tool" config frobnicate --home "$dir/h" 2>/dev/null; then fail "bad subcommand accepted"; fi
echo "1 passed, 0 failed"
