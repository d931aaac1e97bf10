#!/bin/bash
# What a change to the install path costs: payload B (2,000 files of 4 KB,
# where the per-file work shows most) installed silently under Wine by two
# stubs, alternately, best of REPEAT runs each (default 5).
#   bench/compare_stubs.sh OTHER_STUB [STUB]
# STUB defaults to this tree's installer (i686 where it runs, else x86_64);
# OTHER_STUB is typically the same build of an earlier commit. Prints both
# times and their ratio; nothing here is a pass/fail test.
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root_dir"
other_stub="$(realpath "$1")"
repeat="${REPEAT:-5}"
scale=1
export VORNAK_WINEPREFIX="$root_dir/build/bench-prefix"
source tools/wine-env.sh
wine_prefix_ready
work=build/bench-compare
rm -rf "$work" && mkdir -p "$work"
pack=build/host/packer/vornak-pack
stub="${2:-}"
[ -n "$stub" ] || stub="$(windows_build_dir)/app/VornakSetup.exe"
source bench/install_common.sh

write_payload "$work" b 2000 4096
build_package b
mkdir -p "$work/o" && cp "$work"/b/* "$work/o/" && cp "$work/b.dat" "$work/o.dat"
(stub="$other_stub"; build_package o)
best_ours="" best_other=""
for ((i = 0; i < repeat; i++)); do
  for name in b o; do
    remove_installed
    read -r seconds _ < <(install_package "$name")
    if [ "$name" = b ]; then
      if [ -z "$best_ours" ] || [ "$(echo "$seconds < $best_ours" | bc -l)" = 1 ]; then best_ours=$seconds; fi
    elif [ -z "$best_other" ] || [ "$(echo "$seconds < $best_other" | bc -l)" = 1 ]; then
      best_other=$seconds
    fi
  done
done
remove_installed
printf '%-50s %14s %14s %8s\n' "figure" "ours" "other" "ratio"
row "silent install, payload B, s ($(basename "$(dirname "$(dirname "$stub")")"))" \
  "$(printf %.2f "$best_ours")" "$(printf %.2f "$best_other")" "$(ratio "$best_ours" "$best_other")"
# The stub's size is a figure of its own (goal: 100 KB for the i686 stub),
# and a change that pulls a runtime piece into it shows here first.
row "stub size, bytes" "$(stat -c %s "$stub")" "$(stat -c %s "$other_stub")" \
  "$(ratio "$(stat -c %s "$stub")" "$(stat -c %s "$other_stub")")"
rm -rf "$work"
