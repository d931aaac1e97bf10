#!/bin/bash
# The main job: build the sample project's installer with the native packer,
# then run it under Wine.
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
source tools/wine-env.sh

sample=examples/SampleTool
work=build/demo
mkdir -p "$work"
python3 tools/make-banner.py "$work/setup.bmp" "Sample Tool"

# Builds one installer from the project folder: its script names the files,
# which are found in the project, its payload folder, the folder of the
# program built with the stub, and the folder of the generated banner.
build_installer() {
  local stub="$1" program_folder="$2" out="$3"
  dist/vornak-pack build --project "$sample" -o "$out" --stub "$stub" \
    --files "$sample/files" --files "$program_folder" --files "$work"
}

build_installer dist/VornakSetup.exe build/windows/examples dist/SampleTool-setup.exe
echo "built dist/SampleTool-setup.exe"
dist/vornak-pack list dist/SampleTool-setup.exe

# The demo installs into a prefix of its own, so that what it shows is only
# what this installer did.
export VORNAK_WINEPREFIX="$root_dir/build/demo-prefix"
export WINEPREFIX="$VORNAK_WINEPREFIX"
wine_prefix_ready
installer=dist/SampleTool-setup.exe
# A 32-bit installer on 64-bit Windows sees the 32-bit Program Files folder
# and the 32-bit view of HKLM\Software.
program_files="Program Files (x86)"
registry_view=(/reg:32)
if ! runs_32bit_windows_code; then
  # This kernel cannot run 32-bit code: the same package on the x86_64 build
  # of the stub shows what the installer does.
  installer="$work/SampleTool-setup-x64.exe"
  make --no-print-directory demo-windows64
  build_installer build/windows64/app/VornakSetup.exe build/windows64/examples "$installer"
  program_files="Program Files"
  registry_view=()
  echo "this machine cannot run 32-bit code; running the x86_64 build of the same installer"
fi

if [ "${GUI:-0}" = 1 ]; then
  exec bash tools/screenshots.sh "$installer"
fi

echo "installing silently: $installer <Silent>"
in_wine_root wine "$installer" "<Silent>" </dev/null >/dev/null 2>&1
echo
echo "== installed files"
windows_paths() {
  PREFIX="$1" awk '{ sub(/^\.\//, ""); gsub(/\//, "\\"); print "  " ENVIRON["PREFIX"] $0 }'
}
(cd "$WINEPREFIX/drive_c/$program_files/Sample Tool" &&
  find . -type f | windows_paths "C:\\$program_files\\Sample Tool\\")
echo "== registry values"
in_wine_root wine reg query 'HKCU\Software\Sample Tool' </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d;s/^/  /'
echo "== shortcuts"
(cd "$WINEPREFIX/drive_c/users" && find . -name '*.lnk' | windows_paths 'C:\users\')
echo "== uninstall entry"
in_wine_root wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sample Tool' \
  "${registry_view[@]}" </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d;s/^/  /'
# The optional read-me opened a viewer; end everything the demo started.
in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
