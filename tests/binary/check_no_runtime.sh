#!/usr/bin/env bash
# Checks the DLL as linked (with its symbols) for what only a runtime would handle:
#   - no static constructors or destructors: the module has no start-up code that
#     would run them, so each would be an object used before it was built. The
#     linker's constructor list holds only its two markers, and no object file brought
#     a constructor or destructor section;
#   - no instruction that ends the process (ud2, int3, int n), as the compiler plants
#     for a trap or an unreachable path.
#   check_no_runtime.sh DLL [NM] [OBJDUMP]
set -euo pipefail
dll=$1
nm=${2:-i686-w64-mingw32-nm}
objdump=${3:-i686-w64-mingw32-objdump}
fail() { echo "FAIL: $*" >&2; exit 1; }

symbols=$("$nm" "$dll")
address_of() { awk -v name="$1" '$3 == name {print $1; exit}' <<<"$symbols"; }
ctors=$(address_of __CTOR_LIST__)
dtors=$(address_of __DTOR_LIST__)
[ -n "$ctors" ] && [ -n "$dtors" ] || fail "$dll has no constructor list symbols (stripped?)"
# The list is -1, the constructors, 0; the destructor list follows right after it.
[ $((16#$dtors - 16#$ctors)) -eq 8 ] ||
  fail "$dll has $(( (16#$dtors - 16#$ctors - 8) / 4 )) static constructor(s)"
if grep -Eq '_GLOBAL__sub_[ID]_' <<<"$symbols"; then
  fail "$dll has static initialisation functions: $(grep -E '_GLOBAL__sub_[ID]_' <<<"$symbols" | tr '\n' ' ')"
fi
if "$objdump" -h "$dll" | grep -Eq '\.(ctors|dtors|init_array|fini_array)'; then
  fail "$dll has a constructor or destructor section"
fi

traps=$("$objdump" -d --no-show-raw-insn "$dll" |
        awk -F'\t' '/^ *[0-9a-f]+:\t/ {m = $2; sub(/ .*/, "", m)
                    if (m == "ud2" || m == "int3" || m == "int" || m == "into") print}')
[ -z "$traps" ] || fail "$dll holds instructions that end the process:"$'\n'"$traps"

echo "$(basename "$dll"): no static constructors, no trap instructions"
