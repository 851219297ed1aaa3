#!/bin/sh
# Fails when an SSE (or MMX) instruction appears anywhere in the given objects or
# modules except in the packed overrides of _Vector4MathFunctionsSSE, so that the
# plug-in still loads and runs on a processor without SSE.
#   check_no_sse.sh OBJDUMP FILE...
set -eu
objdump=$1
shift
[ $# -gt 0 ] || { echo "check_no_sse: no files given" >&2; exit 2; }

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT

status=0
for file in "$@"; do
  if ! "$objdump" -d -C --no-show-raw-insn "$file" >"$listing"; then
    echo "check_no_sse: cannot disassemble $file" >&2
    status=1
    continue
  fi
  awk -v file="$file" '
    # A function starts at "<address> <name>:"; everything up to the next one is its body.
    /^[0-9a-f]+ <.*>:$/ {
      name = substr($0, index($0, "<") + 1)
      name = substr(name, 1, length(name) - 2)
      allowed = name ~ /^math::_Vector4MathFunctionsSSE::(Add|Subtract|Multiply|Divide)\(/
      functions++
      next
    }
    /^ +[0-9a-f]+:\t/ {
      instruction = $0
      sub(/^ +[0-9a-f]+:\t/, "", instruction)
      mnemonic = instruction
      sub(/[ \t].*/, "", mnemonic)
      sse = instruction ~ /%[xyz]?mm[0-9]/ ||
            mnemonic ~ /^(ldmxcsr|stmxcsr|sfence|lfence|mfence|clflush|movnti|movntq|maskmovq)$/ ||
            mnemonic ~ /^prefetch(nta|t0|t1|t2)$/
      if (sse && !allowed) {
        printf "%s: %s: %s\n", file, name, instruction
        found++
      }
    }
    END {
      if (functions == 0) {
        printf "%s: no function symbols to tell the SSE table apart\n", file
        exit 1
      }
      exit (found > 0 ? 1 : 0)
    }' "$listing" || status=1
done
[ "$status" -eq 0 ] || echo "check_no_sse: failed, see above" >&2
exit "$status"
