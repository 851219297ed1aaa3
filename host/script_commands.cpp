#include "host/script_commands.h"

#include "host/host_addresses.h"
#include "host/platform_api.h"

namespace host {

ScriptCommandTable* Script_Commands = nullptr;
void* Extension_Module = nullptr;
void* Extension_Entries[Extension_Function_Count] = {};

namespace {

constexpr const char* Missing_Function_Text = "Error getting function address from vkl.dll";

void Store_In_Slot(unsigned offset, void* function) {
  const auto value = static_cast<Address>(reinterpret_cast<std::uintptr_t>(function));
  __builtin_memcpy(reinterpret_cast<unsigned char*>(Script_Commands) + offset, &value,
                   sizeof value);
}

}  // namespace

bool Is_Table_Accepted(const ScriptCommandTable& table) {
  return table.size == Script_Table_Size && table.version == Script_Table_Version;
}

void Bind_Extension_Functions() {
  for (unsigned i = 0; i < Extension_Function_Count; ++i) {
    const Extension_Function& wanted = Extension_Functions[i];
    void* function = platform::Find_Function(Extension_Module, wanted.name);
    if (function == nullptr) platform::Show_Warning(Missing_Function_Text, wanted.name);
    if (wanted.table_slot != 0) {
      Store_In_Slot(wanted.table_slot, function);
    } else {
      Extension_Entries[i] = function;
    }
  }
}

Address Script_Slot(unsigned offset) {
  if (Script_Commands == nullptr) return 0;
  return Read_Member<Address>(Script_Commands, offset);
}

}  // namespace host
