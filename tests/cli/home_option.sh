#!/usr/bin/env bash
# --home DIR: nothing outside DIR is read or written. The default folders
# ("\Mapwanderer\Data", "\Mapwanderer\Maps") then lie below DIR, not below
# the user's home: a waypoint log goes to DIR/Mapwanderer/Data and the map
# search looks in DIR/Mapwanderer/Maps, never in ~/Mapwanderer.
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
export HOME=$dir/user XDG_CONFIG_HOME=$dir/user/.config
app=$dir/app

# The same map in each home's default map folder.
"$tool" demo "$dir/demo" --synthetic --quiet
mkdir -p "$HOME/Mapwanderer/Maps" "$app/Mapwanderer/Maps"
cp "$dir/demo/maps/demo_west.map" "$HOME/Mapwanderer/Maps/user.map"
cp "$dir/demo/maps/demo_west.map" "$app/Mapwanderer/Maps/app.map"
touch -d '2001-01-01' "$HOME/Mapwanderer/Maps/user.map" "$HOME/Mapwanderer/Maps" "$HOME/Mapwanderer" "$HOME"
before=$(find "$HOME" -printf '%p %s %T@\n' | sort)

found=$("$tool" maps 54.5 -3.1 --home "$app")
grep -q "$app/Mapwanderer/Maps/app.map" <<< "$found" || fail "the map below DIR is not found: $found"
grep -q "user.map" <<< "$found" && fail "the user's own map folder was searched: $found"

"$tool" wpt create --name Harbour 50.2 0.4 --home "$app" > /dev/null
log=$app/Mapwanderer/Data/ceWaypoints.wpt
[ -f "$log" ] || fail "no waypoint log below DIR: $(find "$dir" -type f)"
"$tool" wpt show "$log" --home "$app" | grep ',Harbour,50.2000000,0.4000000,' >/dev/null || fail "log read back"

after=$(find "$HOME" -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the user's home changed: $(diff <(echo "$before") <(echo "$after"))"
echo ok
