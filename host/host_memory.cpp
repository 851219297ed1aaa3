#include "host/host_memory.h"

#include "host/host_variant.h"

namespace host {

void Bind_Host_Memory() {
  static_cast<BridgeEntries&>(Engine_Addresses) = Bridge_Entries_For(HostVariant);
}

namespace {

// An allocation before start-up has bound the host resolves the whole binding first.
// In an unrecognised build the entry stays null and nothing is called.
void* Allocate_Through(const Cdecl<void*(std::uint32_t)>& entry, std::size_t bytes) noexcept {
  if (!entry.Present()) Engine_Init();
  return entry(static_cast<std::uint32_t>(bytes)).Or(nullptr);
}

// A block can only exist after an allocation; a build without a release entry keeps it.
void Release_Through(const Cdecl<void(void*)>& entry, void* block) noexcept {
  if (block != nullptr) static_cast<void>(entry(block));
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
