#!/bin/bash
# The install path measured end to end under Wine, each figure against a
# reference measured in the same run on the same machine:
#   - silent install of payload A (about 100 MB in 10 files of mixed content)
#     and payload B (2,000 files of 4 KB) against `bzip2 -d` of the same
#     entries;
#   - start-up with a 1 MB and a 500 MB package (the whole-file checksum is
#     read at start), against the 1 MB package;
#   - the stub's size.
# Prints a table; nothing here is a pass/fail test.
#   bench/install_path.sh [SCALE]   SCALE < 1 shrinks the payloads (quick look)
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
scale="${1:-1}"
export VORNAK_WINEPREFIX="$root_dir/build/bench-prefix"
source tools/wine-env.sh
wine_prefix_ready

work=build/bench-install
rm -rf "$work" && mkdir -p "$work"
pack=build/host/tools/vornak-pack/vornak-pack
stub=build/windows64/app/VornakSetup.exe
[ -x "$pack" ] && [ -f "$stub" ] || { echo "build first: make dist windows64" >&2; exit 1; }

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }

# Payload files: text-like, binary-like, zeros and random, as real products.
python3 - "$work" "$scale" <<'PY'
import os, random, sys
work, scale = sys.argv[1], float(sys.argv[2])
random.seed(7)
def content(kind, size):
    if kind == 0:
        words = [b"install", b"folder", b"value", b"program", b"window", b"\r\n", b"the", b"file"]
        out = bytearray()
        while len(out) < size:
            out += random.choice(words) + b" "
        return bytes(out[:size])
    if kind == 1:
        return bytes((i * 7 + (i >> 9)) & 0xFF for i in range(size))
    if kind == 2:
        return bytes(size)
    return os.urandom(size)
for name, count, size in (("a", 10, int(10_000_000 * scale)), ("b", 2000, 4096)):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    lines = ["[Project Name]", "Bench " + name.upper(), "[Install To]",
             "C:\\VornakBench\\" + name.upper(), ""]
    for i in range(count):
        file_name = "%s%04d.bin" % (name, i)
        with open(os.path.join(folder, file_name), "wb") as out:
            out.write(content(i % 4, size))
        lines += ["[CopyFile]", file_name, "<Destination>\\" + file_name, ""]
    with open(os.path.join(work, name + ".dat"), "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode())
PY

install_seconds() {
  local package="$1"
  local start end
  start=$(now)
  in_wine_root wine "$package" "<Silent>" </dev/null >/dev/null 2>&1
  end=$(now)
  seconds "$start" "$end"
}

bzip2_seconds() {
  local folder="$1"
  for f in "$folder"/*.bin; do bzip2 -9 -k -c "$f" > "$f.bz2"; done
  local start end
  start=$(now)
  for f in "$folder"/*.bz2; do bzip2 -d -c "$f" > /dev/null; done
  end=$(now)
  rm -f "$folder"/*.bz2
  seconds "$start" "$end"
}

printf '%-44s %12s %12s %8s\n' "figure" "seconds" "reference" "ratio"
for name in a b; do
  cp "$work/$name.dat" "$work/setup.dat"
  "$pack" build -o "$work/$name.exe" --stub "$stub" "$work/setup.dat" "$work/$name"/*.bin >/dev/null
  reference=$(bzip2_seconds "$work/$name")
  installed=$(install_seconds "$work/$name.exe")
  printf '%-44s %12.2f %12.2f %8.2f\n' "silent install, payload ${name^^} (vs bzip2 -d)" \
    "$installed" "$reference" "$(echo "$installed / $reference" | bc -l)"
  in_wine_root wine cmd /c rmdir /s /q "C:\\VornakBench" </dev/null >/dev/null 2>&1 || true
done

# Start-up: a script with nothing to copy, so the run is start-up (open,
# validate, checksum, extract the script) plus a fixed remainder.
printf '[Project Name]\r\nBench Start\r\n[Install To]\r\nC:\\VornakBench\\Start\r\n' > "$work/setup.dat"
head -c 1000000 /dev/urandom > "$work/small.bin"
head -c "$(awk "BEGIN { printf \"%d\", 500000000 * $scale }")" /dev/urandom > "$work/large.bin"
"$pack" build -o "$work/start-small.exe" --stub "$stub" "$work/setup.dat" "$work/small.bin" >/dev/null
"$pack" build -o "$work/start-large.exe" --stub "$stub" "$work/setup.dat" "$work/large.bin" >/dev/null
small=$(install_seconds "$work/start-small.exe")
large=$(install_seconds "$work/start-large.exe")
printf '%-44s %12.2f %12.2f %8.2f\n' "start-up, 500 MB package (vs 1 MB package)" "$large" "$small" \
  "$(echo "$large / $small" | bc -l)"
size=$(stat -c %s build/windows/app/VornakSetup.exe 2>/dev/null || echo 0)
printf '%-44s %12s %12s %8.2f\n' "stub size in bytes (vs 128 KB goal)" "$size" 131072 \
  "$(echo "$size / 131072" | bc -l)"
