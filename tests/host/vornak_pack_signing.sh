#!/bin/bash
# Signed installers with the real tools: installers of every length modulo 8
# (so every padding the signer adds occurs) signed through `vornak-pack
# sign`, accepted by osslsigncode and by vornak-pack; a flipped byte of data
# fails both, a flipped byte of the certificate table fails only the
# signature; append and a second signing refuse and leave the file as it
# was. A throwaway certificate is made for the run; no key is kept. Skipped
# (77) without osslsigncode, openssl or a Windows stub.
#   vornak_pack_signing.sh PATH-TO-vornak-pack
set -u
pack="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
for tool in osslsigncode openssl; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
stub=""
for build in windows windows64; do
  [ -f "$root_dir/build/$build/app/VornakSetup.exe" ] && stub="$root_dir/build/$build/app/VornakSetup.exe" && break
done
[ -n "$stub" ] || { echo "skipped: no Windows stub built"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

source "$root_dir/tests/host/script_checks.sh"
fails() { ! "$@"; }
sig_ok() { osslsigncode verify -CAfile cert.pem -in "$1"; }
flip() {  # flip FILE OFFSET: changes one byte in place
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 -subj /CN=Test \
  >/dev/null 2>&1 || { echo "FAILED: openssl made no certificate"; exit 1; }
printf '[Project Name]\r\nSigned\r\n' >setup.dat
seq 1 20000 >numbers.txt

# The entry name's length moves the installer's length one byte at a time.
residues=""
for extra in 0 1 2 3 4 5 6 7; do
  name="pad$(head -c "$extra" /dev/zero | tr '\0' x)"
  cp numbers.txt "$name"
  "$pack" build -o "i$extra.exe" --stub "$stub" setup.dat "$name" >/dev/null 2>&1
  size=$(stat -c %s "i$extra.exe")
  residues="$residues $((size % 8))"
  cp "i$extra.exe" "u$extra.exe"
  check "sign ($((size % 8)) mod 8)" "$pack" sign "i$extra.exe" --cert cert.pem --key key.pem
  check "osslsigncode accepts it ($((size % 8)) mod 8)" sig_ok "i$extra.exe"
  check "vornak-pack verify accepts it ($((size % 8)) mod 8)" "$pack" verify "i$extra.exe"
  check "the signature came last" test "$(stat -c %s "i$extra.exe")" -gt "$size"
done
check "every length modulo 8 was signed" test "$(tr ' ' '\n' <<<"$residues" | sort -u | grep -c .)" = 8

"$pack" verify i1.exe >verify.txt 2>&1
check "verify names the table" grep -Eq '^signed: certificate table [0-9]+ bytes, after [0-7] bytes of padding$' verify.txt
"$pack" list i1.exe >list.txt 2>&1
check "list names the table last" sh -c "tail -1 list.txt | grep -q '^signed: certificate table'"
"$pack" list u1.exe >list.txt 2>&1
check "an unsigned one lists as unsigned" sh -c "tail -1 list.txt | grep -qx unsigned"

cp i1.exe data.exe
flip data.exe 3000
check "a flipped byte of data fails verify" fails "$pack" verify data.exe
"$pack" verify data.exe >verify.txt 2>&1
check "naming the file checksum" grep -q "FAILED  file checksum" verify.txt
check "and fails the signature" fails sig_ok data.exe

cp i1.exe table.exe
flip table.exe $(($(stat -c %s table.exe) - 200))
check "a flipped byte of the table still verifies as a package" "$pack" verify table.exe
check "but fails the signature" fails sig_ok table.exe

cp i1.exe before.exe
check "append refuses a signed installer" fails "$pack" append i1.exe numbers.txt
check "and leaves it as it was" cmp i1.exe before.exe
check "signing again is refused" fails "$pack" sign i1.exe --cert cert.pem --key key.pem
check "and leaves it as it was" cmp i1.exe before.exe
openssl req -x509 -newkey rsa:2048 -nodes -keyout other.pem -out other-cert.pem -days 30 \
  -subj /CN=Other >/dev/null 2>&1
cp u2.exe keep.exe
check "a key that does not fit the certificate fails" fails "$pack" sign u2.exe --cert cert.pem --key other.pem
check "and leaves the installer as it was" cmp u2.exe keep.exe
check "with nothing left beside it" sh -c "! ls -A | grep -q vornak-pack"
openssl pkcs12 -export -inkey key.pem -in cert.pem -out id.p12 -passout pass:secret >/dev/null 2>&1
printf 'secret\n' >pass.txt
check "a PKCS#12 file signs too" "$pack" sign u2.exe --pkcs12 id.p12 --pass-file pass.txt
check "and osslsigncode accepts it" sig_ok u2.exe

# Publishing files for the signed installer, against sha256sum.
"$pack" sbom i1.exe >bom.json 2>/dev/null
check "the bill of materials has the entry's SHA-256" grep -q "$(sha256sum <numbers.txt | cut -d' ' -f1)" bom.json
check "and the installer's" grep -q "$(sha256sum <i1.exe | cut -d' ' -f1)" bom.json
check "manifest writes three files" "$pack" manifest --winget Test.Signed 1.0 Test -o winget --url https://downloads.invalid/i1.exe i1.exe
check "the installer manifest has the signed installer's SHA-256" grep -qi "\"$(sha256sum <i1.exe | cut -d' ' -f1)\"" winget/Test.Signed.installer.yaml

echo "vornak-pack signing: $passed passed, $failed failed"
[ "$failed" = 0 ]
