#!/bin/bash
# Builds the root file system that Wine runs in.
#
# Debian 12's Wine runs 32-bit Windows programs through a 32-bit Linux
# loader, and the kernels our machines boot cannot execute 32-bit Linux
# programs at all. Debian unstable's Wine is built for the new WoW64 mode:
# a 64-bit Linux process runs 32-bit Windows code itself. So Wine comes
# from Debian unstable, installed into a minimal Debian root of its own
# (debootstrap) that the tools chroot into; the machine's own packages stay
# as they are. Safe to run again: a finished root is left alone.
set -euo pipefail

wine_root="${VORNAK_WINE_ROOT:-/var/cache/vornak/wine-root}"
# The machine's own Debian mirror, as its apt configuration names it (the
# deb822 sources of Debian 12, or a classic sources.list).
mirror="$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
  awk '/^URIs:/ && $2 !~ /security/ { print $2; exit }')"
if [ -z "$mirror" ]; then
  mirror="$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list \
    2>/dev/null || true)"
fi
[ -n "$mirror" ] || { echo "wine-root: no Debian mirror in the apt configuration" >&2; exit 1; }

if [ -f "$wine_root/.vornak-ready" ]; then
  exit 0
fi
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi
echo "wine-root: creating $wine_root (Debian unstable with Wine, once per machine)"
if [ ! -f "$wine_root/.vornak-base" ]; then
  rm -rf "$wine_root"
  mkdir -p "$wine_root"
  debootstrap --variant=minbase --include=ca-certificates sid "$wine_root" "$mirror" \
    > "$wine_root.log" 2>&1 || { tail -20 "$wine_root.log"; exit 1; }
  touch "$wine_root/.vornak-base"
fi

in_root() {
  unshare -m bash -c '
    root="$1"; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    chroot "$root" "$@"' _ "$wine_root" "$@"
}
# The mirror may serve unstable's index past its validity date.
in_root env DEBIAN_FRONTEND=noninteractive apt-get -o Acquire::Check-Valid-Until=false update -qq >>"$wine_root.log" 2>&1
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  wine wine64 libwine fonts-wine xvfb xauth x11-apps imagemagick procps \
  >>"$wine_root.log" 2>&1 || { tail -20 "$wine_root.log"; exit 1; }
in_root apt-get clean >/dev/null 2>&1 || true
touch "$wine_root/.vornak-ready"
echo "wine-root: ready"
