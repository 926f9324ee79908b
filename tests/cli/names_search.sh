#!/usr/bin/env bash
# mwtool names info|search: the side file and the dialog's prefix filter on a
# small gazetteer (the border is the core's name-search test, damaged files
# the bad-input matrix).
set -euo pipefail
tool=$1
source "$2/tests/cli/cli_lib.bash"
source "$2/tests/cli/dbf_lib.bash"
need_python
home=$dir/app
T=$'\t'

# Sorted by name, as gazetteers are.
write_dbf "$dir/de.names" <<ROWS
Aachen${T}PPL${T}50.776${T}6.084
Bad Ems${T}PPL${T}50.335${T}7.711
bad Tölz${T}PPL${T}47.761${T}11.557
Berlin${T}PPLC${T}52.52${T}13.405
Brocken${T}MT${T}51.80${T}10.617
Hamburg${T}PPL${T}53.55${T}9.993
Zugspitze${T}MT${T}47.421${T}10.985
ROWS
printf '; German places\r\nDATUM,WGS 84\r\nPPL\r\n"PPLC"\r\nMT\r\n#####\r\nIGNORED\r\n' > "$dir/de.types"

# The header and roles lines are cli.names_dbase_oracle's; here the side file.
out=$("$tool" names info "$dir/de.names" --home "$home")
[ "$(tail -n 4 <<< "$out")" = "datum,WGS 84
code,PPL
code,PPLC
code,MT" ] || fail "side file: $out"

# The filter's own cases are the core's tables (--anywhere and --code: the
# dBASE oracle); here the prefix reaches it.
search() { "$tool" names search "$dir/de.names" --home "$home" "$@" | cut -f1 | paste -sd'|'; }
[ "$(search --text b)" = "Bad Ems|bad Tölz|Berlin|Brocken" ] || fail "prefix, lower case: $(search --text b)"

echo "1 passed, 0 failed"
