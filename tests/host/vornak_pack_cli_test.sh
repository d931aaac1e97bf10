#!/bin/bash
# vornak-pack end to end: every command through the real program, its exit
# status, what it prints, and that a failed build writes nothing.
#   vornak_pack_cli_test.sh PATH-TO-vornak-pack
set -u
pack="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  local what="$1"
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
status_is() {  # status_is WANTED COMMAND...
  local wanted="$1"
  shift
  "$@" >out.txt 2>err.txt
  [ "$?" = "$wanted" ]
}

head -c 4000 /dev/urandom >stub.exe
printf '[Project Name]\r\nDemo\r\n' >setup.dat
seq 1 200000 >numbers.txt
: >empty.txt
mkdir docs && printf 'licence\r\n' >docs/licence.md

check "--help exits 0" status_is 0 "$pack" --help
check "--help shows usage" grep -q "vornak-pack create" out.txt
check "--version names the program" sh -c "'$pack' --version | grep -q '^vornak-pack [0-9]'"
check "no arguments exit 2" status_is 2 "$pack"
check "an unknown command exits 2" status_is 2 "$pack" frobnicate x
check "and says why" grep -q "unknown command 'frobnicate'" err.txt

check "create" status_is 0 "$pack" create --stub stub.exe -j 2 demo.exe setup.dat numbers.txt \
  empty.txt --name setup.lic docs/licence.md
check "create reports the package" grep -q "^demo.exe: .* 4 entries, stub 4000 bytes" out.txt
check "list" status_is 0 "$pack" list demo.exe
check "list shows the directory" grep -q "^demo.exe: 4 entries, stub 4000 bytes" out.txt
check "list names the renamed entry" grep -q " setup.lic$" out.txt
check "verify" status_is 0 "$pack" verify demo.exe
check "verify counts" grep -q "4 entries, 0 damaged" out.txt
check "extract" status_is 0 "$pack" extract -d back demo.exe
check "numbers.txt comes back" cmp numbers.txt back/numbers.txt
check "the licence comes back renamed" cmp docs/licence.md back/setup.lic
check "the empty file comes back empty" test -f back/empty.txt -a ! -s back/empty.txt
check "stub" status_is 0 "$pack" stub demo.exe bare.exe
check "the stub comes back" cmp stub.exe bare.exe

check "one thread writes the same bytes" status_is 0 "$pack" create --stub stub.exe -j1 one.exe \
  setup.dat numbers.txt empty.txt --name setup.lic docs/licence.md
check "... as two" cmp demo.exe one.exe
check "add" status_is 0 "$pack" add demo.exe docs/licence.md
check "add appends" grep -q "5 entries" out.txt

cp demo.exe before.exe
check "a missing file fails" status_is 1 "$pack" add demo.exe missing.bin
check "and names it" grep -q "missing.bin" err.txt
check "and leaves the package alone" cmp demo.exe before.exe
check "no temporary file is left" sh -c "! ls -A | grep -q vornak-pack"
check "a duplicate name fails" status_is 1 "$pack" create fresh.exe setup.dat setup.dat
check "and writes nothing" test ! -e fresh.exe
check "a package without setup.dat is verified with a warning" \
  sh -c "'$pack' create plain.exe numbers.txt >/dev/null && '$pack' verify plain.exe 2>&1 | grep -q 'no setup.dat'"
check "verify of a plain file fails" status_is 1 "$pack" verify stub.exe
check "and says why" grep -q "is not a package" err.txt
check "list of a missing file fails" status_is 1 "$pack" list absent.exe
check "and does not create it" test ! -e absent.exe

# A flipped byte in the middle of the entry data: the file checksum no
# longer holds, so the installer would see no package at all.
printf 'X' | dd of=demo.exe bs=1 seek=20000 conv=notrunc status=none
check "a damaged package fails verify" status_is 1 "$pack" verify demo.exe
check "with the reason" grep -q "file checksum does not match" err.txt

echo "vornak-pack cli: $passed passed, $failed failed"
[ "$failed" = 0 ]
