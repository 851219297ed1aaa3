#!/bin/busybox sh
# The emulated guest's init (build_guest.sh packs it as /init of the initramfs). It
# mounts this machine's root read-only (the share "hostroot") under a throw-away
# writable layer, the checkout read-write at its own path (the share "checkout"), runs
# the run folder's command.sh there, writes its exit status beside it and powers off.
# The command's output leaves through the virtio ports "stdout" and "stderr", or, for
# an interactive run, through the console hvc0.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
while read -r m; do insmod "/modules/$m.ko" || echo "guest: insmod $m failed" >&2; done </modules/order

for arg in $(cat /proc/cmdline); do
  case "$arg" in
    quillon.share=*) share=${arg#*=} ;;
    quillon.run=*) run=${arg#*=} ;;
    quillon.interactive=1) interactive=1 ;;
  esac
done

power_off() { sync; umount -a -r 2>/dev/null; reboot -f; }
fail() { echo "guest: $*" >&2; power_off; }

# The host's root, read-only, with writes kept in memory: nothing the tests write
# outside the checkout reaches this machine.
options=trans=virtio,version=9p2000.L,cache=loose,msize=1048576
mkdir -p /lower /layer /newroot
mount -t 9p -o "ro,$options" hostroot /lower || fail "cannot mount the host's root"
mount -t tmpfs -o size=8g layer /layer
mkdir -p /layer/upper /layer/work
if ! mount -t overlay -o lowerdir=/lower,upperdir=/layer/upper,workdir=/layer/work overlay /newroot; then
  fail "cannot lay a writable layer over the host's root"
fi
mount -t proc proc /newroot/proc
mount -t sysfs sysfs /newroot/sys
mount -o bind /dev /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
mount -t devpts devpts /newroot/dev/pts
mount -t tmpfs tmpfs /newroot/dev/shm
mount -t tmpfs tmpfs /newroot/tmp
mount -t tmpfs tmpfs /newroot/run
# The checkout last: one under /tmp or /run would be hidden by the fresh mounts above.
mkdir -p "/newroot$share"
mount -t 9p -o "$options" checkout "/newroot$share" || fail "cannot mount the checkout at $share"

# A virtio port by the name the host gave it.
port() {
  for p in /sys/class/virtio-ports/*; do
    [ "$(cat "$p/name" 2>/dev/null)" = "$1" ] && { echo "/dev/${p##*/}"; return; }
  done
}

if [ -n "$interactive" ]; then
  setsid -c chroot /newroot /bin/sh "$run/command.sh" </dev/hvc0 >/dev/hvc0 2>&1
else
  out=$(port stdout)
  err=$(port stderr)
  [ -n "$out" ] && [ -n "$err" ] || fail "the output ports are missing"
  chroot /newroot /bin/sh "$run/command.sh" </dev/null >"$out" 2>"$err"
fi
echo $? >"/newroot$run/status"
power_off
