#!/usr/bin/env bash
# Makes sure this machine runs 32-bit x86 Linux programs: the native build, its tests
# and Wine's 32-bit loader are all i386. A kernel built with 32-bit emulation switched
# off (its log says "32-bit emulation disabled") refuses them with "Exec format error",
# and there is no switch at run time: only the boot option ia32_emulation=on. There,
# the kernel's binfmt_misc hands every i386 program to QEMU's user-mode emulator,
# which runs it as a 64-bit process. Nothing changes where i386 programs already run.
# Needs root the first time (mounting binfmt_misc, registering the format).
set -euo pipefail

i386_loader=/lib/ld-linux.so.2
emulator=/usr/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc

i386_programs_run() { "$i386_loader" --version >/dev/null 2>&1; }

[ -x "$i386_loader" ] || { echo "no i386 C library yet ($i386_loader)" >&2; exit 1; }
i386_programs_run && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "this kernel runs no 32-bit programs; run 'make deps' as root to hand them to QEMU" >&2
  exit 1
fi
[ -x "$emulator" ] || { echo "$emulator is missing (package qemu-user)" >&2; exit 1; }
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"

# The ELF header of an i386 executable or position-independent executable: class 32,
# little-endian, machine 3. F opens the emulator now, so it is found from any mount
# namespace or chroot later.
if [ ! -e "$binfmt/qemu-i386" ]; then
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$emulator:F" >"$binfmt/register"
fi
echo 1 >"$binfmt/qemu-i386"
echo 1 >"$binfmt/status"

i386_programs_run || { echo "i386 programs still do not run under $emulator" >&2; exit 1; }
echo "this kernel runs no 32-bit programs: they run under $emulator (binfmt_misc)" >&2
