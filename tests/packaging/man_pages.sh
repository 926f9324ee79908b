#!/usr/bin/env bash
# The man pages format without a warning, and mwtool(1) describes every
# command that mwtool has.
set -euo pipefail
src=$1 build=$2 mwtool=$3
. "$src/tests/packaging/lib.bash"
need man groff
for page in mapwanderer mwtool; do
  file=$build/packaging/man/$page.1.gz
  [ -f "$file" ] || fail "$file was not built"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$build/packaging/man/mwtool.1.gz" 2>/dev/null | col -b)
commands=$("$mwtool" --help | sed -n 's/^  mwtool \([a-z0-9-]*\).*/\1/p' | sort -u)
for c in $commands; do
  grep -Eq "^ {7}$c( |$)" <<<"$text" || fail "mwtool(1) does not describe the command '$c'"
done
echo "1 passed, 0 failed"
