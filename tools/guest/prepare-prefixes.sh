#!/bin/bash
# Runs in the QEMU guest once per set of guest images: creates the Wine
# prefixes that every later guest run starts from (booting a prefix takes
# minutes under emulation), side by side, and stops their servers with
# SIGTERM, on which wineserver writes the registry out before it exits.
set -u
source tools/wine-env.sh
prepare() {
  export WINEPREFIX="$1"
  wine_prefix_ready
  /usr/lib/x86_64-linux-gnu/wine/wineserver -k15 </dev/null >/dev/null 2>&1
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.vornak-display-drivers" ]
}
prepare "$PWD/build/wineprefix" &
main=$!
prepare "$PWD/build/windows/restart-prefix" &
restart=$!
wait "$main" && wait "$restart"
