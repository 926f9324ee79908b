#!/usr/bin/env bash
# Runs the file round-trip test programs under a decimal-comma locale (the
# test programs set the C library's locale from the environment, as the
# desktop program does): every number written to or read from a file must
# come out the same as in the C locale.
# Usage: decimal_comma.sh SCRATCH TEST_PROGRAM...
# Exits 77 (skipped) only when no decimal-comma locale can be had.
set -uo pipefail
scratch=$1
shift
want=de_DE.UTF-8

has_comma() { [ "$(LC_ALL=$want locale decimal_point 2>/dev/null)" = "," ]; }

if ! has_comma; then
  # Build the locale into a private folder kept between runs: no root
  # needed, and the system is left alone.
  export LOCPATH=$scratch/locales
  mkdir -p "$LOCPATH"
  has_comma || localedef -i de_DE -f UTF-8 "$LOCPATH/$want" >/dev/null 2>&1
  has_comma || { echo "skipped: cannot build the $want locale with localedef"; exit 77; }
fi
# A C program must now write a comma, or the run would prove nothing.
probe=$(LC_ALL=$want /usr/bin/printf '%.1f' 1.5 2>/dev/null)
[ "$probe" = "1,5" ] || { echo "skipped: printf under $want gave '$probe'"; exit 77; }

status=0
for program in "$@"; do
  echo "== $(basename "$program") under $want"
  LC_ALL=$want LANG=$want "$program" --gtest_brief=1 || status=1
done
exit $status
