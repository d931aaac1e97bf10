# Sourced by the scripts that run Windows programs. Wine lives in its own
# Debian root (tools/wine-root.sh); programs run there with this project's
# folder mounted at the same path, so paths mean the same inside and out.
#
#   in_wine_root CMD...   run a command inside the Wine root
#   wine_prefix_ready     make sure the prefix exists and its server runs
vornak_root_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VORNAK_WINE_ROOT="${VORNAK_WINE_ROOT:-/var/cache/vornak/wine-root}"
export WINEPREFIX="${VORNAK_WINEPREFIX:-$vornak_root_dir/build/wineprefix}"
export WINEDEBUG=-all
# winemenubuilder would write .desktop files and icons for every shortcut.
export WINEDLLOVERRIDES="winemenubuilder.exe=d${VORNAK_DLLOVERRIDES:+;$VORNAK_DLLOVERRIDES}"

# Mounting and chroot need root: through sudo when not root already.
vornak_as_root=()
[ "$(id -u)" = 0 ] || vornak_as_root=(sudo --preserve-env=WINEPREFIX,WINEDEBUG,WINEDLLOVERRIDES,DISPLAY)

in_wine_root() {
  "${vornak_as_root[@]}" unshare -m bash -c '
    set -e
    root="$1"; project="$2"; shift 2
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root$project"
    mount --bind "$project" "$root$project"
    here="$PWD"
    [ -d "$root$here" ] || here=/
    exec chroot "$root" /usr/bin/env --chdir="$here" "$@"' \
    _ "$VORNAK_WINE_ROOT" "$vornak_root_dir" "$@"
}

wine_prefix_ready() {
  mkdir -p "$WINEPREFIX"
  # The server first, then the boot: in the other order "wineserver -p" may
  # quietly exit. A second server for the same prefix exits by itself. All
  # stdio goes to /dev/null: Wine's service processes inherit it, and a pipe
  # (ctest's, or a $(...)) would then never be closed.
  in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
  in_wine_root wine cmd /c exit </dev/null >/dev/null 2>&1
}
