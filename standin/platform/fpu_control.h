// The floating-point state of the host's threads: the x87 control word and MXCSR.
// Both are per-thread and the host sets them as it likes. A program built with the
// host's compiler starts with the x87 precision control at 53 bits (0x27F); Linux and
// mingw programs start at 64 bits (0x37F). Direct3D leaves a thread that creates a
// device at 24 bits, debug builds of engines unmask traps, and SSE code often turns on
// flush-to-zero. The plug-in must give the same results in every one of these states
// and leave the state as it found it, so the stand-in can run its calls in each.
#pragma once

#include <cstdint>

namespace standin {

constexpr std::uint16_t Host_Fpu_Control = 0x27F;
constexpr std::uint16_t Extended_Fpu_Control = 0x37F;

// x87 control word: a set bit masks that exception; precision and rounding fields.
namespace x87 {
constexpr std::uint16_t Invalid = 0x01;
constexpr std::uint16_t Denormal = 0x02;
constexpr std::uint16_t Zero_Divide = 0x04;
constexpr std::uint16_t Overflow = 0x08;
constexpr std::uint16_t Underflow = 0x10;
constexpr std::uint16_t Precision = 0x20;
constexpr std::uint16_t Exceptions = 0x3F;  // the same bits are the status word's flags
constexpr std::uint16_t Precision_Field = 0x300;
constexpr std::uint16_t Precision_24 = 0x000;
constexpr std::uint16_t Precision_53 = 0x200;
constexpr std::uint16_t Rounding_Field = 0xC00;
constexpr std::uint16_t Round_Toward_Zero = 0xC00;
}  // namespace x87

// MXCSR: flags in bits 0-5, masks in bits 7-12 (a set bit masks), rounding, FTZ, DAZ.
namespace sse {
constexpr std::uint32_t Flags = 0x3F;
constexpr std::uint32_t Denormal_Flag = 0x02;
constexpr std::uint32_t Precision_Flag = 0x20;
constexpr std::uint32_t Denormals_Are_Zero = 0x40;
constexpr std::uint32_t Invalid_Mask = 0x80;
constexpr std::uint32_t Zero_Divide_Mask = 0x200;
constexpr std::uint32_t Overflow_Mask = 0x400;
constexpr std::uint32_t Masks = 0x1F80;
constexpr std::uint32_t Round_Toward_Zero = 0x6000;
constexpr std::uint32_t Flush_To_Zero = 0x8000;
constexpr std::uint32_t Default = 0x1F80;  // every exception masked, round to nearest
}  // namespace sse

struct FpuState {
  std::uint16_t x87_control;
  std::uint32_t mxcsr;
  friend bool operator==(const FpuState& a, const FpuState& b) {
    return a.x87_control == b.x87_control && a.mxcsr == b.mxcsr;
  }
  friend bool operator!=(const FpuState& a, const FpuState& b) { return !(a == b); }
};

// What the host's own compiler leaves a thread in.
constexpr FpuState Host_Fpu_State = {Host_Fpu_Control, sse::Default};

// The states a host thread may call the plug-in in, by the name the stand-in's --fpu
// option and the tests use.
struct NamedFpuState {
  const char* name;
  FpuState state;
  const char* meaning;
};

constexpr std::uint16_t X87_Traps = x87::Invalid | x87::Zero_Divide | x87::Overflow;
constexpr std::uint32_t Sse_Traps = sse::Invalid_Mask | sse::Zero_Divide_Mask | sse::Overflow_Mask;

constexpr NamedFpuState Host_Thread_States[] = {
    {"host", Host_Fpu_State, "53-bit x87 precision, round to nearest, every trap masked"},
    {"extended",
     {Extended_Fpu_Control, sse::Default},
     "64-bit x87 precision, as Linux and mingw programs start"},
    {"single",
     {x87::Exceptions | 0x40 | x87::Precision_24, sse::Default},
     "24-bit x87 precision, as Direct3D leaves a thread"},
    {"toward-zero",
     {Host_Fpu_Control | x87::Round_Toward_Zero, sse::Default | sse::Round_Toward_Zero},
     "x87 and SSE rounding toward zero"},
    {"single-toward-zero",
     {x87::Exceptions | 0x40 | x87::Precision_24 | x87::Round_Toward_Zero, sse::Default},
     "24-bit x87 precision rounding toward zero, every trap masked"},
    {"x87-traps",
     {Host_Fpu_Control & ~X87_Traps, sse::Default},
     "x87 invalid, zero-divide and overflow traps unmasked"},
    {"invalid-trap",
     {Host_Fpu_Control & ~x87::Invalid, sse::Default & ~sse::Invalid_Mask},
     "only the invalid-operation trap unmasked, x87 and SSE, as a debugger catching NaNs"},
    {"every-trap",
     {Host_Fpu_Control & ~x87::Exceptions, sse::Default & ~sse::Masks},
     "every x87 and SSE exception unmasked, precision included, as a debugger may leave"},
    {"ftz-daz",
     {Host_Fpu_Control, sse::Default | sse::Flush_To_Zero | sse::Denormals_Are_Zero},
     "SSE flush-to-zero and denormals-are-zero"},
    {"sse-traps",
     {Host_Fpu_Control, sse::Default & ~Sse_Traps},
     "SSE invalid, zero-divide and overflow traps unmasked"},
    {"hostile",
     {static_cast<std::uint16_t>(
          (x87::Exceptions | 0x40 | x87::Precision_24 | x87::Round_Toward_Zero) & ~X87_Traps),
      (sse::Default & ~Sse_Traps) | sse::Round_Toward_Zero | sse::Flush_To_Zero |
          sse::Denormals_Are_Zero},
     "all of these at once"},
};

// The named state, or null for a name that is none of them.
inline const NamedFpuState* Find_Fpu_State(const char* name) {
  for (const NamedFpuState& named : Host_Thread_States) {
    const char* a = named.name;
    const char* b = name;
    while (*a != 0 && *a == *b) ++a, ++b;
    if (*a == 0 && *b == 0) return &named;
  }
  return nullptr;
}

inline std::uint16_t Fpu_Control() {
  std::uint16_t control;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  return control;
}

inline void Set_Fpu_Control(std::uint16_t control) {
  __asm__ __volatile__("fldcw %0" : : "m"(control));
}

inline std::uint16_t Fpu_Status() {
  std::uint16_t status;
  __asm__ __volatile__("fnstsw %0" : "=m"(status));
  return status;
}

inline std::uint32_t Mxcsr() {
  std::uint32_t value;
  __asm__ __volatile__("stmxcsr %0" : "=m"(value));
  return value;
}

inline void Set_Mxcsr(std::uint32_t value) { __asm__ __volatile__("ldmxcsr %0" : : "m"(value)); }

inline FpuState Current_Fpu_State() { return {Fpu_Control(), Mxcsr()}; }

// The x87 environment as fnstenv stores it in 32-bit protected mode. The status word
// holds the exception flags (bits 0-5), the stack fault and error summary bits (6, 7),
// the condition codes and the stack top (bits 11-13).
struct X87Environment {
  std::uint16_t control;
  std::uint16_t reserved_1;
  std::uint16_t status;
  std::uint16_t reserved_2;
  std::uint16_t tags;
  std::uint16_t reserved_3;
  std::uint32_t instruction_offset;
  std::uint32_t instruction_selector_and_opcode;
  std::uint32_t operand_offset;
  std::uint32_t operand_selector;
};
static_assert(sizeof(X87Environment) == 28, "fnstenv stores 28 bytes");

namespace x87 {
constexpr std::uint16_t Error_Summary = 0x80;
constexpr std::uint16_t Stack_Top = 0x3800;
}  // namespace x87

// fnstenv and fnclex do not wait: they never deliver an exception a flag left pending.
// fnstenv masks every x87 exception after storing; the caller loads a control word of
// its own (fldenv, fldcw) before any arithmetic.
inline X87Environment Store_X87_Environment() {
  X87Environment environment;
  __asm__ __volatile__("fnstenv %0" : "=m"(environment));
  return environment;
}

// Flags pending in `environment` under traps it unmasks fire at the next x87
// instruction that waits, not at this load: the load runs after fnclex.
inline void Load_X87_Environment(const X87Environment& environment) {
  __asm__ __volatile__("fnclex\n\tfldenv %0" : : "m"(environment));
}

// Clears the pending x87 flags first, so that unmasking a trap does not fire it for a
// flag some earlier work left behind; MXCSR's flags go with the value written.
inline void Set_Fpu_State(FpuState state) {
  __asm__ __volatile__("fnclex");
  Set_Fpu_Control(state.x87_control);
  Set_Mxcsr(state.mxcsr);
}

}  // namespace standin
