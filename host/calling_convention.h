// The host executable is built with the platform's usual 32-bit Windows compiler.
// Its plain functions and script-table slots are cdecl (the caller pops the
// arguments); its member functions and virtual slots are thiscall (`this` in ECX,
// the callee pops). Every call into the host goes through one of the helpers below,
// which name the convention and take the target address from a variable at run time:
// a call to a constant address can be miscompiled into a PC-relative call in
// position-independent code.
#pragma once

#include <cstdint>

#if !defined(__i386__)
#error "Quillon is a 32-bit x86 plug-in: build it for i386 (-m32 or mingw-w64 i686)"
#endif

#define HOST_CDECL __attribute__((cdecl))
#define HOST_THISCALL __attribute__((thiscall))

namespace host {

// A host address: code or data in the host process, 32 bits wide.
using Address = std::uint32_t;

// Reads an address through a volatile load so the compiler never folds it into the
// call instruction as a constant.
inline Address Load_Address(const Address& entry) {
  return *static_cast<const volatile Address*>(&entry);
}

template <typename Result, typename... Args>
Result Call_Cdecl(const Address& entry, Args... args) {
  using Function = Result(HOST_CDECL*)(Args...);
  return reinterpret_cast<Function>(Load_Address(entry))(args...);
}

// Plain variadic host function (the console print): cdecl, every argument on the stack.
template <typename Result, typename... Args>
Result Call_Cdecl_Variadic(const Address& entry, const char* format, Args... args) {
  using Function = Result(HOST_CDECL*)(const char*, ...);
  return reinterpret_cast<Function>(Load_Address(entry))(format, args...);
}

// Host member function: `self` goes in ECX, the callee pops the stack arguments.
template <typename Result, typename... Args>
Result Call_Thiscall(const Address& entry, void* self, Args... args) {
  using Function = Result(HOST_THISCALL*)(void*, Args...);
  return reinterpret_cast<Function>(Load_Address(entry))(self, args...);
}

// Virtual slot `slot` of a host object: thiscall through the object's table.
template <typename Result, typename... Args>
Result Call_Virtual(void* self, unsigned slot, Args... args) {
  using Function = Result(HOST_THISCALL*)(void*, Args...);
  Function* table = *static_cast<Function**>(self);
  return table[slot](self, args...);
}

// Reads a data member of a host object at a byte offset.
template <typename T>
T Read_Member(const void* object, unsigned offset) {
  T value;
  __builtin_memcpy(&value, static_cast<const unsigned char*>(object) + offset, sizeof value);
  return value;
}

template <typename T>
T* Address_To_Pointer(Address address) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}

}  // namespace host
