#include "tests/support/plugin_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_memory.h"
#include "host/host_table.h"
#include "host/host_variant.h"
#include "host/math_tables.h"
#include "host/script_commands.h"

namespace plugin_state {

namespace {

using Table = host::EngineAddressTable;

struct Field {
  const char* name;
  host::Entry& (*entry)(Table& table);
};

// Every entry of the plug-in's own rows, by name.
#define QUILLON_TEST_FIELD(name, build_0, build_1, build_4, ...) \
  {#name, [](Table& table) -> host::Entry& { return table.name; }},
const Field Fields[] = {QUILLON_BRIDGE_ENTRIES(QUILLON_TEST_FIELD)
                            QUILLON_ENGINE_ENTRIES(QUILLON_TEST_FIELD)};
#undef QUILLON_TEST_FIELD

}  // namespace

Entries Bound_Entries() {
  Entries entries;
  for (const Field& field : Fields)
    entries.emplace_back(field.name, field.entry(host::Engine_Addresses).Where());
  return entries;
}

// The host allocates single objects and arrays with one function, and releases both
// with another.
Entries Expected_Entries(standin::HostBuild build) {
  const standin::BridgeAddresses& bridge = standin::Bridge_For(build);
  const standin::EngineAddresses& engine = standin::Engine_For(build);
  return {{"Host_Alloc", bridge.alloc},
          {"Host_Alloc_Array", bridge.alloc},
          {"Host_Free", bridge.free},
          {"Host_Free_Array", bridge.free},
          {"Console_Output", bridge.console_output},
          {"Host_SSE_Flag", bridge.sse_flag},
          {"Find_Definition_By_Name", engine.find_definition_by_name},
          {"Find_Player", engine.find_player},
          {"Reinit_Soldier_From_Definition", engine.reinit_soldier_from_definition},
          {"Toggle_Fly_Mode", engine.toggle_fly_mode}};
}

std::int32_t Build() { return host::HostVariant; }

std::int32_t Detect_Build() {
  host::HostVariant = host::Build_Unresolved;
  host::Detect_Host_Variant();
  return host::HostVariant;
}

void Bind_Build_Entries() {
  host::Bind_Host_Memory();
  host::Bind_Engine_Functions();
}

void Reset() {
  host::Engine_Addresses = {};
  host::HostVariant = host::Build_Unresolved;
  host::Script_Commands = nullptr;
  host::Extension_Module = nullptr;
  for (void*& entry : host::Extension_Entries) entry = nullptr;
  Vector3_Math = nullptr;
  Vector4_Math = nullptr;
}

void Set_Build(std::int32_t build) { host::HostVariant = build; }

// A name that is not in the table is a mistake in the test support itself.
void Set_Entry(const char* name, const volatile void* target) {
  for (const Field& field : Fields) {
    if (std::strcmp(field.name, name) == 0) {
      field.entry(host::Engine_Addresses) = host::Entry(host::Address_Of(target));
      return;
    }
  }
  std::fprintf(stderr, "plugin_state: the plug-in has no host entry %s\n", name);
  std::abort();
}

void Set_Script_Table(void* record) {
  host::Script_Commands = static_cast<host::ScriptCommandTable*>(record);
}

}  // namespace plugin_state
