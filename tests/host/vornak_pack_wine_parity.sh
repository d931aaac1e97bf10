#!/bin/bash
# vornak-pack against the installer's own pack mode: the stub, run under Wine
# once per file as an installer is built on Windows, must write exactly the
# bytes that vornak-pack writes in one run. Skipped (77) where the Windows
# build or Wine is not there yet.
#   vornak_pack_wine_parity.sh PATH-TO-vornak-pack SCRATCH-FOLDER
set -u
pack="$1"
work="$2"
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root_dir/tools/wine-env.sh"

if [ ! -f "$VORNAK_WINE_ROOT/.vornak-ready" ]; then
  echo "skipped: no Wine root at $VORNAK_WINE_ROOT"
  exit 77
fi
fresh_wine_scratch_folder "$work" || exit 77
cd "$work"

printf '[Project Name]\r\nParity\r\n' >Setup.dat
: >empty.txt
seq 1 300000 >numbers.txt  # more than one 900 kB bzip2 block
head -c 70000 /dev/urandom >noise.bin

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Pack mode through cmd, so that the command line reaches the stub as it is
# written: the markers escaped from cmd, each path in plain quotes.
pack_mode() {  # pack_mode STUB FILE PACKAGE
  printf '%s ^<packthis^>"%s" ^<packto^>"%s"\r\n' "$(windows_path "$1")" \
    "$(windows_path "$work/$2")" "$(windows_path "$work/$3")" >pack.bat
  # In a subshell, so that a crash of a stub that cannot run here is not reported.
  (in_wine_root wine cmd /c "$(windows_path "$work/pack.bat")") </dev/null >/dev/null 2>&1
}

wine_prefix_ready
files=(Setup.dat empty.txt numbers.txt noise.bin)
# The 32-bit stub where this machine runs 32-bit code, else the same sources
# built for x86_64; both write the same entries.
used=""
for build in windows windows64; do
  stub="$vornak_root_dir/build/$build/app/VornakSetup.exe"
  [ -f "$stub" ] || continue
  cp "$stub" by-stub.exe
  pack_mode "$stub" "${files[0]}" by-stub.exe
  if [ "$(stat -c %s by-stub.exe)" -gt "$(stat -c %s "$stub")" ]; then
    used="$stub"
    break
  fi
done
if [ -z "$used" ]; then
  echo "skipped: no Windows stub that runs here"
  exit 77
fi
for file in "${files[@]:1}"; do
  pack_mode "$used" "$file" by-stub.exe
done

"$pack" build -o by-tool.exe --stub "$used" -j 2 "${files[@]}" >/dev/null || exit 1
if cmp by-stub.exe by-tool.exe; then
  echo "vornak-pack and the pack mode of $used wrote the same $(stat -c %s by-tool.exe) bytes"
  echo "wine parity: 1 passed, 0 failed"
  rm -rf "$work"
  exit 0
fi
"$pack" list by-stub.exe
"$pack" list by-tool.exe
echo "wine parity: 0 passed, 1 failed"
exit 1
