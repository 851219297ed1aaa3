#!/usr/bin/env bash
# Checks the plug-in as a server operator receives it: a PE32 i386 DLL that exports
# exactly its seven entry points under their plain names and imports from system
# DLLs only, so it drops into a server folder alone.
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
fail() { echo "FAIL: $*" >&2; exit 1; }

headers=$("$objdump" -f "$dll")
grep -q "file format pei-i386" <<<"$headers" || fail "not a PE32 i386 image: $headers"
grep -q "architecture: i386" <<<"$headers" || fail "not built for i386"

tables=$("$objdump" -p "$dll")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$tables" |
          sed -n 's/^\s*\[ *[0-9]*\] \(.*\)$/\1/p' | sort)
expected=$(printf '%s\n' Create_Script DllMain Set_Request_Destroy_Func Set_Script_Commands \
           ZORM_Check_Version ZORM_Plugin_Load ZORM_Plugin_Unload | sort)
[ "$exports" = "$expected" ] || fail "exports differ:"$'\n'"$exports"

imports=$(sed -n 's/^\s*DLL Name: \(.*\)$/\1/p' <<<"$tables" | tr 'a-z' 'A-Z' | sort -u)
while read -r name; do
  case "$name" in
    KERNEL32.DLL|USER32.DLL|MSVCRT.DLL) ;;
    *) fail "imports from a DLL that is not part of Windows: $name" ;;
  esac
done <<<"$imports"
for needed in KERNEL32.DLL USER32.DLL; do
  grep -qx "$needed" <<<"$imports" || fail "does not import $needed"
done
for function in DisableThreadLibraryCalls GetProcAddress MessageBoxA; do
  grep -qw "$function" <<<"$tables" || fail "does not import $function"
done
echo "quillon.dll: PE32 i386, 7 exports, imports from $(tr '\n' ' ' <<<"$imports")"
