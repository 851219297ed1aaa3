#!/usr/bin/env bash
# Checks that the plug-in module as linked can neither throw nor convert numbers the C
# runtime's way:
#   - nothing that raises or catches a C++ exception is linked in (a server may hold a
#     neighbour's shared unwinder, beside which our own exceptions could only end the
#     process);
#   - no C runtime number conversion or locale function is imported (the commands read
#     numbers themselves, the same in every process whatever its locale).
#   check_no_exceptions.sh MODULE [NM] [OBJDUMP]
set -euo pipefail
module=$1
nm=${2:-nm}
objdump=${3:-objdump}
fail() { echo "FAIL: $*" >&2; exit 1; }

symbols=$("$nm" "$module")
for machinery in __cxa_throw __cxa_rethrow __cxa_allocate_exception __cxa_begin_catch \
                 _Unwind_RaiseException __gxx_personality_v0; do
  if grep -Eq "[ _]${machinery}\$" <<<"$symbols"; then
    fail "$module links $machinery"
  fi
done

if "$objdump" -f "$module" | grep -q "pei-i386"; then
  imports=$("$objdump" -p "$module" | awk '/DLL Name:/ {dll = $3} NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}')
else
  imports=$("$nm" -D --undefined-only "$module" | awk '{print $NF}' | sed 's/@.*//')
fi
for conversion in atoi atol atof strtol strtoul strtod strtof strtold _atoi64 _strtoi64 \
                  _atof_l _strtod_l setlocale localeconv _create_locale; do
  if grep -qx "$conversion" <<<"$imports"; then
    fail "$module imports $conversion"
  fi
done
echo "$(basename "$module"): no exception machinery, no C runtime number conversion"
