# Shared by the packaging tests: failing, and skipping (exit 77, which CTest
# reports as skipped) when a tool the test needs is not installed.
fail() { echo "FAIL: $*" >&2; exit 1; }
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}
# Sends SIGTERM to the program PID and fails unless it ends within ten seconds.
terminate() {
  local pid=$1 what=$2
  kill -TERM "$pid"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "SIGTERM did not end $what"
  wait "$pid" || true
}
