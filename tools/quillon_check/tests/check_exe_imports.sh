#!/bin/sh
# The shipped quillon-check.exe as an operator receives it: a PE32 i386 console
# program that imports only from DLLs every Windows has, so it runs with nothing
# beside it.
#   check_exe_imports.sh EXE [OBJDUMP]
set -eu
exe=$1
objdump=${2:-i686-w64-mingw32-objdump}
fail() { echo "FAIL: $*" >&2; exit 1; }
"$objdump" -f "$exe" | grep -q "file format pei-i386" || fail "$exe is not a PE32 i386 image"
tables=$("$objdump" -p "$exe")
printf '%s\n' "$tables" | grep -q 'Subsystem.*(Windows CUI)' || fail "$exe is not a console program"
dlls=$(printf '%s\n' "$tables" | sed -n 's/^\s*DLL Name: *//p' | tr 'a-z' 'A-Z' | sort -u)
[ -n "$dlls" ] || fail "$exe imports nothing: the import table was not found"
for dll in $dlls; do
  case $dll in
    KERNEL32.DLL | MSVCRT.DLL | USER32.DLL | ADVAPI32.DLL) ;;
    *) fail "$exe imports $dll, which a Windows machine does not have by itself" ;;
  esac
done
echo "quillon-check.exe: PE32 i386 console program, imports only from $(echo $dlls)"
