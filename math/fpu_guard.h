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

// The six exception masks of the control word: all set, no exception traps.
constexpr std::uint16_t Exception_Masks = 0x3F;

// fnstenv's image in 32-bit protected mode: control word, status word (exception
// flags, stack top), tag word, last instruction and operand pointers.
struct Environment {
  std::uint32_t words[7];
};

// Functions of the slow path: never inlined, and hidden, so that a position-
// independent build calls them directly instead of through the procedure linkage
// table and the fast path sets up no register for the table's address.
#define MATH_OUT_OF_LINE __attribute__((noinline, visibility("hidden")))

// fnstcw does not wait: it never raises an exception the caller left pending. It
// stores into a word the asm pushes and drops itself: a stack slot of the compiler's
// would make GCC realign the stack (to 8 bytes, for doubles) in the prologue of every
// slot, fast path included, since the host calls us with only 4-byte alignment. The
// word is read back at the width it was stored (a 32-bit read of a 16-bit store
// cannot be forwarded from the store, and waits for it to reach the cache), and
// dropped with lea, which leaves the flags alone.
__attribute__((always_inline)) inline std::uint32_t Thread_Control_Word() {
  std::uint32_t control;
  __asm__ __volatile__(
      "pushl $0\n\t"
      "fnstcw (%%esp)\n\t"
      "movzwl (%%esp), %0\n\t"
      "leal 4(%%esp), %%esp"
      : "=r"(control));
  return control;
}

// The thread's control word against ours, as one word: zero in every result field
// where they agree. Testing it needs no second register, which the slot's fast path,
// holding three argument pointers in the few registers i386 has, would have to save;
// the slow path gets the word itself back with the same exclusive or.
constexpr std::uint32_t Differences_From_Ours(std::uint32_t control) {
  return control ^ Our_Result_Fields;
}
constexpr bool Gives_Our_Results(std::uint32_t differences) {
  return (differences & Result_Fields) == 0;
}

// The slow path of one kernel: every state the fast path does not take. Its functions
// are members of a class template rather than function templates, so that their names
// start with the namespace (a function template's name carries its return type first),
// as the binary checks expect of every function that holds x87 instructions.
template <auto Kernel, typename... Arguments>
struct SlowPath {
  // The kernel as a call of its own: the calling convention leaves the x87 register
  // stack empty on both sides of a call, so nothing the kernel computes can still sit
  // in a register when the caller's environment is loaded back over it.
  MATH_OUT_OF_LINE static void Run_Apart(Arguments&... arguments) { Kernel(arguments...); }

  // It removes its arguments itself (stdcall), as a slot does, so a slot can jump to
  // it instead of calling it: the slot then needs no stack frame of its own, which
  // GCC would realign in the prologue, fast path included. The caller's control word,
  // which the slot has just read, comes in EAX (regparm), a register the slot's own
  // convention leaves free, so the jump still fits and the word is not read twice; it
  // comes as the slot tested it, against ours (Differences_From_Ours).
  // The memory clobbers keep the kernel's loads and stores between the control-word
  // loads, and its arithmetic depends on those loads and feeds those stores.
  MATH_OUT_OF_LINE __attribute__((stdcall, regparm(1))) static void Run_In_Our_State(
      std::uint32_t differences, Arguments&... arguments) {
    const auto caller = static_cast<std::uint16_t>(Differences_From_Ours(differences));
    const std::uint16_t ours = Our_Control_Word;
    if (__builtin_expect((caller & Exception_Masks) == Exception_Masks, 1)) {
      // Every exception masked, as Direct3D and engines that round toward zero leave
      // them: only precision or rounding differ. Our control word for the work, the
      // caller's back after it, and the kernel inline: no asm here touches the
      // register stack. The flags the work raises stay set beside the caller's, as on
      // the fast path: masked, they trap nothing.
      __asm__ __volatile__("fldcw %0" : : "m"(ours) : "memory");
      Kernel(arguments...);
      __asm__ __volatile__("fldcw %0" : : "m"(caller) : "memory");
      return;
    }
    // A trap unmasked. fnstenv saves the caller's control word and status flags (and
    // masks every exception); fldenv puts both back exactly. Flags the kernel raised
    // are dropped with ours, flags the caller had stay set, and no flag of ours is left
    // pending under a trap the caller unmasked. The caller's x87 stack is empty here,
    // as at any call, so the tag word and stack top that fldenv restores are the ones
    // the kernel leaves.
    //
    // The cheaper ways measured slower: reading the status word after the work and
    // loading only the control word back when no flag changed. On processors where
    // loading a control word that unmasks a trap is a slow microcoded step (about
    // 120-160 ns on an AMD EPYC, against 70 ns for the pair fnstenv, fldenv), a lone
    // fldcw costs more than the environment, and fnclex, when a flag of ours must go,
    // about 60 ns more.
    Environment environment;
    __asm__ __volatile__("fnstenv %0" : "=m"(environment) : : "memory");
    __asm__ __volatile__("fldcw %0" : : "m"(ours) : "memory");
    Run_Apart(arguments...);
    __asm__ __volatile__("fldenv %0" : : "m"(environment) : "memory");
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
  const std::uint32_t differences = Differences_From_Ours(Thread_Control_Word());
  if (__builtin_expect(Gives_Our_Results(differences), 1)) {
    Kernel(arguments...);
  } else {
    SlowPath<Kernel, Arguments...>::Run_In_Our_State(differences, arguments...);
  }
}

}  // namespace math::x87

#undef MATH_OUT_OF_LINE
