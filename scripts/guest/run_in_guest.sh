#!/usr/bin/env bash
# Runs a command in the emulated guest (build_guest.sh), in this checkout, at the same
# path, with this environment, and hands back its output and exit status:
#   run_in_guest.sh [--interactive] [--timeout SECONDS] -- COMMAND [ARGS...]
# The guest boots, runs the command and powers off; it has no network. A command that
# does not end within the time limit (QUILLON_GUEST_TIMEOUT, 3600 s) is stopped, and
# the run fails saying so. The guest's console log is kept in build/guest/console.log.
# --interactive joins the command to this terminal (make run-wine, make guest-shell).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/../.." && pwd)
interactive=
limit=${QUILLON_GUEST_TIMEOUT:-3600}
while [ $# -gt 0 ]; do
  case "$1" in
    --interactive) interactive=1; shift ;;
    --timeout) limit=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: run_in_guest.sh [--interactive] [--timeout S] -- COMMAND..." >&2; exit 2; }
command -v qemu-system-x86_64 >/dev/null || { echo "guest: qemu-system-x86_64 is missing (package qemu-system-x86; make deps)" >&2; exit 1; }
guest=$("$here/build_guest.sh")

logs=$checkout/build/guest
mkdir -p "$logs"
run=$(mktemp -d "$logs/run.XXXXXX")
trap 'rm -rf "$run"' EXIT
console=$logs/console.log
: >"$console"

# The command, with this shell's exported variables but for make's own, the terminal's
# and the one that sends work to the guest (it is there), in the folder it was called
# from.
{
  export -p | grep -Ev '^(declare -x|export) (MAKEFLAGS|MFLAGS|MAKELEVEL|MAKE_TERMOUT|MAKE_TERMERR|OLDPWD|PWD|SHLVL|_|QUILLON_IN_GUEST)='
  printf 'cd %q || exit 125\n' "$PWD"
  printf 'exec'
  printf ' %q' "$@"
  printf '\n'
} | sed 's/^declare -x /export /' >"$run/command.sh"

# An emulated CPU with every feature but two: with SMAP or PKU on, the emulated CPU
# faults the kernel's return to 32-bit user code and every Wine program dies.
qemu=(qemu-system-x86_64 -accel tcg,thread=multi -cpu max,smap=off,pku=off
      -smp "$(nproc)" -m "${QUILLON_GUEST_MEMORY:-6G}" -no-reboot -nodefaults
      -display none -monitor none -serial "file:$console" -nic none
      -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img"
      -append "console=ttyS0 quiet panic=-1 quillon.share=$checkout quillon.run=$run${interactive:+ quillon.interactive=1}"
      -virtfs "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap"
      -virtfs "local,path=$checkout,mount_tag=checkout,security_model=none,multidevs=remap"
      -device virtio-serial-pci)
if [ -n "$interactive" ]; then
  qemu+=(-chardev stdio,id=term,signal=off -device virtconsole,chardev=term)
else
  # Through pipes that this shell copies to its own output: a file opened anew by
  # name (/proc/self/fd/1) would have an offset of its own, and where the output is a
  # plain file, what this shell writes next would land over the command's output.
  mkfifo "$run/stdout" "$run/stderr"
  cat "$run/stdout" &
  cat "$run/stderr" >&2 &
  qemu+=(-chardev "file,id=out,path=$run/stdout" -device virtserialport,chardev=out,name=stdout
         -chardev "file,id=err,path=$run/stderr" -device virtserialport,chardev=err,name=stderr)
fi

status=0
if [ -n "$interactive" ]; then
  timeout --foreground -k 10 "$limit" "${qemu[@]}" || status=$?
  stty sane 2>/dev/null || true
else
  timeout -k 10 "$limit" "${qemu[@]}" </dev/null || status=$?
  # A qemu that never started opened neither pipe, and its copy still waits for a
  # writer: opening the pipe both ways never blocks and lets that copy end.
  : 3<>"$run/stdout" 4<>"$run/stderr"
  wait
fi
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "guest: no end after $limit s, stopped; its console log: $console" >&2
  exit 124
fi
if [ ! -s "$run/status" ]; then
  echo "guest: the command left no exit status (qemu ended with $status); its console log: $console" >&2
  tail -n 20 "$console" >&2
  exit 125
fi
exit "$(cat "$run/status")"
