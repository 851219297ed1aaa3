// The memory and console bridge: every block the plug-in takes lives in the host
// heap, and every line it prints goes to the host console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "host/host_variant.h"

namespace host {

// Sets the six bridge entries for the detected build.
void Bind_Host_Memory();

// Single-object and array allocation in the host heap. When the entry is still
// unbound they run Engine_Init first. They return null, and never throw, when the
// host has no allocator bound (an unrecognised build) or hands back null.
void* Host_Allocate(std::size_t bytes) noexcept;
void* Host_Allocate_Array(std::size_t bytes) noexcept;

// Release through the entry that matches the allocation. A null block is ignored.
void Host_Release(void* block) noexcept;
void Host_Release_Array(void* block) noexcept;

// Prints one complete line on the host console, as the same variadic call. The line
// is dropped when the build has no console print function.
template <typename... Args>
void Console_Print(const char* format, Args... args) {
  static_cast<void>(Engine_Addresses.Console_Output(format, args...));
}

// Storage for `count` objects of T in the host heap, not constructed. Null when the
// byte size does not fit in 32 bits (the host is then not asked) or the host has no
// block to give.
template <typename T>
T* Host_Allocate_Elements(std::size_t count) noexcept {
  constexpr std::uint32_t largest = std::numeric_limits<std::uint32_t>::max();
  if (count > 0 && largest / count < sizeof(T)) return nullptr;
  return static_cast<T*>(Host_Allocate(count * sizeof(T)));
}

}  // namespace host
