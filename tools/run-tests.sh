#!/bin/bash
# Runs every test suite: host (native and under the sanitizers) and Windows
# (under Wine). Prints one summary line at the end and fails if anything did.
set -u
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
source tools/wine-env.sh
wine_prefix_ready

passed=0
failed=0
run_suite() {
  local name="$1" dir="$2"
  echo "=== $name"
  if ctest --test-dir "$dir" --output-on-failure -j1 </dev/null; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite host build/host
run_suite "host (sanitizers)" build/sanitize
run_suite windows build/windows
echo "suites: $passed passed, $failed failed"
[ "$failed" = 0 ]
