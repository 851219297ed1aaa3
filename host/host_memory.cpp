#include "host/host_memory.h"

#include "host/host_addresses.h"
#include "host/host_variant.h"

namespace host {

void Bind_Host_Memory() {
  const Build_Addresses& build = Addresses_For_Build(HostVariant);
  Engine_Addresses.Host_Alloc = build.host_alloc;
  Engine_Addresses.Host_Alloc_Array = build.host_alloc_array;
  Engine_Addresses.Host_Free = build.host_free;
  Engine_Addresses.Host_Free_Array = build.host_free_array;
  Engine_Addresses.Console_Output = build.console_output;
  Engine_Addresses.Host_SSE_Flag = build.sse_flag;
}

namespace {

// An allocation before start-up has bound the host resolves the whole binding first.
// In an unrecognised build the entry stays null and nothing is called.
void* Allocate_Through(const Address& entry, std::size_t bytes) noexcept {
  if (entry == 0) Engine_Init();
  if (entry == 0) return nullptr;
  return Call_Cdecl<void*>(entry, static_cast<std::uint32_t>(bytes));
}

void Release_Through(const Address& entry, void* block) noexcept {
  if (block == nullptr || entry == 0) return;
  Call_Cdecl<void>(entry, block);
}

}  // namespace

void* Host_Allocate(std::size_t bytes) noexcept {
  return Allocate_Through(Engine_Addresses.Host_Alloc, bytes);
}

void* Host_Allocate_Array(std::size_t bytes) noexcept {
  return Allocate_Through(Engine_Addresses.Host_Alloc_Array, bytes);
}

void Host_Release(void* block) noexcept { Release_Through(Engine_Addresses.Host_Free, block); }

void Host_Release_Array(void* block) noexcept {
  Release_Through(Engine_Addresses.Host_Free_Array, block);
}

}  // namespace host
