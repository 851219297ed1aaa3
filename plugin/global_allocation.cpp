// The module's global allocation functions: everything the plug-in creates with new
// lives in the host heap, so the host may release it and we may release the host's.
// Linked only into the plug-in itself, never into a test program that hosts it.
#include <cstddef>
#include <new>

#include "host/host_memory.h"

namespace {

// A null block (no host allocator bound, or the host is out of memory) must never be
// handed to code that constructs into it.
void* Checked(void* block) {
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t bytes) { return Checked(host::Host_Allocate(bytes)); }
void* operator new[](std::size_t bytes) { return Checked(host::Host_Allocate_Array(bytes)); }

void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return host::Host_Allocate(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return host::Host_Allocate_Array(bytes);
}

void operator delete(void* block) noexcept { host::Host_Release(block); }
void operator delete(void* block, std::size_t) noexcept { host::Host_Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { host::Host_Release(block); }
void operator delete[](void* block) noexcept { host::Host_Release_Array(block); }
void operator delete[](void* block, std::size_t) noexcept { host::Host_Release_Array(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  host::Host_Release_Array(block);
}
