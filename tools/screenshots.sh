#!/bin/bash
# Renders the wizard under Xvfb and saves its pages as PNG files in
# docs/screenshots/: the main page, the licence page, the progress page
# mid-way, the cancel question and the finish page at 100 %, then the main
# and the finish page again at 150 % and 200 % display scale. The end-to-end
# test program walks the pages; at each stop it asks for a photograph
# through a file, and this script takes it. Everything it starts (the X
# server, the prefix's Wine processes) is ended when it exits.
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

stop_wine() {
  in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
}
# The X server runs in the Wine root behind sudo and unshare: $! is that
# wrapper, which may end and leave the server running. The server's lock
# file names the server itself, and only that process is ended.
xvfb_lock="$VORNAK_WINE_ROOT/tmp/.X${DISPLAY#:}-lock"
stop_xvfb() {
  local server
  server="$(tr -dc '0-9' <"$xvfb_lock" 2>/dev/null || true)"
  if [ -n "$server" ]; then
    "${vornak_as_root[@]}" kill "$server" 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
}
trap 'stop_wine; stop_xvfb' EXIT

# A screen of our own, inside the Wine root, for as long as this runs.
in_wine_root Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
sleep 2
wine_prefix_ready
# A new prefix takes its display driver at its next server start.
stop_wine
wine_prefix_ready

windows_path() { echo "Z:$1" | tr '/' '\\'; }
export VORNAK_SHOT_DIR="$(windows_path "$shots")"
export VORNAK_SHOT_LICENCE="$(windows_path "$root_dir/examples/SampleTool/setup.lic")"
export VORNAK_SHOT_BANNER="$(windows_path "$shots/setup.bmp")"

# Walks the wizard once at the prefix's current display scale. A Wine
# desktop window repaints what closed pages leave behind; the bare X screen
# would keep their pixels.
walk() {
  in_wine_root wine explorer /desktop=screens,1024x768 \
    build/windows64/tests/e2e/e2e_tests.exe --gtest_also_run_disabled_tests \
    --gtest_filter='Screenshots.*' </dev/null >"$shots/driver.log" 2>&1 &
  local driver=$!
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
}

# The display scale is the prefix's LogPixels, read when its server starts.
set_scale() {
  in_wine_root wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1
  stop_wine
  wine_prefix_ready
}

set_scale 96
walk
for scale in 150 200; do
  set_scale $((96 * scale / 100))
  VORNAK_SHOT_SCALE=$scale walk
done
set_scale 96
