#!/usr/bin/env bash
# Builds the emulated guest that runs the i386 and Windows programs where this kernel
# will not: Debian's own kernel (it runs 32-bit programs) and a small initramfs of
# busybox and the virtio and 9p modules. The guest has no root file system of its own:
# its init mounts this machine's root read-only over virtio-9p, the checkout read-write
# at the same path, and runs the command it is given there (guest_init.sh). So the
# programs see the very libraries, Wine, locales and tools that `make deps` installed
# here, and nothing is installed twice.
#
# Prints the folder that holds the guest (vmlinuz, initrd.img). It is cached outside the
# clone (QUILLON_GUEST_CACHE, else ~/.cache/quillon-guest), keyed by the files that
# build it, so a second run reuses it and any change to them builds a fresh one.
#   build_guest.sh            build if missing, print the folder
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache_root=${QUILLON_GUEST_CACHE:-${XDG_CACHE_HOME:-${HOME:-/var/cache}/.cache}/quillon-guest}

# The modules the init loads, in the order their dependencies need.
modules=(drivers/virtio/virtio_ring drivers/virtio/virtio drivers/virtio/virtio_pci_modern_dev
         drivers/virtio/virtio_pci_legacy_dev drivers/virtio/virtio_pci drivers/char/virtio_console
         net/9p/9pnet net/9p/9pnet_virtio fs/netfs/netfs fs/fscache/fscache fs/9p/9p
         fs/overlayfs/overlay)

# Keyed by the files that build the guest; the kernel it was built with is recorded in
# it (kernel-version). Asking apt which kernel is current takes seconds, so that is
# asked only when a guest is built: QUILLON_GUEST_REBUILD=1 builds a fresh one anyway.
key=$( { printf '%s\n' "${modules[@]}"; cat "$here/build_guest.sh" "$here/guest_init.sh"; } | sha256sum | cut -c1-16)
guest=$cache_root/$key
if [ -z "${QUILLON_GUEST_REBUILD:-}" ] && [ -s "$guest/initrd.img" ] && [ -s "$guest/vmlinuz" ]; then
  echo "$guest"
  exit 0
fi

# The kernel package that linux-image-amd64 names today.
kernel_package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
[ -n "$kernel_package" ] || { echo "guest: no Debian kernel package found (apt-cache depends linux-image-amd64)" >&2; exit 1; }
kernel_version=$(apt-cache policy "$kernel_package" | awk '/Candidate:/ { print $2 }')
echo "guest: building $guest ($kernel_package $kernel_version)" >&2
work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-guest.XXXXXX")
trap 'rm -rf "$work"' EXIT
# apt-get download runs as the _apt user where it can write the folder.
chmod 777 "$work"
(cd "$work" && apt-get download -qq "$kernel_package" busybox-static >&2)
dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
dpkg-deb -x "$work"/busybox-static_*.deb "$work/busybox"
release=${kernel_package#linux-image-}

root=$work/initramfs
mkdir -p "$root"/{bin,dev,proc,sys,mnt,modules}
cp "$work/busybox/bin/busybox" "$root/bin/busybox"
for m in "${modules[@]}"; do
  cp "$work/kernel/lib/modules/$release/kernel/$m.ko" "$root/modules/"
  basename "$m" >>"$root/modules/order"
done
cp "$here/guest_init.sh" "$root/init"
chmod 755 "$root/init" "$root/bin/busybox"
mkdir -p "$guest.partial"
(cd "$root" && find . | "$root/bin/busybox" cpio -o -H newc 2>/dev/null | gzip -1) >"$guest.partial/initrd.img"
cp "$work/kernel/boot/vmlinuz-$release" "$guest.partial/vmlinuz"
echo "$kernel_package $kernel_version" >"$guest.partial/kernel-version"
rm -rf "$guest"
mv "$guest.partial" "$guest"
# Older guests, built by other versions of these files, go.
find "$cache_root" -mindepth 1 -maxdepth 1 ! -name "$key" -exec rm -rf {} +
echo "$guest"
