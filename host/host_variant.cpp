#include "host/host_variant.h"

#include <cstring>

#include "host/host_memory.h"
#include "host/math_tables.h"
#include "host/memory_probe.h"

namespace host {

EngineAddressTable Engine_Addresses = {};
std::int32_t HostVariant = Build_Unresolved;

namespace {

bool Engine_Init_Running = false;

bool Signature_At(Address address) {
  if (!Is_Readable(address, Build_Signature_Length)) return false;
  return std::memcmp(Address_To_Pointer<const void>(address), Build_Signature,
                     Build_Signature_Length) == 0;
}

}  // namespace

void Detect_Host_Variant() {
  // Every probe is made; a later match overrides an earlier one.
  for (const SignatureProbe& probe : Signature_Probes) {
    if (Signature_At(probe.address)) HostVariant = probe.build;
  }
}

void Bind_Engine_Functions() {
  static_cast<EngineEntries&>(Engine_Addresses) = Engine_Entries_For(HostVariant);
}

void Engine_Init() {
  if (Engine_Init_Running) return;
  Engine_Init_Running = true;
  Detect_Host_Variant();
  Bind_Host_Memory();
  Create_Math_Tables();
  Bind_Engine_Functions();
  Engine_Init_Running = false;
}

}  // namespace host
