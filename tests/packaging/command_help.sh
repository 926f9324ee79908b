#!/usr/bin/env bash
# Both programs explain their command line and keep to the documented exit
# codes: 0 ok, 1 error, 2 usage. Each mwtool command has its own --help.
set -uo pipefail
src=$1 mwtool=$2 program=$3 version=${4-}
# Without the Qt program (a sanitizer build) CMake drops its empty argument.
[ $# -lt 4 ] && program= version=$3
. "$src/tests/packaging/lib.bash"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$TMPDIR"

# run EXPECTED_EXIT COMMAND...: output in $scratch/out and $scratch/err.
run() {
  local want=$1; shift
  "$@" >"$scratch/out" 2>"$scratch/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "'$*' exited $got, not $want: $(cat "$scratch/err")"
}

run 0 "$mwtool" --help
grep -q 'Exit status: 0 success, 1 the command failed, 2 usage error' "$scratch/out" ||
  fail "mwtool --help does not give the exit codes"
commands=$(sed -n 's/^  mwtool \([a-z0-9-]*\).*/\1/p' "$scratch/out" | sort -u)
[ "$(wc -l <<<"$commands")" -ge 10 ] || fail "mwtool --help lists only: $commands"

for c in $commands; do
  run 0 "$mwtool" "$c" --help
  head -n1 "$scratch/out" | grep "^usage: mwtool $c\b" >/dev/null || fail "'mwtool $c --help' starts: $(head -n1 "$scratch/out")"
done
run 2 "$mwtool" no-such-command
grep -q "unknown command 'no-such-command'" "$scratch/err" || fail "no word on an unknown command"
run 1 "$mwtool" mapinfo "$scratch/missing.map"

if [ -n "$program" ]; then
  run 0 "$program" --version
  [ "$(cat "$scratch/out")" = "Mapwanderer $version" ] || fail "mapwanderer --version says '$(cat "$scratch/out")'"
  run 0 "$program" --help
  grep -q 'Exit status: 0 ok' "$scratch/out" || fail "mapwanderer --help does not give the exit codes"
  run 2 "$program" --no-such-option
fi
echo "1 passed, 0 failed"
