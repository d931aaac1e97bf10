#!/bin/bash
# Installs whatever a build needs and is not on the machine yet. Safe to run
# again; it only acts on what is missing.
#   tools/bootstrap.sh host      g++, CMake, GoogleTest, the bzip2 sources,
#                                libcrypto (SHA-256) and nlohmann-json for
#                                vornak-pack's publishing files
#   tools/bootstrap.sh windows   the same, and the mingw-w64 toolchains
#   tools/bootstrap.sh test      the same, clang for fuzzing, osslsigncode
#                                and openssl for the signing tests, and the Debian
#                                root that Wine and Xvfb run in
#                                (tools/wine-root.sh)
#   tools/bootstrap.sh guest     the same, and QEMU, kmod and e2fsprogs for
#                                the QEMU guest that runs the i686 suites
#                                where 32-bit code cannot run
#                                (tools/guest-lane.sh)
# Only the last needs root in any case (it mounts and chroots). The others
# need it only to install missing packages: without root they name the apt
# command to run instead.
set -euo pipefail

root_dir="$(cd "$(dirname "$0")/.." && pwd)"
third_party="${VORNAK_DEPS:-$root_dir/build/deps}"
level="${1:-test}"

packages=(g++ cmake make googletest bzip2 dpkg-dev patch python3 libssl-dev nlohmann-json3-dev)
case "$level" in
  host) ;;
  windows) packages+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
                      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                      binutils-mingw-w64-x86-64) ;;
  test|guest) packages+=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
                         g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                         binutils-mingw-w64-x86-64 clang libclang-rt-14-dev debootstrap util-linux
                         osslsigncode openssl clang-format) ;;&
  guest) packages+=(qemu-system-x86 kmod e2fsprogs) ;;
  test) ;;
  *) echo "usage: tools/bootstrap.sh host|windows|test|guest" >&2; exit 2 ;;
esac

need_install=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    need_install+=("$p")
  fi
done

if [ ${#need_install[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "bootstrap: missing ${need_install[*]}; install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${need_install[*]}" >&2
    exit 1
  fi
  echo "bootstrap: installing ${need_install[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need_install[@]}" >/dev/null
fi

# bzip2 sources from Debian's source package, unpacked once with Debian's
# patches applied. Both builds compile the same files.
bz_src="$third_party/bzip2"
if [ ! -f "$bz_src/bzlib.c" ]; then
  echo "bootstrap: fetching Debian's bzip2 source package"
  work="$third_party/apt-src"
  mkdir -p "$work/lists/partial" "$work/dl" "$work/parts"
  # A private deb-src list and private state, so the machine's own apt setup
  # is left exactly as it was.
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    > "$work/parts/debian-src.sources"
  apt_opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts"
            -o Dir::State::Lists="$work/lists")
  apt-get "${apt_opts[@]}" update -qq
  (cd "$work/dl" && apt-get "${apt_opts[@]}" source --download-only bzip2 >/dev/null)
  rm -rf "$bz_src.tmp" && mkdir -p "$bz_src.tmp"
  tar -xzf "$work"/dl/bzip2_1.0.8.orig.tar.gz -C "$bz_src.tmp" --strip-components=1
  deb_tar=$(ls "$work"/dl/bzip2_1.0.8-*.debian.tar.* | head -1)
  tar -xf "$deb_tar" -C "$bz_src.tmp"
  if [ -f "$bz_src.tmp/debian/patches/series" ]; then
    while read -r patch; do
      case "$patch" in ''|\#*) continue ;; esac
      patch -d "$bz_src.tmp" -p1 -s < "$bz_src.tmp/debian/patches/$patch"
    done < "$bz_src.tmp/debian/patches/series"
  fi
  rm -rf "$bz_src" && mv "$bz_src.tmp" "$bz_src"
fi
if [ "$level" = test ] || [ "$level" = guest ]; then
  if [ "$(id -u)" != 0 ]; then
    sudo bash "$root_dir/tools/wine-root.sh"
  else
    bash "$root_dir/tools/wine-root.sh"
  fi
fi
echo "bootstrap: ready ($level)"
