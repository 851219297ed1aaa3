// The MXCSR state a packed slot computes in, whatever state the calling thread is in.
//
// MXCSR is per-thread state the host sets as it likes: SSE code turns on
// flush-to-zero and denormals-are-zero, which turn a sum of two denormals into zero;
// debug builds unmask traps, and a zero component of a divisor then kills the
// server where IEEE arithmetic gives an infinity. So a packed slot looks at MXCSR
// first and, when the thread's state would change a result, computes in the default
// state and gives the caller back its own.
//
// Only the SSE table's overrides may include this: it is made of SSE instructions,
// and everything is inlined into those overrides so that no other function of the
// plug-in holds one (tests/binary/check_floating_point.sh).
#pragma once

#include <cstdint>

#ifndef __SSE__
#error "math/mxcsr_guard.h belongs to files compiled with SSE enabled"
#endif

namespace math::sse {

// Every exception masked, round to nearest, no flush-to-zero, no denormals-are-zero.
constexpr std::uint32_t Default_Mxcsr = 0x1F80;

// The fields a result depends on: denormals-are-zero (bit 6), the six masks (7-12),
// rounding (13-14) and flush-to-zero (15). Bits 0-5 are the sticky flags.
constexpr std::uint32_t Result_Fields = 0xFFC0;

// stmxcsr and ldmxcsr take only a memory operand. They go through a word the asm
// reserves below the stack pointer and releases itself: a stack slot of the
// compiler's would make GCC realign the stack (to 16 bytes, for packed values) in
// the prologue of every override, fast path included, since the host calls us with
// only 4-byte alignment. lea moves the stack pointer without touching the flags.
#define MATH_MXCSR_STORE "leal -4(%%esp), %%esp\n\tstmxcsr (%%esp)\n\t"
#define MATH_MXCSR_LOAD "ldmxcsr (%%esp)\n\tleal 4(%%esp), %%esp"

__attribute__((always_inline)) inline std::uint32_t Read_Mxcsr() {
  std::uint32_t value;
  __asm__ __volatile__(MATH_MXCSR_STORE "popl %0" : "=r"(value));
  return value;
}

// The caller's MXCSR, kept in an XMM register across the work, so that the slow
// path needs no general register more than the fast path, and the fast path saves
// none. It is a bit pattern, never an operand of arithmetic: only moved.
struct SavedMxcsr {
  float bits;
};

__attribute__((always_inline)) inline SavedMxcsr Save_Mxcsr() {
  SavedMxcsr saved;
  __asm__ __volatile__(MATH_MXCSR_STORE "movss (%%esp), %0\n\tleal 4(%%esp), %%esp"
                       : "=x"(saved.bits));
  return saved;
}

// The memory clobbers keep every load and store of the packed work between the two
// writes, and the arithmetic depends on those loads and feeds those stores.
__attribute__((always_inline)) inline void Load_Default_Mxcsr() {
  __asm__ __volatile__("pushl %0\n\t" MATH_MXCSR_LOAD : : "i"(Default_Mxcsr) : "memory");
}

__attribute__((always_inline)) inline void Restore_Mxcsr(SavedMxcsr saved) {
  __asm__ __volatile__("leal -4(%%esp), %%esp\n\tmovss %0, (%%esp)\n\t" MATH_MXCSR_LOAD
                       :
                       : "x"(saved.bits)
                       : "memory");
}

#undef MATH_MXCSR_STORE
#undef MATH_MXCSR_LOAD

// An override's body. In the usual state, the default one (whatever its flags), the
// cost is one store of MXCSR and one compare, and the flags the work raises stay, as
// any SSE code leaves them: every exception is masked. Otherwise the work runs in
// the default state, and the caller's MXCSR is written back exactly, its flags
// included: ours are dropped, and none is left set under a trap the caller unmasked.
template <auto Kernel, typename... Arguments>
__attribute__((always_inline)) inline void Guarded(Arguments&... arguments) {
  if (__builtin_expect((Read_Mxcsr() & Result_Fields) == Default_Mxcsr, 1)) {
    Kernel(arguments...);
    return;
  }
  const SavedMxcsr caller = Save_Mxcsr();
  Load_Default_Mxcsr();
  Kernel(arguments...);
  Restore_Mxcsr(caller);
}

}  // namespace math::sse
