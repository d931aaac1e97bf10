#!/bin/bash
# A signed installer installs as the unsigned one does: each is run silently
# under Wine in a fresh prefix of its own, and the installed files, the
# registry values, the uninstall entry and the record (script copy and
# uninstaller) must come out the same. The uninstaller is the bare stub in
# both: the signed installer's copy claims no certificate table. Skipped
# (77) without the Wine root, osslsigncode, openssl or a stub that runs here.
#   vornak_pack_signed_install.sh PATH-TO-vornak-pack SCRATCH-FOLDER
set -u
pack="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
work="$2"
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root_dir/tools/wine-env.sh"
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
[ -f "$VORNAK_WINE_ROOT/.vornak-ready" ] || { echo "skipped: no Wine root"; exit 77; }
fresh_wine_scratch_folder "$work" || exit 77
cd "$work"

printf '%s\r\n' '[Project Name]' 'Signed Demo' '' '[Install To]' '<Program Files>\Signed Demo' '' \
  '[CopyFile]' 'readme.txt' '<Destination>\readme.txt' '' \
  '[CopyFile]' 'data.bin' '<Destination>\sub\data.bin' '' \
  '[Registry]' 'HKCU' 'Software\Signed Demo' 'STRING' 'InstallFolder' '<Destination>' >setup.dat
printf 'Signed Demo\r\n' >readme.txt
head -c 50000 /dev/urandom >data.bin
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 -subj /CN=Test \
  >/dev/null 2>&1 || { echo "openssl made no certificate"; exit 1; }

stop_prefix() {
  in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Installs INSTALLER silently in a new prefix and prints what it left.
install_and_describe() {  # install_and_describe INSTALLER NAME
  export VORNAK_WINEPREFIX="$work/prefix-$2" WINEPREFIX="$work/prefix-$2"
  wine_prefix_ready
  in_wine_root wine "$work/$1" "<Silent>" </dev/null >/dev/null 2>&1
  local drive="$WINEPREFIX/drive_c"
  (cd "$drive" && find Program*/"Signed Demo" -type f -exec md5sum {} + 2>/dev/null | sort)
  (cd "$drive/windows" && find . -name 'VornakUninstall*' -exec md5sum {} + | sort)
  in_wine_root wine reg query 'HKCU\Software\Signed Demo' </dev/null 2>/dev/null | tr -d '\r'
  for view in /reg:32 /reg:64; do
    in_wine_root wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Signed Demo' \
      $view </dev/null 2>/dev/null | tr -d '\r'
  done
  stop_prefix
}

# The 32-bit stub where this machine runs 32-bit code, else the x86_64 one.
installed=""
for build in windows windows64; do
  stub="$vornak_root_dir/build/$build/app/VornakSetup.exe"
  [ -f "$stub" ] || continue
  "$pack" build -o unsigned.exe --stub "$stub" setup.dat readme.txt data.bin >/dev/null 2>&1 || exit 1
  install_and_describe unsigned.exe unsigned >unsigned.txt
  if grep -q "readme.txt" unsigned.txt; then
    installed="$stub"
    break
  fi
  rm -rf "$work/prefix-unsigned"
done
if [ -z "$installed" ]; then
  echo "skipped: no Windows stub that runs here"
  exit 77
fi
cp unsigned.exe signed.exe
"$pack" sign signed.exe --cert cert.pem --key key.pem >/dev/null 2>&1 || exit 1
osslsigncode verify -CAfile cert.pem -in signed.exe >/dev/null 2>&1 || { echo "not signed"; exit 1; }
install_and_describe signed.exe signed >signed.txt

status=0
if ! diff unsigned.txt signed.txt; then
  echo "FAILED: the signed installer left something else"
  status=1
fi
stub_sum="$(md5sum <"$installed" | cut -d' ' -f1)"
if ! grep -q "^$stub_sum .*VornakUninstall.exe$" signed.txt; then
  echo "FAILED: the signed installer's uninstaller is not the bare stub"
  status=1
fi
for expected in "readme.txt" "sub/data.bin" "VornakUninstall-Signed Demo.dat" "InstallFolder" \
  "UninstallString"; do
  grep -q "$expected" signed.txt || { echo "FAILED: nothing installed names $expected"; status=1; }
done
echo "installed with $installed:"
cat signed.txt
[ $status = 0 ] && rm -rf "$work"
echo "signed install: $((1 - status)) passed, $status failed"
exit $status
