// A hand-written call with exact control of the registers and the stack: arguments
// pushed right to left, ECX as given, the stack only as aligned as the host keeps it,
// and the stack pointer measured around the call. The call runs on a host thread: in
// the floating-point state the host's threads have, checked when it returns (see
// host_thread_fpu.h). The stand-in runs its compiled host code (standin/msvc_host)
// through it, and tests use it where they must read what compiled code hides (EAX
// after a by-value call, bytes popped).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>

#include "standin/platform/fpu_control.h"
#include "standin/platform/host_thread_fpu.h"

namespace standin {

struct HostCall {
  std::uint32_t result = 0;     // EAX after the return
  std::int32_t popped = 0;      // bytes the callee removed from the stack
  std::string fpu_fault;        // what the call did wrong to the thread's state; empty: nothing
  FpuAfterCall fpu_after = {};  // the thread's state as the call left it
};

// The stack at the call instruction lies `skew` bytes (0, 4, 8 or 12) below a
// 16-byte boundary. The host's own compiler keeps only 4-byte alignment.
constexpr unsigned Host_Stack_Skew = 4;
constexpr unsigned Max_Call_Arguments = 6;

// The host thread a call runs on: how far its stack is off alignment and the
// floating-point state it calls in.
struct HostThread {
  unsigned skew = Host_Stack_Skew;
  FpuState fpu = Host_Fpu_State;
};

// `function` called with ECX = `ecx` and up to six 32-bit stack arguments.
HostCall Call_Host_Style(const void* function, const void* ecx,
                         std::initializer_list<std::uint32_t> arguments,
                         unsigned skew = Host_Stack_Skew, FpuState fpu = Host_Fpu_State);

// What a run of host code found about its call into the plug-in.
struct HostCodeRun {
  std::int32_t stack_error = 0;  // see host_abi.h: 0 when the callee removed its arguments
  std::string fpu_fault;         // empty when the thread's state came back as it must
  FpuAfterCall fpu_after = {};   // the thread's state as the host code left it
};

// A function of the host ABI code (standin/msvc_host/host_abi.h) run on `thread`: from
// a stack `thread.skew` bytes off a 16-byte boundary, so the compiled call inside it
// reaches the plug-in as unaligned as the host leaves it, and in `thread.fpu`.
template <typename... Parameters, typename... Arguments>
HostCodeRun Run_Host_Code(std::int32_t (*function)(Parameters...), const HostThread& thread,
                          Arguments... arguments);

// ECX value for cdecl calls: garbage, as the callee must not rely on it.
inline const void* Cdecl_Ecx() { return reinterpret_cast<const void*>(0xECECECECu); }

template <typename T>
std::uint32_t Word(T* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

template <typename T>
std::uint32_t As_Word(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return Word(value);
  } else {
    return static_cast<std::uint32_t>(value);
  }
}

template <typename... Parameters, typename... Arguments>
HostCodeRun Run_Host_Code(std::int32_t (*function)(Parameters...), const HostThread& thread,
                          Arguments... arguments) {
  static_assert(sizeof...(Parameters) == sizeof...(Arguments), "one argument per parameter");
  static_assert(sizeof...(Parameters) <= Max_Call_Arguments, "at most six arguments");
  static_assert(((sizeof(Parameters) == 4) && ...), "32-bit arguments only");
  HostCall call =
      Call_Host_Style(reinterpret_cast<const void*>(function), Cdecl_Ecx(),
                      {As_Word(static_cast<Parameters>(arguments))...}, thread.skew, thread.fpu);
  return {static_cast<std::int32_t>(call.result), std::move(call.fpu_fault), call.fpu_after};
}

}  // namespace standin
