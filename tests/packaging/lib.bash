# Shared by the packaging tests: failing, and skipping (exit 77, which CTest
# reports as skipped) when a tool the test needs is not installed.
fail() { echo "FAIL: $*" >&2; exit 1; }
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}
