// Calls into the plug-in exactly as the host does: arguments pushed right to left,
// `this` in ECX for member functions, the stack only as aligned as the host keeps it,
// and the stack pointer measured around the call, so a test can prove that a callee
// removed exactly the arguments its calling convention says it must.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace standin {

struct Host_Call {
  std::uint32_t result = 0;  // EAX after the return
  std::int32_t popped = 0;   // bytes the callee removed from the stack
};

// The stack at the call instruction lies `skew` bytes (0, 4, 8 or 12) below a
// 16-byte boundary. The host's own compiler keeps only 4-byte alignment.
constexpr unsigned Host_Stack_Skew = 4;
constexpr unsigned Max_Call_Arguments = 6;

// `function` called with ECX = `ecx` and up to six 32-bit stack arguments.
Host_Call Call_Host_Style(const void* function, const void* ecx,
                          std::initializer_list<std::uint32_t> arguments,
                          unsigned skew = Host_Stack_Skew);

// Virtual slot `slot` of `object`, thiscall, as the host calls a command.
Host_Call Call_Virtual_Slot(void* object, unsigned slot,
                            std::initializer_list<std::uint32_t> arguments,
                            unsigned skew = Host_Stack_Skew);

// ECX value for cdecl calls: garbage, as the callee must not rely on it.
inline const void* Cdecl_Ecx() { return reinterpret_cast<const void*>(0xECECECECu); }

template <typename T>
std::uint32_t Word(T* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

}  // namespace standin
