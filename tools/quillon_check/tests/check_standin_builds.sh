#!/bin/sh
# The checker on the Windows stand-in server's own executables, each holding a build's
# signature in its file (standin/signature_in_file.py): the status and the line of
# each, and the worst status for all of them at once.
#   check_standin_builds.sh STANDIN_FOLDER CHECKER [EMULATOR...]
set -u
folder=$1
shift
fail() { echo "FAIL: $*" >&2; exit 1; }
run() {
  file=$folder/$1 want_status=$2 want_text=$3
  shift 3
  line=$("$@" "$file")
  status=$?
  line=$(printf '%s' "$line" | tr -d '\r')
  [ "$status" -eq "$want_status" ] || fail "$file: status $status, not $want_status ($line)"
  case $line in
    *"$want_text"*) echo "$line" ;;
    *) fail "$file: '$line' does not say '$want_text'" ;;
  esac
}
run quillon-standin-build-0.exe 0 ": build 0: a build Quillon knows; every command works" "$@"
run quillon-standin-build-1.exe 0 ": build 1: a build Quillon knows; every command works" "$@"
run quillon-standin-build-4.exe 1 ": build 4: the commands are registered but find no player and print nothing" "$@"
run quillon-standin-build-moved.exe 2 "stay idle (no console command); its build signature moved to 0x78CF49" "$@"
run quillon-standin.exe 2 "stay idle (no console command)" "$@"
"$@" "$folder/quillon-standin-build-0.exe" "$folder/quillon-standin-build-4.exe" >/dev/null
[ $? -eq 1 ] || fail "builds 0 and 4 together: not the worst status, 1"
"$@" "$folder/quillon-standin-build-moved.exe" "$folder/missing.exe" "$folder/quillon-standin-build-1.exe" >/dev/null
[ $? -eq 3 ] || fail "a missing file among others: not the worst status, 3"
echo "quillon-check: the stand-in's builds 0, 1, 4, moved and none, as the plug-in decides"
