# Sourced by tools/guest-lane.sh and tools/guest-images.sh: boots the QEMU
# guest once and brings its results back.
#
#   guest_boot RUN PROJECT_IMAGE PREFIXES_IMAGE WRITABLE
#     boots the kernel, initramfs and root image of $guest_images with
#     PROJECT_IMAGE mounted at this project's path (written in place: it is
#     the caller's throwaway copy) and PREFIXES_IMAGE holding the Wine
#     prefixes (written only when WRITABLE is 1, else attached with
#     snapshot=on). The guest runs the project image's .vornak-guest/request
#     (tools/guest/session.sh). The console goes to stdout and RUN/console.log,
#     the command's output and status to RUN/results/. Returns 1 when the
#     guest ended without a status (a crash, or VORNAK_GUEST_TIMEOUT seconds,
#     default 3600, passed). guest_qemu_pid names the running QEMU (through
#     timeout), so that the caller's trap can end it.
#
# Facts that shape the command line: KVM is not used (the KVM of our
# machines is a nested kind that cannot boot a stock kernel); QEMU 7.2's
# "-cpu max" crashes the guest kernel on its return to user mode unless SMAP
# is off; user-mode QEMU cannot run new-WoW64 Wine (it has no 32-bit code
# segment); a writable 9p share is far too slow for a Wine prefix, hence
# ext4 images (mkfs.ext4 -d), which need no mount on this side.
guest_qemu_pid=

guest_boot() {
  local run="$1" project_image="$2" prefixes_image="$3" writable="$4"
  local limit="${VORNAK_GUEST_TIMEOUT:-3600}" prefixes_mode=snapshot=on
  [ "$writable" = 1 ] && prefixes_mode=cache=writeback
  rm -rf "$run/results" "$run/results.img" "$run/console.log"
  mkdir -p "$run/results"
  truncate -s 256M "$run/results.img"
  # QEMU's snapshot=on overlays are temporary files: in $run, removed with it.
  TMPDIR="$run" timeout --kill-after=20 "$limit" \
    qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap \
    -smp "${VORNAK_GUEST_CPUS:-$(nproc)}" -m "${VORNAK_GUEST_MEMORY:-3072}" \
    -nodefaults -display none -monitor none -no-reboot -rtc base=utc \
    -kernel "$guest_images/vmlinuz" -initrd "$guest_images/initrd.gz" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 vornak.project=$vornak_root_dir" \
    -chardev "stdio,id=console,signal=off,logfile=$run/console.log" -serial chardev:console \
    -drive "file=$guest_images/root.img,format=raw,if=none,id=root,snapshot=on" \
    -device virtio-blk-pci,drive=root,serial=vornak-root \
    -drive "file=$project_image,format=raw,if=none,id=project,cache=unsafe" \
    -device virtio-blk-pci,drive=project,serial=vornak-project \
    -drive "file=$prefixes_image,format=raw,if=none,id=prefixes,$prefixes_mode" \
    -device virtio-blk-pci,drive=prefixes,serial=vornak-prefixes \
    -drive "file=$run/results.img,format=raw,if=none,id=results" \
    -device virtio-blk-pci,drive=results,serial=vornak-results \
    </dev/null 9>&- &
  guest_qemu_pid=$!
  local qemu_status=0
  wait "$guest_qemu_pid" || qemu_status=$?
  guest_qemu_pid=
  tar -xf "$run/results.img" -C "$run/results" 2>/dev/null || true
  rm -f "$run/results.img"
  [ -f "$run/results/status" ] && return 0
  if [ "$qemu_status" = 124 ]; then
    echo "guest: the guest did not finish within $limit s" >&2
  else
    echo "guest: the guest ended without results (QEMU status $qemu_status)" >&2
  fi
  return 1
}

# Ends a running guest: timeout passes the signal on to QEMU.
guest_end() {
  if [ -n "$guest_qemu_pid" ] && kill -0 "$guest_qemu_pid" 2>/dev/null; then
    kill -TERM "$guest_qemu_pid" 2>/dev/null || true
    wait "$guest_qemu_pid" 2>/dev/null || true
  fi
  guest_qemu_pid=
}

# An ext4 image of FOLDER with MB megabytes of room beyond its content
# (sparse: the room costs nothing until the guest writes it).
guest_make_image() {
  local folder="$1" room_mb="$2" image="$3" used_mb
  used_mb=$(du -sm "$folder" | cut -f1)
  rm -f "$image"
  truncate -s "$((used_mb + room_mb))M" "$image"
  mkfs.ext4 -q -F -d "$folder" "$image"
}
