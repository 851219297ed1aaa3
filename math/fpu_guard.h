// The x87 state a plain slot computes in, whatever state the calling thread is in.
//
// The x87 control word is per-thread state that the host sets as it likes: Direct3D
// leaves a thread at 24-bit precision, engines round toward zero or unmask traps in
// debug builds. At 24 bits a sum of products loses its small terms and a reciprocal
// its last bits; another rounding moves the last bit; an unmasked zero-divide trap
// kills the server where IEEE arithmetic gives an infinity. So a plain slot looks at
// the control word first and, when the thread's state would change a result,
// computes in ours and gives the caller back its own.
//
// Only the x87 unit is touched: the plain tables must run on a processor without SSE,
// so nothing here reads or writes MXCSR.
#pragma once

#include <cstdint>

namespace math::x87 {

// Every exception masked, 53-bit precision, round to nearest: what the host's own
// compiler starts its threads with.
constexpr std::uint16_t Our_Control_Word = 0x27F;

// The control-word fields a result depends on: the six exception masks (bits 0-5),
// the upper bit of the precision field (bit 9: set for 53 and for 64 bits, both of
// which give double precision or wider, always with the register's wide exponent)
// and the rounding field (bits 10-11). The other bits are reserved or ignored.
constexpr std::uint16_t Result_Fields = 0x0E3F;
constexpr std::uint16_t Our_Result_Fields = 0x023F;

// The status word's flags: the six exception flags (bits 0-5), the stack fault (6) and
// the error summary (7), which is set while a flag is pending under an unmasked trap.
// Above them sit the condition codes and the stack top, which no caller keeps across a
// call.
constexpr std::uint16_t Exception_Masks = 0x3F;
constexpr std::uint16_t Status_Flags = 0xFF;
constexpr std::uint16_t Error_Summary = 0x80;

// fnstenv's image in 32-bit protected mode: control word, status word (exception
// flags, stack top), tag word, last instruction and operand pointers, each in the low
// half of a 32-bit word.
struct Environment {
  std::uint32_t words[7];
};

// Functions of the slow path: never inlined, and hidden, so that a position-
// independent build calls them directly instead of through the procedure linkage
// table and the fast path sets up no register for the table's address.
// (A DLL exports only what it names, so the Windows build needs no such attribute.)
#ifdef _WIN32
#define MATH_OUT_OF_LINE __attribute__((noinline))
#else
#define MATH_OUT_OF_LINE __attribute__((noinline, visibility("hidden")))
#endif

// fnstcw does not wait: it never raises an exception the caller left pending. It
// stores into a word the asm pushes and drops itself: a stack slot of the compiler's
// would make GCC realign the stack (to 8 bytes, for doubles) in the prologue of every
// slot, fast path included, since the host calls us with only 4-byte alignment. The
// word is read back at the width it was stored (a 32-bit read of a 16-bit store
// cannot be forwarded from the store, and waits for it to reach the cache), and
// dropped with lea, which leaves the flags alone.
__attribute__((always_inline)) inline bool Thread_Gives_Our_Results() {
  std::uint32_t control;
  __asm__ __volatile__(
      "pushl $0\n\t"
      "fnstcw (%%esp)\n\t"
      "movzwl (%%esp), %0\n\t"
      "leal 4(%%esp), %%esp"
      : "=r"(control));
  return (control & Result_Fields) == Our_Result_Fields;
}

// Gives a caller that unmasked a trap its control word back, and its status flags
// exactly as they were before our work: `control` and `status` as it had them. Only
// the flags decide how. The usual case is that the work raised nothing the caller had
// not set already, and loading the control word is all; when the caller had no flag
// at all, clearing ours is as exact. Otherwise (a flag of ours beside flags of the
// caller's, or a flag the caller had pending) only a whole environment sets the status
// word: the one of now, so the stack top and the tags stay as the work left them, with
// the caller's control word and flags written into it.
//
// Nothing here waits for a pending exception: fnstsw, fnclex and fnstenv do not wait,
// each fldcw loads a control word while no flag is pending, and fldenv only sets one
// pending. A flag the caller had pending fires at the caller's next arithmetic, as it
// would have without the call.
MATH_OUT_OF_LINE inline void Give_Back_Exactly(std::uint16_t control, std::uint16_t status) {
  std::uint16_t now;
  __asm__ __volatile__("fnstsw %0" : "=a"(now) : : "memory");
  if (((now ^ status) & Status_Flags) == 0) {
    __asm__ __volatile__("fldcw %0" : : "m"(control) : "memory");
  } else if ((status & Status_Flags) == 0) {
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(control) : "memory");
  } else {
    Environment environment;
    __asm__ __volatile__("fnstenv %0" : "=m"(environment) : : "memory");
    environment.words[0] = (environment.words[0] & 0xFFFF0000u) | control;
    environment.words[1] =
        (environment.words[1] & ~std::uint32_t{Status_Flags}) | (status & Status_Flags);
    __asm__ __volatile__("fldenv %0" : : "m"(environment) : "memory");
  }
}

// The slow path of one kernel: every state the fast path does not take. Its functions
// are members of a class template rather than function templates, so that their names
// start with the namespace (a function template's name carries its return type first),
// as the binary checks expect of every function that holds x87 instructions.
//
// The memory clobbers keep the kernel's loads and stores between the control-word
// loads, and its arithmetic depends on those loads and feeds those stores. None of
// the asm here touches the register stack, so whatever the compiler keeps there is
// left alone.
template <auto Kernel, typename... Arguments>
struct SlowPath {
  // It removes its arguments itself (stdcall), as a slot does, so a slot can jump to
  // it instead of calling it: the slot then needs no stack frame of its own, which
  // GCC would realign in the prologue, fast path included.
  MATH_OUT_OF_LINE __attribute__((stdcall)) static void Run_In_Our_State(Arguments&... arguments) {
    std::uint16_t caller;
    const std::uint16_t ours = Our_Control_Word;
    __asm__ __volatile__("fnstcw %0" : "=m"(caller) : : "memory");
    if ((caller & Exception_Masks) == Exception_Masks) {
      // Every exception masked, as Direct3D and engines that round toward zero leave
      // them: only precision or rounding differ. Our control word for the work, the
      // caller's back after it. The flags the work raises stay set beside the
      // caller's, as on the fast path: masked, they trap nothing.
      __asm__ __volatile__("fldcw %0" : : "m"(ours) : "memory");
      Kernel(arguments...);
      __asm__ __volatile__("fldcw %0" : : "m"(caller) : "memory");
      return;
    }
    // A trap unmasked: a flag of ours must not be left set under it, where it would
    // fire at the caller's next arithmetic, and the caller's flags come back exactly.
    // A flag the caller left pending is cleared before our control word is loaded
    // over it, and put back afterwards.
    std::uint16_t status;
    __asm__ __volatile__("fnstsw %0" : "=a"(status) : : "memory");
    if ((status & Error_Summary) != 0) __asm__ __volatile__("fnclex" : : : "memory");
    __asm__ __volatile__("fldcw %0" : : "m"(ours) : "memory");
    Kernel(arguments...);
    Give_Back_Exactly(caller, status);
  }
};

// A plain slot's body. The usual case, a thread already at 53 or 64 bits rounding to
// nearest with every exception masked, costs one control-word store and one compare,
// and the kernel runs inline; the flags it raises stay, as any floating-point code
// leaves them (every exception is masked, so they trap nothing). Any other state
// takes the out-of-line path above: two control-word loads around the kernel when
// every exception is masked, the status flags given back exactly when a trap is not.
template <auto Kernel, typename... Arguments>
__attribute__((always_inline)) inline void Guarded(Arguments&... arguments) {
  if (__builtin_expect(Thread_Gives_Our_Results(), 1)) {
    Kernel(arguments...);
  } else {
    SlowPath<Kernel, Arguments...>::Run_In_Our_State(arguments...);
  }
}

}  // namespace math::x87

#undef MATH_OUT_OF_LINE
