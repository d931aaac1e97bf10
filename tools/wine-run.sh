#!/bin/bash
# Runs a Windows program under Wine in the project's own prefix, headless and
# with winemenubuilder disabled. ctest uses it as the cross-compiling emulator.
set -e
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_prefix_ready
in_wine_root wine "$@"
