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
  # "/" when this system is the Wine root itself, as in the QEMU guest of
  # tools/guest-lane.sh.
  if [ "$VORNAK_WINE_ROOT" = / ]; then
    "$@"
    return
  fi
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

vornak_start_wine() {
  # The server first, then the boot: in the other order "wineserver -p" may
  # quietly exit. A second server for the same prefix exits by itself. All
  # stdio goes to /dev/null: Wine's service processes inherit it, and a pipe
  # (ctest's, or a $(...)) would then never be closed.
  in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
  in_wine_root wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_prefix_ready() {
  mkdir -p "$WINEPREFIX"
  local new_prefix=0
  [ -e "$WINEPREFIX/system.reg" ] || new_prefix=1
  vornak_start_wine
  # Windows and dialogs need a display driver: X11 when DISPLAY names one
  # (an Xvfb, as tools/screenshots.sh starts), else Wine's null driver, which
  # still creates windows and paints into them but shows nothing. The desktop
  # picks its driver when the server boots, so a new prefix is started over
  # once after the setting; a prefix in use is left alone and takes it at its
  # next server start.
  if [ ! -e "$WINEPREFIX/.vornak-display-drivers" ]; then
    in_wine_root wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f \
      </dev/null >/dev/null 2>&1 && touch "$WINEPREFIX/.vornak-display-drivers"
    if [ "$new_prefix" = 1 ]; then
      in_wine_root /usr/lib/x86_64-linux-gnu/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
      vornak_start_wine
    else
      echo "wine-env: display drivers set; they apply from the next wineserver start" >&2
    fi
  fi
}

# Empties FOLDER for a test that runs Windows programs on its files. Wine sees
# only the project's folder, so a FOLDER outside it is refused (with a
# "skipped" line; callers exit 77 then).
fresh_wine_scratch_folder() {
  case "$1" in
    "$vornak_root_dir"/*) ;;
    *) echo "skipped: $1 is outside $vornak_root_dir"; return 1 ;;
  esac
  rm -rf "$1" && mkdir -p "$1"
}

# Whether this machine runs 32-bit Windows code at all (some kernels have
# 32-bit execution switched off). The i686 stub is asked to pack with a
# command line it refuses: where it runs, it ends at once with 1639, which a
# Linux exit status shows as 1639 mod 256 = 103; where it cannot run, the
# loader crashes instead. VORNAK_NO_32BIT=1 takes the answer "no" without
# asking, so that the lanes of such machines can be tried on any machine.
runs_32bit_windows_code() {
  [ "${VORNAK_NO_32BIT:-0}" = 1 ] && return 1
  local status=0
  in_wine_root wine "$vornak_root_dir/build/windows/app/VornakSetup.exe" "<packthis>" \
    </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" = 103 ]
}

# The Windows build whose programs run here: the i686 product where 32-bit
# code runs, else the x86_64 build of the same sources.
windows_build_dir() {
  if runs_32bit_windows_code; then echo build/windows; else echo build/windows64; fi
}
