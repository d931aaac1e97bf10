# Shared by the install-path benchmarks (sourced, not run): payloads,
# packages built with vornak-pack, and silent installs timed under Wine with
# the installer's peak memory. Expects: work (a scratch folder), pack (the
# vornak-pack binary), stub (the installer stub), repeat (runs per figure),
# scale (payload scale), WINEPREFIX set up by tools/wine-env.sh.

now() { date +%s.%N; }
ratio() { echo "$1 / $2" | bc -l; }
scaled() { awk "BEGIN { printf \"%d\", $1 * $scale }"; }
row() { printf '%-50s %14s %14s %8.2f\n' "$1" "$2" "$3" "$4"; }
# shorter BEST SECONDS: the smaller of the two; BEST may be empty (no run yet).
shorter() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }

# Payload files: text-like, binary-like, zeros and random, as real products.
# write_payload FOLDER NAME COUNT SIZE [KIND] writes the files and NAME.dat, a
# script that copies each of them into C:\VornakBench\NAME. Without KIND the
# files take the kinds in turn (a single file is text); with KIND every file
# is of that kind (3: random bytes; 4: 6 MB of text and code-like bytes,
# then 1 MB of random bytes, at any size in that proportion).
write_payload() {
  python3 - "$@" <<'PY'
import os, random, sys
folder, name, count, size = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
given_kind = int(sys.argv[5]) if len(sys.argv) > 5 else None
random.seed(7)
words = [b"install", b"folder", b"value", b"program", b"window", b"\r\n", b"the", b"file"]
text = b" ".join(random.choice(words) for _ in range(400_000))
pattern = bytes((i * 7 + (i >> 9)) & 0xFF for i in range(1 << 20))
def content(kind, size, number):
    if kind == 0:
        # Text: a few MB of words, repeated with a changing line between.
        out = bytearray()
        while len(out) < size:
            out += b"%d\r\n" % number + text
            number += 1
        return bytes(out[:size])
    if kind == 1:
        return (pattern * (size // len(pattern) + 1))[:size]
    if kind == 2:
        return bytes(size)
    if kind == 4:
        third = size * 3 // 7
        return content(0, third, number) + content(1, third, number) + os.urandom(size - 2 * third)
    return os.urandom(size)
os.makedirs(os.path.join(folder, name))
lines = ["[Project Name]", "Bench " + name, "[Install To]", "C:\\VornakBench\\" + name, ""]
for i in range(count):
    file_name = "%s%04d.bin" % (name, i)
    with open(os.path.join(folder, name, file_name), "wb") as out:
        kind = given_kind if given_kind is not None else (i % 4 if count > 1 else 0)
        out.write(content(kind, size, i))
    lines += ["[CopyFile]", file_name, "<Destination>\\" + file_name, ""]
with open(os.path.join(folder, name + ".dat"), "wb") as out:
    out.write(("\r\n".join(lines) + "\r\n").encode())
PY
}

# build_package NAME: NAME.exe from NAME.dat (as setup.dat) and NAME's files,
# on every core; vornak-pack's peak resident memory, in kB, goes to
# NAME.build-kb.
build_package() {
  cp "$work/$1.dat" "$work/setup.dat"
  /usr/bin/time -f '%M' -o "$work/$1.build-kb" \
    "$pack" build -o "$work/$1.exe" --stub "$stub" "$work/setup.dat" "$work/$1"/* >/dev/null
}

# peak_while_running PGREP-ARGS... -- CMD...: runs CMD and prints "SECONDS
# PEAK_KB", its wall time and the peak resident memory of the process that
# `pgrep PGREP-ARGS` finds, read from /proc while it runs (the high-water
# mark only grows, so the last reading before the process ends is the peak).
# The time is exact; the peak misses at most the last 50 ms of the run.
peak_while_running() {
  local pattern=() start end pid peak=0 hwm
  while [ "$1" != -- ]; do pattern+=("$1"); shift; done
  shift
  start=$(now)
  # The run notes its own end: the polling below sleeps between readings,
  # and its last sleep must not count in the time.
  ( "$@" </dev/null >/dev/null 2>&1; now >"$work/.ended" ) &
  local runner=$!
  while kill -0 "$runner" 2>/dev/null; do
    pid=$(pgrep "${pattern[@]}" | head -1 || true)
    if [ -n "$pid" ]; then
      hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    fi
    sleep 0.05
  done
  wait "$runner" || true
  end=$(cat "$work/.ended")
  echo "$(echo "$end - $start" | bc -l) $peak"
}

# install_package NAME: runs NAME.exe silently and prints "SECONDS PEAK_KB"
# for the installer process.
install_package() {
  local package="$work/$1.exe"
  peak_while_running -f -x "$package <Silent>" -- in_wine_root wine "$package" "<Silent>"
}

# idle_peak_kb: the peak of a Windows program that does nothing, under Wine.
idle_peak_kb() {
  local program="$windows_build/bench/idle_program.exe" seconds kb
  read -r seconds kb < <(peak_while_running -f -x "$program" -- in_wine_root wine "$program")
  echo "$kb"
}

windows_path() { printf 'Z:%s' "$(realpath "$1")" | tr / '\\'; }

# pack_mode_peak FILE PACKAGE: packs FILE into PACKAGE with the stub's own
# pack mode and prints "SECONDS PEAK_KB" for the stub.
pack_mode_peak() {
  # Through cmd, so that the markers and quotes reach the stub as written.
  printf '%s ^<packthis^>"%s" ^<packto^>"%s"\r\n' "$(windows_path "$stub")" \
    "$(windows_path "$1")" "$(windows_path "$2")" >"$work/pack.bat"
  peak_while_running -f "packthis" -- in_wine_root wine cmd /c "$(windows_path "$work/pack.bat")"
}

installed_folder="$WINEPREFIX/drive_c/VornakBench"
remove_installed() {
  rm -rf "$installed_folder"
}

# timed_install NAME: runs NAME.exe silently on a clean destination and
# prints its time alone. The peak watcher below starts a few processes every
# 50 ms, which took a good part of a core from an installer that uses both.
timed_install() {
  local start end
  remove_installed
  start=$(now)
  in_wine_root wine "$work/$1.exe" "<Silent>" </dev/null >/dev/null 2>&1 || true
  end=$(now)
  echo "$end - $start" | bc -l
}

# best_install NAME: the shortest of REPEAT timed installs, and the peak of
# one more install watched for its memory.
best_install() {
  local best="" i seconds kb
  for ((i = 0; i < repeat; i++)); do
    best=$(shorter "$best" "$(timed_install "$1")")
  done
  remove_installed
  read -r seconds kb < <(install_package "$1")
  echo "$best $kb"
}

