#!/bin/bash
# Builds the fuzz targets and runs each for SECONDS seconds (default 20),
# starting from the committed seed corpus. Fails on any finding.
#   tools/fuzz.sh [SECONDS] [TARGET...]
# Longer runs: tools/fuzz.sh 3600 fuzz_package_reader
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
seconds="${1:-20}"
shift || true
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNAK_FUZZ=ON \
  -DVORNAK_SANITIZE=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} = 0 ]; then
  targets=($(sed -n 's/^vornak_fuzz_target(\(.*\))$/\1/p' tests/fuzz/CMakeLists.txt))
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null
status=0
for target in "${targets[@]}"; do
  name="${target#fuzz_}"
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/findings"
  # New inputs go to the work corpus; the committed seeds stay as they are.
  if "$build/tests/fuzz/$target" "$work" "tests/fuzz/corpus/$name" -max_total_time="$seconds" \
       -artifact_prefix="$build/findings/$name-" -print_final_stats=1 >"$build/$target.log" 2>&1; then
    echo "$target: $(grep -E 'stat::number_of_executed_units' "$build/$target.log" | awk '{print $2}') runs, no finding"
  else
    echo "$target: FINDING, see $build/$target.log"; tail -30 "$build/$target.log"; status=1
  fi
done
exit $status
