#!/bin/bash
# Runs inside the QEMU guest, in the Wine root, as the initramfs's last step.
# It puts the Wine prefixes of the prefixes disk where the tests look for
# them, runs the command the host left in .vornak-guest/request (ctest,
# normally) with its output on the console as it comes, and writes that
# output and the command's exit status to the results disk as a tar stream,
# which the host unpacks without mounting anything.
set -u
project="$1"
cd "$project" || exit 1
results=/tmp/vornak-results
mkdir -p "$results"
# The guest's root is the Wine root: programs run in it directly.
export VORNAK_WINE_ROOT=/

# The project's prefix, and the throwaway one of the restart test
# (tests/e2e/CMakeLists.txt).
prefixes=/var/lib/vornak-prefixes
for prefix in wineprefix windows/restart-prefix; do
  mkdir -p "$prefixes/$prefix" "build/$prefix"
  mount --bind "$prefixes/$prefix" "build/$prefix"
done

started=$(date +%s)
# The command's output goes to a file that tail copies to the console: a
# pipe would be inherited by Wine's service processes and never closed.
bash .vornak-guest/request >"$results/output.log" 2>&1 </dev/null &
command_pid=$!
tail -n +1 -f --pid="$command_pid" "$results/output.log"
wait "$command_pid"
status=$?
echo "$status" >"$results/status"
echo "guest: command ended with status $status after $(($(date +%s) - started)) s"

tar -cf "$VORNAK_RESULTS_DISK" -C "$results" .
sync
