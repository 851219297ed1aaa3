// Measures the stack pointer around one compiled call, so a callee that removes the
// wrong number of argument bytes is caught instead of silently absorbed by the
// caller's frame. Host side only.
#pragma once

#include <stdint.h>

namespace host_abi {

__attribute__((always_inline)) inline uint32_t Stack_Pointer() {
  uint32_t value;
  __asm__ __volatile__("movl %%esp, %0" : "=r"(value) : : "memory");
  return value;
}

// Puts the stack pointer back where the compiled code expects it after a call.
__attribute__((always_inline)) inline void Restore_Stack_Pointer(uint32_t value) {
  __asm__ __volatile__("movl %0, %%esp" : : "r"(value) : "memory");
}

}  // namespace host_abi

// Runs `call` (a statement) and evaluates to its stack error.
#define HOST_ABI_MEASURED(call)                                 \
  ({                                                            \
    const uint32_t stack_before_ = ::host_abi::Stack_Pointer(); \
    call;                                                       \
    const uint32_t stack_after_ = ::host_abi::Stack_Pointer();  \
    ::host_abi::Restore_Stack_Pointer(stack_before_);           \
    static_cast<int32_t>(stack_after_ - stack_before_);         \
  })
