#!/bin/bash
# Runs the i686 Windows suites of build/windows (the unit tests and the
# end-to-end tests) in a QEMU guest, for machines whose kernel cannot run
# 32-bit code. QEMU emulates the whole machine (TCG), and the guest boots a
# stock Debian kernel, which can; the guest's root is the project's Wine root.
#   tools/guest-lane.sh [CTEST-ARG...]          ctest in build/windows, with
#                                               these arguments added
#   tools/guest-lane.sh --command CMD [ARG...]  CMD in the project folder
#                                               instead, for example
#                                               tools/wine-run.sh PROGRAM
# The exit status is the guest command's, or 1 when the guest ended without
# one (a crash, or a time-out). The output is kept in build/guest-results/.
# VORNAK_GUEST_TIME_SCALE (default 5) stretches the tests' time limits; the
# guest's size and its own time limit: tools/guest-boot.sh.
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
if [ "$(id -u)" != 0 ]; then
  exec sudo --preserve-env=VORNAK_GUEST_TIMEOUT,VORNAK_GUEST_MEMORY,VORNAK_GUEST_CPUS,VORNAK_WINE_ROOT,VORNAK_GUEST_TIME_SCALE \
    bash "$0" "$@"
fi
vornak_root_dir="$root_dir"
source tools/guest-boot.sh
source tools/guest-images.sh
lane_started=$(date +%s)

if [ "${1:-}" = --command ]; then
  shift
  [ $# -gt 0 ] || { echo "usage: tools/guest-lane.sh --command CMD [ARG...]" >&2; exit 2; }
  request="$(printf '%q ' "$@")"
else
  # stub_image reads the image with the host's binutils; tools/run-tests.sh
  # runs it here.
  request="ctest --test-dir build/windows --output-on-failure -j1 -E '^stub_image\$'"
  [ $# = 0 ] || request+="$(printf ' %q' "$@")"
fi
[ -f build/windows/CTestTestfile.cmake ] ||
  { echo "guest-lane: no i686 test build in build/windows (make windows builds it)" >&2; exit 1; }

bash tools/bootstrap.sh guest >&2

# One lane per work tree at a time: they share build/guest-run.
exec 7>>build/.guest-lane.lock
flock -n 7 || { echo "guest-lane: another guest lane runs in $root_dir" >&2; exit 1; }
run="$root_dir/build/guest-run"
kept="$root_dir/build/guest-results"
end_lane() {
  guest_end
  rm -rf "$run"
}
trap end_lane EXIT
trap 'exit 130' INT TERM HUP
rm -rf "$run" "$kept"
mkdir -p "$run/project/build" "$run/results" "$kept"

guest_images_ready
images_ready=$(date +%s)

# The project as the guest sees it, at the same path as here: the scripts,
# cmake/ (ctest names tools/wine-run.sh through it) and the i686 build,
# without objects or this machine's prefixes. Hard links where the file
# system allows, so staging copies nothing.
for folder in tools cmake; do
  cp -al "$folder" "$run/project/" 2>/dev/null || cp -a "$folder" "$run/project/"
done
cp -al build/windows "$run/project/build/" 2>/dev/null || cp -a build/windows "$run/project/build/"
find "$run/project/build/windows" -depth \( -name CMakeFiles -o -name restart-prefix \) \
  -exec rm -rf {} +
# Under emulation everything takes several times longer (the end-to-end
# tests about five times, more on a loaded machine): ctest's time limits and
# those of the end-to-end tests' waits are stretched as many times. perl -i
# writes a new file, so the build's own (hard-linked) one stays as it is.
scale="${VORNAK_GUEST_TIME_SCALE:-5}"
find "$run/project/build/windows" -name CTestTestfile.cmake \
  -exec perl -pi -e "s/(TIMEOUT \")(\d+)/\$1 . \$2 * $scale/ge" {} +
mkdir -p "$run/project/.vornak-guest"
echo "export VORNAK_WAIT_SCALE=$scale; $request" >"$run/project/.vornak-guest/request"
# Room for the tests' files; sparse, so it costs only what they write.
guest_make_image "$run/project" 8192 "$run/project.img"
rm -rf "$run/project"

echo "guest-lane: booting the guest (QEMU TCG, $(nproc) cores): $request"
guest_ended=0
guest_boot "$run" "$run/project.img" "$guest_images/prefixes.img" 0 || guest_ended=1
cp "$run/console.log" "$kept/console.log" 2>/dev/null || true
cp "$run/results/output.log" "$kept/output.log" 2>/dev/null || true
took="$(($(date +%s) - lane_started)) s (guest images ready after $((images_ready - lane_started)) s)"
if [ "$guest_ended" = 1 ]; then
  echo "guest-lane: no result; the console is in $kept/console.log; took $took"
  exit 1
fi
status="$(cat "$run/results/status")"
failed="$(sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' \
  "$run/results/output.log" | tr '\n' ' ')"
echo "guest-lane: status $status${failed:+, failed in the guest: $failed}; took $took"
echo "$status" >"$kept/status"
exit "$status"
