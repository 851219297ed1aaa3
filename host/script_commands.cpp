#include "host/script_commands.h"

#include "host/platform_api.h"

namespace host {

ScriptCommandTable* Script_Commands = nullptr;
void* Extension_Module = nullptr;
void* Extension_Entries[Extension_Function_Count] = {};

namespace {

constexpr const char* Missing_Function_Text = "Error getting function address from vkl.dll";

// A slot of the table as a record member: the table is the host's, slots by offset.
Member<ScriptCommandTable, Address> Slot_At(unsigned offset) { return {offset}; }

void Store_In_Slot(unsigned offset, void* function) {
  *Slot_At(offset).In(Script_Commands) = Address_Of(function);
}

}  // namespace

bool Is_Table_Accepted(const ScriptCommandTable& table) {
  return table.size == Script_Table_Size && table.version == Script_Table_Version;
}

void Bind_Extension_Functions() {
  for (unsigned i = 0; i < Extension_Function_Count; ++i) {
    const ExtensionFunction& wanted = Extension_Functions[i];
    void* function = platform::Find_Function(Extension_Module, wanted.name);
    if (function == nullptr) platform::Show_Warning(Missing_Function_Text, wanted.name);
    if (wanted.table_slot != 0) {
      Store_In_Slot(wanted.table_slot, function);
    } else {
      Extension_Entries[i] = function;
    }
  }
}

Address Script_Slot_Address(unsigned offset) {
  if (Script_Commands == nullptr) return 0;
  return Slot_At(offset).Read(Script_Commands);
}

}  // namespace host
