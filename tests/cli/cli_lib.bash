# What the mwtool tests share; sourced, not a test of its own:
#   tool=$1; source "$2/tests/cli/cli_lib.bash"
# $dir is a scratch folder removed at the end; `mw ARGS` runs the tool with
# --home "$dir"; fail ends the test; same records a difference and lets the
# test go on (`finish` ends it, failed if anything differed); skip ends it
# with CTest's skip code 77, never as passed.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LC_ALL=C
failed=0
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
finish() { exit "$failed"; }
mw() { "$tool" "$@" --home "$dir"; }

# same NAME EXPECTED ACTUAL
same() {
    if [[ "$2" != "$3" ]]; then
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        failed=1
    fi
}

# status NAME EXPECTED_CODE COMMAND...: the command's exit code, output dropped.
status() {
    local name=$1 code=$2 rc
    shift 2
    "$@" >/dev/null 2>&1 && rc=0 || rc=$?
    same "$name: exit" "$code" "$rc"
}

need_python() { command -v python3 >/dev/null 2>&1 || skip "python3 missing"; }
