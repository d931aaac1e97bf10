#!/bin/bash
# vornak-pack end to end: every command through the real program, its exit
# status, what it prints, that a failed build writes nothing, and both
# example projects built and linted clean.
#   vornak_pack_cli_test.sh PATH-TO-vornak-pack
set -u
pack="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

source "$root_dir/tests/host/script_checks.sh"
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
mkdir docs && printf 'licence\r\n' >docs/setup.lic

check "--help exits 0" status_is 0 "$pack" --help
check "--help shows usage" grep -q "vornak-pack build -o OUT" out.txt
check "--version names the program" sh -c "'$pack' --version | grep -q '^vornak-pack [0-9]'"
check "no arguments exit 2" status_is 2 "$pack"
check "an unknown command exits 2" status_is 2 "$pack" frobnicate x
check "and says why on stderr" grep -q "unknown command 'frobnicate'" err.txt

check "build" status_is 0 "$pack" build -o demo.exe --stub stub.exe -j 2 setup.dat numbers.txt \
  empty.txt docs/setup.lic
check "build reports the package" grep -q "^demo.exe: .* 4 entries, stub 4000 bytes" out.txt
check "no progress bar when stderr is no terminal" test ! -s err.txt
check "list" status_is 0 "$pack" list demo.exe
check "list starts with the stub" grep -q "^stub 4000 bytes$" out.txt
check "and ends saying it is unsigned" sh -c "tail -1 out.txt | grep -qx unsigned"
check "list gives name, offset, sizes and ratio" grep -Eq "^setup.lic +[0-9]+ +[0-9]+ +9 +[0-9.]+%$" out.txt
check "verify" status_is 0 "$pack" verify demo.exe
check "verify passes every step" grep -q "4 entries, all hold" out.txt
check "extract" status_is 0 "$pack" extract demo.exe -d back
check "numbers.txt comes back" cmp numbers.txt back/numbers.txt
check "the empty file comes back empty" test -f back/empty.txt -a ! -s back/empty.txt
check "extract by name" status_is 0 "$pack" extract demo.exe SETUP.LIC -d one
check "writes only that entry" sh -c "[ \"\$(ls one)\" = setup.lic ]"
check "extract stops at --max-size" status_is 1 "$pack" extract demo.exe -d limited --max-size 1K
check "and says where" grep -q "extraction stops before 'numbers.txt'" err.txt
check "after what fitted" test -f limited/setup.dat -a ! -e limited/numbers.txt

# The 64-bit edition is the VornakSetup64.exe beside the tool.
mkdir editions && cp "$pack" editions/ && head -c 3000 /dev/urandom >editions/VornakSetup64.exe
check "build --arch x64" status_is 0 editions/vornak-pack build --arch x64 -o x64.exe setup.dat
check "... starts from VornakSetup64.exe" cmp -n 3000 editions/VornakSetup64.exe x64.exe
check "--arch with --stub is refused" status_is 1 "$pack" build --arch x64 --stub stub.exe -o no.exe setup.dat
check "an unknown --arch is refused" status_is 2 "$pack" build --arch arm64 -o no.exe setup.dat
check "... and nothing is written" test ! -e no.exe

printf '# the files\nsetup.dat\nnumbers.txt\r\n\nempty.txt\ndocs/setup.lic\n' >files.list
check "one thread and a list" status_is 0 "$pack" build -o one.exe --stub stub.exe -j1 --list files.list
check "... write the same bytes as two threads" cmp demo.exe one.exe
check "append" status_is 0 "$pack" append demo.exe numbers.txt
check "append warns of a name already there" grep -q "already holds an entry 'numbers.txt'" err.txt
check "append appends" grep -q "5 entries" out.txt

cp demo.exe before.exe
check "a missing file fails" status_is 1 "$pack" append demo.exe missing.bin
check "and names it" grep -q "missing.bin" err.txt
check "and leaves the package alone" cmp demo.exe before.exe
check "a missing file fails a build" status_is 1 "$pack" build -o fresh.exe --stub stub.exe setup.dat missing.bin
check "and writes no output" test ! -e fresh.exe
check "no temporary file is left" sh -c "! ls -A | grep -q vornak-pack"
chmod 000 numbers.txt
if [ "$(id -u)" != 0 ]; then
  check "an unreadable file fails" status_is 1 "$pack" build -o fresh.exe --stub stub.exe numbers.txt
  check "and names it" grep -q "numbers.txt" err.txt
fi
chmod 644 numbers.txt
long="$(printf 'n%.0s' $(seq 1 255))"
: >"$long"
check "a name of 255 characters fails" status_is 1 "$pack" build -o fresh.exe --stub stub.exe "$long"
check "and names the file" grep -q "$long.*254 characters" err.txt
check "and writes no output" test ! -e fresh.exe
check "without --stub and none beside the tool, build fails" status_is 1 "$pack" build -o fresh.exe setup.dat
check "and says to give --stub" grep -q "give --stub" err.txt
check "a stub beside the tool is the default" sh -c "mkdir -p tool && cp '$pack' tool/ && cp stub.exe tool/VornakSetup.exe && tool/vornak-pack build -o beside.exe setup.dat numbers.txt empty.txt docs/setup.lic && '$pack' build -o given.exe --stub stub.exe setup.dat numbers.txt empty.txt docs/setup.lic && cmp beside.exe given.exe"

check "verify of a plain file fails" status_is 1 "$pack" verify stub.exe
check "and names the failed step" grep -q "bad magic" out.txt
check "list of a missing file fails" status_is 1 "$pack" list absent.exe
check "and does not create it" test ! -e absent.exe
# A flipped byte in the middle of the entry data: the file checksum no
# longer holds, so the installer would see no package at all.
printf 'X' | dd of=demo.exe bs=1 seek=20000 conv=notrunc status=none
check "a damaged package fails verify" status_is 1 "$pack" verify demo.exe
check "with the step" grep -q "FAILED  file checksum: stored" out.txt

# Linting and building the example projects.
examples="$root_dir/examples"
check "lint: the minimal example is clean" status_is 0 "$pack" lint "$examples/Minimal/setup.dat" --strict
mkdir program && printf 'MZ' >program/SampleTool.EXE
check "lint: the sample project is clean" status_is 0 "$pack" lint "$examples/SampleTool/setup.dat" \
  --files "$examples/SampleTool/files" --files program --strict
check "the sample project builds" status_is 0 "$pack" build --project "$examples/SampleTool" -o sample.exe \
  --stub stub.exe --files "$examples/SampleTool/files" --files program
check "with its files in the order of the script" sh -c "'$pack' list sample.exe | head -n -1 | awk 'NR>2 {print \$1}' | tr '\n' ' ' | grep -qx 'setup.dat setup.lic SampleTool.EXE readme.txt settings.ini '"
check "the minimal example builds" status_is 0 "$pack" build --project "$examples/Minimal" -o minimal.exe --stub stub.exe
check "with its one file" sh -c "'$pack' list minimal.exe | head -n -1 | awk 'NR>2 {print \$1}' | tr '\n' ' ' | grep -qx 'setup.dat hello.txt '"

mkdir broken
printf '[Project Name]\r\nBroken\r\n\r\n[install to]\r\nC:\\Broken\r\n\r\n[CopyFile]\r\nmissing.exe\r\nC:\\Broken\\x.exe\r\n' >broken/setup.dat
check "lint of a broken script exits 1" status_is 1 "$pack" lint broken/setup.dat
check "naming the line" grep -q "^broken/setup.dat:4: error: '\[install to\]' is not a head" out.txt
check "and the missing file" grep -q "^broken/setup.dat:8: error: no file 'missing.exe'" out.txt
check "build --project refuses it" status_is 1 "$pack" build --project broken -o broken.exe --stub stub.exe
check "and writes nothing" test ! -e broken.exe
check "--no-lint still needs the named files" status_is 1 "$pack" build --project broken -o broken.exe \
  --stub stub.exe --no-lint
check "and names the line" grep -q "setup.dat:8: 'missing.exe', named by \[CopyFile\]" err.txt

echo "vornak-pack cli: $passed passed, $failed failed"
[ "$failed" = 0 ]
