#!/usr/bin/env sh
# Says whether a part of the tests can run on this machine: exit 0 if it can, 1 if
# not, with the reason on stderr.
#   runs_here.sh wine         Wine, for the Windows build's tests and make run
#   runs_here.sh sanitizers   the i386 AddressSanitizer builds (asan, fuzz)
#
# Both depend on how this kernel runs i386 programs. Where it runs none, scripts/
# enable_i386_programs.sh hands them to QEMU's user-mode emulator, which runs the
# native build and its tests well but neither of these, measured here:
#   - Wine: a console program took over ten minutes to start, ld.so failed its own
#     assertion and Wine's loader crashed on the way;
#   - AddressSanitizer: a program that makes one small allocation never got past
#     mapping its shadow memory (five minutes, then stopped).
# So on such a machine those parts are left out, and said to be.
what=${1:?usage: runs_here.sh wine|sanitizers}
binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
if [ -r "$binfmt" ] && [ "$(head -n 1 "$binfmt")" = enabled ]; then
  echo "$what cannot run here: this kernel runs i386 programs only through QEMU ($binfmt)" >&2
  exit 1
fi
case "$what" in
  wine) command -v wine >/dev/null 2>&1 || { echo "wine is not installed" >&2; exit 1; } ;;
  sanitizers) ;;
  *) echo "runs_here.sh: unknown part '$what'" >&2; exit 2 ;;
esac
