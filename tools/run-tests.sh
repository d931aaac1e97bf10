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
# 32-bit Windows programs run only where the kernel can execute 32-bit
# code. Elsewhere the i686 suites run in a QEMU guest whose kernel can (a
# few minutes; tools/guest-lane.sh), and the same tests run from the x86_64
# build too.
if runs_32bit_windows_code; then
  run_suite "windows (i686, this machine)" build/windows
else
  echo "=== windows (i686 stub image; this machine cannot run 32-bit code)"
  ctest --test-dir build/windows -R stub_image --output-on-failure </dev/null \
    && passed=$((passed + 1)) || failed=$((failed + 1))
  # About 11 minutes on an idle 2-core machine; VORNAK_GUEST_LANE=0 leaves
  # it out of a run made for something else.
  if [ "${VORNAK_GUEST_LANE:-1}" = 1 ]; then
    echo "=== windows (i686, QEMU guest)"
    lane_start=$(date +%s)
    if bash tools/guest-lane.sh </dev/null; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
    echo "the i686 guest lane took $(($(date +%s) - lane_start)) s"
  else
    echo "=== windows (i686, QEMU guest): left out (VORNAK_GUEST_LANE=0)"
  fi
fi
run_suite "windows (x86_64)" build/windows64
echo "=== layers (no include or link from a lower folder to a higher one)"
if python3 tools/check-layers.py; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "=== formatting (.clang-format; make format applies it)"
if git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run --Werror; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "=== fuzzing (each target briefly; tools/fuzz.sh SECONDS for longer runs)"
if tools/fuzz.sh "${VORNAK_FUZZ_SECONDS:-20}"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "suites: $passed passed, $failed failed"
[ "$failed" = 0 ]
