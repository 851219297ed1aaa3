// The host's script command table and the extension library bound into it.
#pragma once

#include <cstdint>

#include "host/extension_names.h"
#include "host/host_table.h"

namespace host {

// The host's record of cdecl function pointers. Only its size and version are read
// as fields; slots are reached by byte offset (host_table.h).
struct ScriptCommandTable {
  std::uint32_t size;
  std::uint32_t version;
};
static_assert(sizeof(ScriptCommandTable) == 8, "the table's header: size, then version");

// The host's table, kept between calls. The plug-in never copies it.
extern ScriptCommandTable* Script_Commands;

// The host's extension library, handed over by the loader.
extern void* Extension_Module;

// Our own entries for the extension functions that have no table slot, in lookup order
// (entries of names that do have a slot stay null).
extern void* Extension_Entries[Extension_Function_Count];

// Accepts only the table layout the plug-in was built for.
bool Is_Table_Accepted(const ScriptCommandTable& table);

// Looks up every extension function in list order; a missing one raises a warning box
// and leaves a null entry (or a null slot). Never stops early.
void Bind_Extension_Functions();

}  // namespace host
