#include "tests/support/plugin_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/engine_addresses.h"
#include "host/host_addresses.h"
#include "host/host_memory.h"
#include "host/host_variant.h"
#include "host/script_commands.h"
#include "math/math_tables.h"

namespace plugin_state {

namespace {

using Table = host::EngineAddressTable;

struct Field {
  const char* name;
  host::Address Table::*entry;
};

const Field Fields[] = {
    {"Host_Alloc", &Table::Host_Alloc},
    {"Host_Alloc_Array", &Table::Host_Alloc_Array},
    {"Host_Free", &Table::Host_Free},
    {"Host_Free_Array", &Table::Host_Free_Array},
    {"Console_Output", &Table::Console_Output},
    {"Host_SSE_Flag", &Table::Host_SSE_Flag},
    {"Find_Definition_By_Name", &Table::Find_Definition_By_Name},
    {"Find_Player", &Table::Find_Player},
    {"Reinit_Soldier_From_Definition", &Table::Reinit_Soldier_From_Definition},
    {"Toggle_Fly_Mode", &Table::Toggle_Fly_Mode},
};

host::Address Address_Of(const volatile void* target) {
  return static_cast<host::Address>(reinterpret_cast<std::uintptr_t>(target));
}

}  // namespace

Entries Bound_Entries() {
  Entries entries;
  for (const Field& field : Fields)
    entries.emplace_back(field.name, host::Engine_Addresses.*field.entry);
  return entries;
}

// The host allocates single objects and arrays with one function, and releases both
// with another.
Entries Expected_Entries(standin::Host_Build build) {
  const standin::Bridge_Addresses& bridge = standin::Bridge_For(build);
  const standin::Engine_Addresses& engine = standin::Engine_For(build);
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
  Vector3_Math = nullptr;
  Vector4_Math = nullptr;
}

void Set_Build(std::int32_t build) { host::HostVariant = build; }

// A name that is not in the table is a mistake in the test support itself.
void Set_Entry(const char* name, const volatile void* target) {
  for (const Field& field : Fields) {
    if (std::strcmp(field.name, name) == 0) {
      host::Engine_Addresses.*field.entry = Address_Of(target);
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
