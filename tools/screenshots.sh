#!/bin/bash
# Renders the wizard under Xvfb and saves its pages as PNG files in
# docs/screenshots/: the main page, the licence page, the progress page
# mid-way, the cancel question and the finish page. The end-to-end test
# program walks the pages; at each stop it asks for a photograph through a
# file, and this script takes it.
#   tools/screenshots.sh            (after make windows64)
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
export VORNAK_WINEPREFIX="$root_dir/build/screens-prefix"
export DISPLAY=:77
source tools/wine-env.sh

shots="$root_dir/build/screens"
out="$root_dir/docs/screenshots"
rm -rf "$shots" && mkdir -p "$shots" "$out"
python3 tools/make-banner.py "$shots/setup.bmp" "Sample Tool"

# A screen of our own, inside the Wine root, for as long as this runs.
in_wine_root Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 2
wine_prefix_ready
# A new prefix takes its display driver at its next server start.
in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
wine_prefix_ready

windows_path() { echo "Z:$1" | tr '/' '\\'; }
export VORNAK_SHOT_DIR="$(windows_path "$shots")"
export VORNAK_SHOT_LICENCE="$(windows_path "$root_dir/examples/SampleTool/setup.lic")"
export VORNAK_SHOT_BANNER="$(windows_path "$shots/setup.bmp")"

# A Wine desktop window repaints what closed pages leave behind; the bare
# X screen would keep their pixels.
in_wine_root wine explorer /desktop=screens,1024x768 \
  build/windows64/tests/e2e/e2e_tests.exe --gtest_also_run_disabled_tests \
  --gtest_filter='Screenshots.*' </dev/null >"$shots/driver.log" 2>&1 &
driver=$!
while kill -0 "$driver" 2>/dev/null; do
  for ready in "$shots"/*.ready; do
    [ -e "$ready" ] || continue
    name="$(basename "$ready" .ready)"
    [ -e "$shots/$name.done" ] && continue
    # The request holds the window's place: only that window is kept.
    geometry="$(cat "$ready")"
    in_wine_root import -display "$DISPLAY" -window root "$shots/$name.png" </dev/null
    in_wine_root convert "$shots/$name.png" -crop "$geometry" +repage "$out/$name.png" </dev/null
    touch "$shots/$name.done"
    echo "saved docs/screenshots/$name.png"
  done
  sleep 0.2
done
wait "$driver" || { cat "$shots/driver.log"; exit 1; }
