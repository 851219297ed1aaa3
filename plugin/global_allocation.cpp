// The module's global allocation functions: everything the plug-in creates with new
// lives in the host heap, so the host may release it and we may release the host's.
// Linked only into the plug-in itself, never into a test program that hosts it.
//
// The plug-in is built without exceptions and its own code never uses the plain
// (throwing) forms: each of its allocations asks the host directly and checks for
// null. The DLL has no others: it links no runtime that could call them, and with no
// exception to report a refusal by, a plain new could only end the server. The
// native build links the C++ runtime in, so it defines them too, to keep every block
// of that runtime in the host heap; there a refusal stops the test process.
#include <cstddef>
#include <new>

#include "host/host_memory.h"

#ifndef _WIN32
#include <cstdlib>

namespace {

void* Checked(void* block) {
  if (block == nullptr) std::abort();
  return block;
}

}  // namespace

void* operator new(std::size_t bytes) { return Checked(host::Host_Allocate(bytes)); }
void* operator new[](std::size_t bytes) { return Checked(host::Host_Allocate_Array(bytes)); }
#endif

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
