#!/usr/bin/env bash
# Checks the plug-in as a server operator receives it: a PE32 i386 DLL that exports
# exactly its seven entry points under their plain names, and brings nothing of a
# runtime into the server's process:
#   - it imports exactly the Windows functions the host contract needs, from KERNEL32
#     and USER32, and nothing of msvcrt;
#   - it has no TLS directory (for a module with one, the loader refuses to switch off
#     thread notifications);
#   - its entry point is DllMain itself, not a C runtime's start-up code.
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

# Every imported function as DLL!name, from the import tables' hint/name lines.
imports=$(awk '/DLL Name:/ {dll = toupper($3)}
               /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ && dll != "" {print dll "!" $3}' <<<"$tables" | sort)
expected_imports=$(printf '%s\n' KERNEL32.DLL!DisableThreadLibraryCalls KERNEL32.DLL!GetModuleHandleExW \
                   KERNEL32.DLL!GetProcAddress KERNEL32.DLL!VirtualQuery USER32.DLL!MessageBoxA | sort)
[ "$imports" = "$expected_imports" ] || fail "imports differ from the host contract's:"$'\n'"$imports"

tls=$(awk '/Thread Storage Directory/ {print $3}' <<<"$tables")
[ "$tls" = "00000000" ] || fail "the DLL has a TLS directory (size $tls)"

entry=$(awk '/^AddressOfEntryPoint/ {print $2}' <<<"$tables")
dll_main_ordinal=$(sed -n 's/^\s*\[ *\([0-9]*\)\] DllMain$/\1/p' <<<"$tables")
dll_main=$(sed -n "s/^\s*\[ *${dll_main_ordinal}\] +base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA$/\1/p" <<<"$tables")
[ -n "$dll_main" ] || fail "DllMain's address is not in the export table"
[ $((16#$entry)) -eq $((16#$dll_main)) ] || fail "the entry point $entry is not DllMain ($dll_main)"

echo "quillon.dll: PE32 i386, 7 exports, entry DllMain, no TLS, imports $(tr '\n' ' ' <<<"$imports")"
