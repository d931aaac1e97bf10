#!/bin/bash
# Checks the stub's image: PE32 (i386) or, for the 64-bit edition, PE32+
# (x86-64); GUI subsystem, large-address-aware, and an import table of DLLs that Windows always loads from the system
# folder (no MinGW runtime DLL that would have to ship, and nothing a DLL
# planted beside the installer could stand in for; common controls and
# version information are loaded at run time). The CheckSum is 0, so that a
# signed installer still reads as a package, and there is no build timestamp,
# so that two builds of the same sources give the same bytes.
#   check_stub_image.sh STUB [i686|x86_64]
set -u
stub="$1"
arch="${2:-i686}"
case "$arch" in
  i686) objdump=i686-w64-mingw32-objdump format=pei-i386 magic=010b goal=131072 ceiling=196608 ;;
  x86_64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 magic=020b goal=163840 ceiling=229376 ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
headers=$(TZ=UTC $objdump -p "$stub") || { echo "cannot read $stub"; exit 1; }
fail=0
grep -q "file format $format" <<<"$($objdump -f "$stub")" \
  || { echo "not a $format image"; fail=1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" \
  || { echo "not a GUI-subsystem program"; fail=1; }
grep -Eq "^Magic[[:space:]]+$magic" <<<"$headers" \
  || { echo "optional header magic is not $magic"; fail=1; }
# The whole-file buffers of a large entry need more than 2 GB of address
# space, which 64-bit Windows gives a 32-bit program only when it asks.
grep -q 'large address aware' <<<"$headers" || { echo "not large-address-aware"; fail=1; }
grep -Eq '^CheckSum[[:space:]]+0+$' <<<"$headers" \
  || { echo "CheckSum is not 0: $(sed -n 's/^CheckSum[[:space:]]*//p' <<<"$headers")"; fail=1; }
grep -Eq '^Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970$' <<<"$headers" \
  || { echo "has a build timestamp: $(sed -n 's/^Time\/Date[[:space:]]*//p' <<<"$headers")"; fail=1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|msvcrt|shlwapi)\.dll$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  if ! grep -Eq "$allowed" <<<"$lower"; then
    echo "imports a DLL that is not part of Windows: $dll"; fail=1
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
echo "imports: $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
# The size is a goal, followed in docs/performance.md; only far beyond it is
# it a fault: the C++ runtime's exception and thread machinery came in (a
# guarded function-local static is enough), some 150 KB at once.
size=$(stat -c %s "$stub")
echo "size: $size bytes (goal $goal)"
[ "$size" -le "$ceiling" ] || { echo "over $ceiling bytes: the C++ runtime came in"; fail=1; }
[ $fail = 0 ] && echo "stub image ok"
exit $fail
