#!/usr/bin/env sh
# Says where a part of the tests can run on this machine, and prints it:
#   here      this kernel runs it (exit 0)
#   user-mode under QEMU's user-mode emulator, which the kernel hands them to (exit 0)
#   guest     in the emulated guest, scripts/guest/run_in_guest.sh (exit 0)
#   nowhere   neither; the reason goes to stderr (exit 1)
#   runs_here.sh i386         the native i386 build's programs: here or user-mode
#   runs_here.sh wine         Wine, for the Windows build's tests and make run-wine
#   runs_here.sh sanitizers   the i386 AddressSanitizer builds (asan, fuzz)
#
# Both depend on how this kernel runs i386 programs. Where it runs none, scripts/
# enable_i386_programs.sh hands them to QEMU's user-mode emulator, which runs the
# native build and its tests well but neither of these, measured here:
#   - Wine: a console program took over ten minutes to start, ld.so failed its own
#     assertion and Wine's loader crashed on the way;
#   - the sanitizer builds: LeakSanitizer's check at exit never ends there, and
#     AddressSanitizer's allocator fails its own check on the memory the emulator
#     hands out (docs/testing.md has what was run).
# There they run in a full-system emulator instead, whose own kernel runs 32-bit
# programs: it needs qemu-system-x86_64 (make deps installs it).
# QUILLON_IN_GUEST=1 sends both parts to the guest on any machine, so the guest's way
# can be tried where this kernel runs them itself.
what=${1:?usage: runs_here.sh i386|wine|sanitizers}
binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
emulated() { [ -r "$binfmt" ] && [ "$(head -n 1 "$binfmt")" = enabled ]; }
case "$what" in
  i386) if emulated; then echo user-mode; else echo here; fi; exit 0 ;;
  wine) command -v wine >/dev/null 2>&1 || { echo "nowhere"; echo "wine is not installed (make deps)" >&2; exit 1; } ;;
  sanitizers) ;;
  *) echo "runs_here.sh: unknown part '$what'" >&2; exit 2 ;;
esac
if [ "${QUILLON_IN_GUEST:-0}" = 1 ] || emulated; then
  if command -v qemu-system-x86_64 >/dev/null 2>&1; then
    echo guest
    exit 0
  fi
  echo nowhere
  echo "$what cannot run here: this kernel runs i386 programs only through QEMU user-mode ($binfmt), and qemu-system-x86_64, which would run them in a guest, is missing (make deps)" >&2
  exit 1
fi
echo here
