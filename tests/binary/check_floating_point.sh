#!/bin/sh
# Floating point only where it is guarded. The host's threads may run the FPU in any
# state, so the plug-in keeps floating-point instructions to the vector math tables,
# which set a defined state for their work and give the caller's back:
#   - no SSE (or MMX) instruction outside the packed overrides of
#     _Vector4MathFunctionsSSE, so the plug-in loads and runs on a processor without
#     SSE, where the host picks the plain table;
#   - no x87 instruction outside the math layer: the commands read and print amounts
#     as float bits, with integers.
#   check_floating_point.sh OBJDUMP FILE...
set -eu
objdump=$1
shift
[ $# -gt 0 ] || { echo "check_floating_point: no files given" >&2; exit 2; }

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT

status=0
for file in "$@"; do
  if ! "$objdump" -d -C --no-show-raw-insn "$file" >"$listing"; then
    echo "check_floating_point: cannot disassemble $file" >&2
    status=1
    continue
  fi
  awk -v file="$file" '
    # A function starts at "<address> <name>:"; everything up to the next one is its body.
    /^[0-9a-f]+ <.*>:$/ {
      name = substr($0, index($0, "<") + 1)
      name = substr(name, 1, length(name) - 2)
      sse_allowed = name ~ /^math::_Vector4MathFunctionsSSE::(Add|Subtract|Multiply|Divide)\(/
      x87_allowed = name ~ /^math::/
      functions++
      next
    }
    # An instruction: "<address>:<tab><mnemonic> <operands>", indented in objects only;
    # llvm-objdump puts spaces before the tab.
    /^ *[0-9a-f]+: *\t/ {
      instruction = $0
      sub(/^ *[0-9a-f]+: *\t/, "", instruction)
      mnemonic = instruction
      sub(/[ \t].*/, "", mnemonic)
      sse = instruction ~ /%[xyz]?mm[0-9]/ ||
            mnemonic ~ /^(ldmxcsr|stmxcsr|sfence|lfence|mfence|clflush|movnti|movntq|maskmovq)$/ ||
            mnemonic ~ /^prefetch(nta|t0|t1|t2)$/
      x87 = mnemonic ~ /^f/
      if ((sse && !sse_allowed) || (x87 && !x87_allowed)) {
        printf "%s: %s: %s\n", file, name, instruction
        found++
      }
      instructions++
    }
    END {
      if (functions == 0 || instructions == 0) {
        printf "%s: no functions or instructions found to tell the math tables apart\n", file
        exit 1
      }
      exit (found > 0 ? 1 : 0)
    }' "$listing" || status=1
done
[ "$status" -eq 0 ] || echo "check_floating_point: failed, see above" >&2
exit "$status"
