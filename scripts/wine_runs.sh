#!/usr/bin/env sh
# Says whether Wine can run the Windows builds here: exit 0 if it can, 1 if not.
# Wine's 32-bit loader is an i386 Linux program. Where the kernel runs no 32-bit
# programs, scripts/enable_i386_programs.sh hands them to QEMU's user-mode emulator,
# which runs the native tests well but not Wine: measured here, a console program
# took over ten minutes to start and Wine's loader failed ld.so's own assertion and
# crashed on the way. So there the Windows build's Wine tests are left out, loudly.
binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
if [ -r "$binfmt" ] && [ "$(head -n 1 "$binfmt")" = enabled ]; then
  [ "${1:-}" = --quiet ] || echo "Wine cannot run here: this kernel runs i386 programs only through QEMU ($binfmt)" >&2
  exit 1
fi
command -v wine >/dev/null 2>&1
