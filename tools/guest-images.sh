# Sourced by tools/guest-lane.sh. Builds, once per machine, what the QEMU
# guest boots, next to the Wine root:
#   vmlinuz    the kernel of Debian's linux-image-amd64 (unpacked, never
#              installed on this machine)
#   initrd.gz  busybox-static, the kernel's own modules for the virtio disks
#              and ext4, and tools/guest/init.sh as /init
#   root.img   the Wine root plus ctest, as an ext4 image (attached with
#              snapshot=on, so it is never written)
#   prefixes.img  the Wine prefixes the tests use, booted once in the guest
#              (tools/guest/prepare-prefixes.sh), as an ext4 image that later
#              runs attach with snapshot=on: each starts from the same prefixes
# The folder's name is a digest of the kernel and busybox package versions,
# the Wine root's state and this recipe: a change of any builds a new one.
#
#   guest_images_ready   sets guest_images to the folder, building it when
#                        needed, and holds a shared lock on it (fd 8) until
#                        the calling shell ends, so that no other lane removes
#                        it while a guest boots from it
guest_cache="${VORNAK_GUEST_CACHE:-/var/cache/vornak/guest}"
# The machine's own apt sources, with lists and downloads of our own: the
# machine's apt state stays as it was.
guest_apt=(-o Dir::State::Lists="$guest_cache/apt/lists"
  -o Dir::Cache::archives="$guest_cache/apt/archives" -o Dir::Cache::pkgcache=
  -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
# What the initramfs loads, with every dependency modprobe finds.
guest_modules=(virtio_pci virtio_blk ext4)

guest_log() { echo "guest-images: $*" >&2; }

# Refreshes our package lists at most twice a day (a new kernel package is
# then picked up within hours); offline, the last lists serve.
guest_refresh_lists() {
  local stamp="$guest_cache/apt/updated"
  mkdir -p "$guest_cache/apt/lists/partial" "$guest_cache/apt/archives/partial"
  [ -n "$(find "$stamp" -mmin -720 2>/dev/null)" ] && return 0
  if apt-get "${guest_apt[@]}" update -qq >"$guest_cache/apt/update.log" 2>&1; then
    touch "$stamp"
  else
    guest_log "apt-get update failed (see $guest_cache/apt/update.log); using the last lists"
  fi
}

# "NAME=VERSION" of the package to fetch: the kernel that the metapackage
# linux-image-amd64 names, or the candidate of any other package.
guest_package_version() {
  local candidate
  candidate="$(apt-cache "${guest_apt[@]}" policy "$1" | awk '/Candidate:/ { print $2 }')"
  [ -n "$candidate" ] && [ "$candidate" != "(none)" ] || return 1
  if [ "$1" = linux-image-amd64 ]; then
    apt-cache "${guest_apt[@]}" show "$1=$candidate" |
      sed -n 's/^Depends: \([^ ,]*\) (= \([^)]*\)).*/\1=\2/p' | head -1
  else
    echo "$1=$candidate"
  fi
}

# Downloads NAME=VERSION once into the cache; prints the file's path.
guest_fetch() {
  local wanted="$1" folder="$guest_cache/packages" version="${1#*=}" file
  mkdir -p "$folder"
  file="$(ls "$folder/${wanted%%=*}_${version//:/%3a}"_*.deb 2>/dev/null | head -1)"
  if [ -z "$file" ]; then
    (cd "$folder" && apt-get "${guest_apt[@]}" download "$wanted" >/dev/null) || return 1
    file="$(ls "$folder/${wanted%%=*}_${version//:/%3a}"_*.deb | head -1)"
  fi
  echo "$file"
}

guest_build_initramfs() {
  local out="$1" kernel_deb="$2" busybox_deb="$3" work="$1/work"
  mkdir -p "$work/kernel" "$work/busybox" "$work/initramfs"/{bin,dev,proc,sys,newroot}
  dpkg-deb -x "$kernel_deb" "$work/kernel"
  dpkg-deb -x "$busybox_deb" "$work/busybox"
  local release
  release="$(ls "$work/kernel/lib/modules")"
  cp "$work/kernel/boot/vmlinuz-$release" "$out/vmlinuz"
  # The package ships no module index (its postinst makes one); depmod makes
  # it in the unpacked copy, and modprobe then lists what to load, in order.
  depmod -b "$work/kernel" "$release"
  modprobe -d "$work/kernel" -S "$release" -a --show-depends "${guest_modules[@]}" |
    awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r module; do
      local inside="${module#"$work/kernel"/}"
      mkdir -p "$work/initramfs/$(dirname "$inside")"
      cp "$module" "$work/initramfs/$inside"
      echo "$inside" >>"$work/initramfs/modules.list"
    done
  [ -s "$work/initramfs/modules.list" ] || { guest_log "no modules found in $kernel_deb"; return 1; }
  cp "$work/busybox/bin/busybox" "$work/initramfs/bin/busybox"
  cp "$vornak_root_dir/tools/guest/init.sh" "$work/initramfs/init"
  chmod 755 "$work/initramfs/init"
  (cd "$work/initramfs" && find . | "$work/busybox/bin/busybox" cpio -o -H newc 2>/dev/null) |
    gzip -1 >"$out/initrd.gz"
  rm -rf "$work"
}

# The Wine root as it is, plus ctest (the guest runs the suites through it),
# installed into an overlay in a mount namespace of our own: the Wine root is
# never written, and the mounts end with the namespace.
guest_build_root_image() {
  local out="$1" wine_root="$2"
  mkdir -p "$out/overlay"/{upper,work,merged}
  unshare -m bash -c '
    set -e
    wine_root="$1" overlay="$2" image="$3"
    merged="$overlay/merged"
    mount -t overlay overlay \
      -o "lowerdir=$wine_root,upperdir=$overlay/upper,workdir=$overlay/work" "$merged"
    mount -t proc proc "$merged/proc"
    mount --rbind /dev "$merged/dev"
    add_ctest() {
      chroot "$merged" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends cmake
    }
    # The Wine root'"'"'s lists may be older than the mirror: refresh them once.
    add_ctest || { chroot "$merged" apt-get -o Acquire::Check-Valid-Until=false update -qq &&
      add_ctest; }
    chroot "$merged" apt-get clean
    umount -l "$merged/dev" "$merged/proc"
    # Sockets of Wine servers that run in the Wine root right now.
    find "$merged/tmp" -mindepth 1 -delete
    used_mb=$(du -sxm "$merged" | cut -f1)
    # Room for what the guest writes outside its project disk.
    truncate -s "$((used_mb + used_mb / 5 + 1024))M" "$image"
    mkfs.ext4 -q -F -L vornak-root -d "$merged" "$image"' \
    _ "$wine_root" "$out/overlay" "$out/root.img" >"$out/root-image.log" 2>&1 ||
    { tail -20 "$out/root-image.log" >&2; return 1; }
  rm -rf "$out/overlay"
}

# Boots the guest once to create the prefixes on a new, writable image.
guest_build_prefixes_image() {
  local prepare="$guest_images/prepare"
  rm -rf "$prepare" && mkdir -p "$prepare/project/.vornak-guest"
  cp -a "$vornak_root_dir/tools" "$prepare/project/"
  echo "bash tools/guest/prepare-prefixes.sh" >"$prepare/project/.vornak-guest/request"
  guest_make_image "$prepare/project" 512 "$prepare/project.img"
  rm -rf "$prepare/project"
  # Sparse, and large: mingw's ftruncate64 refuses (EFBIG) to extend a file
  # by more than the free space of its volume, and a test makes a 4 GiB file
  # in the temporary folder, on this disk.
  truncate -s 16G "$prepare/prefixes.img"
  mkfs.ext4 -q -F "$prepare/prefixes.img"
  guest_log "booting the guest once to create its Wine prefixes (minutes under emulation)"
  if guest_boot "$prepare" "$prepare/project.img" "$prepare/prefixes.img" 1 >&2 &&
    [ "$(cat "$prepare/results/status")" = 0 ]; then
    mv "$prepare/prefixes.img" "$guest_images/prefixes.img"
    rm -rf "$prepare"
    return 0
  fi
  guest_log "creating the prefixes failed; the guest's console is in $prepare/console.log"
  rm -f "$prepare/prefixes.img" "$prepare/project.img"
  return 1
}

# Removes the image folders of earlier keys that no lane uses any more.
guest_remove_stale_images() {
  local folder
  for folder in "$guest_cache"/images-*; do
    [ -d "$folder" ] && [ "$folder" != "$guest_images" ] || continue
    (flock -n -x 7 && rm -rf "$folder") 7>>"$folder/.in-use" 2>/dev/null || true
  done
}

guest_images_ready() {
  local wine_root="${VORNAK_WINE_ROOT:-/var/cache/vornak/wine-root}"
  [ -f "$wine_root/.vornak-ready" ] ||
    { guest_log "no finished Wine root at $wine_root (tools/wine-root.sh builds it)"; return 1; }
  mkdir -p "$guest_cache"
  exec 9>>"$guest_cache/.lock"
  flock -x 9
  guest_refresh_lists
  local kernel busybox kernel_deb busybox_deb key
  kernel="$(guest_package_version linux-image-amd64)" &&
    busybox="$(guest_package_version busybox-static)" ||
    { guest_log "no linux-image-amd64 or busybox-static in the apt lists"; exec 9>&-; return 1; }
  key="$({ echo "$kernel $busybox"; stat -c %Y "$wine_root/.vornak-ready"
    md5sum <"$wine_root/var/lib/dpkg/status"
    cat "$vornak_root_dir/tools/guest-images.sh" "$vornak_root_dir/tools/guest/init.sh" \
      "$vornak_root_dir/tools/guest/prepare-prefixes.sh"; } |
    md5sum | cut -c1-16)"
  guest_images="$guest_cache/images-$key"
  if [ ! -f "$guest_images/.ready" ]; then
    guest_log "building the guest's kernel, initramfs and root image ($kernel, $busybox)"
    local building="$guest_images.building"
    rm -rf "$building" && mkdir -p "$building"
    if kernel_deb="$(guest_fetch "$kernel")" && busybox_deb="$(guest_fetch "$busybox")" &&
      guest_build_initramfs "$building" "$kernel_deb" "$busybox_deb" &&
      guest_build_root_image "$building" "$wine_root"; then
      touch "$building/.ready"
      rm -rf "$guest_images" && mv "$building" "$guest_images"
      # Package files of other versions.
      find "$guest_cache/packages" -name '*.deb' ! -path "$kernel_deb" ! -path "$busybox_deb" \
        -delete
    else
      rm -rf "$building"
      exec 9>&-
      return 1
    fi
  fi
  exec 8>>"$guest_images/.in-use"
  flock -s 8
  guest_remove_stale_images
  if [ ! -f "$guest_images/prefixes.img" ] && ! guest_build_prefixes_image; then
    exec 9>&-
    return 1
  fi
  exec 9>&-
}
