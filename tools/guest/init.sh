#!/bin/busybox sh
# The /init of the QEMU guest's initramfs (built by tools/guest-images.sh).
# It loads the kernel's own modules for the virtio disks and ext4, mounts the
# disks the host attached (told apart by their serial: the root, the
# project, the Wine prefixes, the results), runs the session in the Wine root
# and powers the guest off. Nothing here may wait for a person:
# any failure ends the guest, and the host reads that as a failed run.
/bin/busybox --install -s /bin
export PATH=/bin

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
while read -r module; do
  insmod "/$module" 2>/dev/null || echo "guest: could not load $module"
done < /modules.list

project=
for word in $(cat /proc/cmdline); do
  case "$word" in vornak.project=*) project="${word#vornak.project=}" ;; esac
done

# virtio disks appear under /dev as they are probed; the host names each by
# its serial, so the order of the -drive options does not matter.
disk() {
  for tries in $(seq 100); do
    for block in /sys/block/vd*; do
      [ "$(cat "$block/serial" 2>/dev/null)" = "$1" ] && [ -b "/dev/${block##*/}" ] &&
        { echo "/dev/${block##*/}"; return 0; }
    done
    sleep 0.1
  done
  echo "guest: no disk $1" >&2
  return 1
}

end_guest() {
  sync
  poweroff -f
}

root_disk="$(disk vornak-root)" && project_disk="$(disk vornak-project)" &&
  prefixes_disk="$(disk vornak-prefixes)" && results_disk="$(disk vornak-results)" || end_guest
mkdir -p /newroot
mount -t ext4 "$root_disk" /newroot || end_guest
mkdir -p "/newroot$project" /newroot/var/lib/vornak-prefixes
mount -t ext4 "$project_disk" "/newroot$project" || end_guest
mount -t ext4 "$prefixes_disk" /newroot/var/lib/vornak-prefixes || end_guest
mount -t proc proc /newroot/proc
mount -t sysfs sysfs /newroot/sys
mount -t devtmpfs devtmpfs /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
mount -t tmpfs tmpfs /newroot/dev/shm
mount -t tmpfs tmpfs /newroot/tmp

chroot /newroot /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 TERM=dumb VORNAK_RESULTS_DISK="$results_disk" \
  /bin/bash "$project/tools/guest/session.sh" "$project"
end_guest
