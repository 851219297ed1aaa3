#include "standin/scripts/extension_library.h"

#include "standin/image/stub_functions.h"
#include "standin/world/world_functions.h"

namespace standin {

namespace {

struct ExtensionTag;
using ExtensionStubs = StubFamily<ExtensionTag, Extension_Name_Count>;

// Its address is the module handle of vkl.dll.
char Extension_Module_Tag;

}  // namespace

void* ExtensionLibrary::Module_Handle() { return &Extension_Module_Tag; }

unsigned ExtensionLibrary::Index_Of(const std::string& name) {
  for (unsigned i = 0; i < Extension_Name_Count; ++i) {
    if (name == Extension_Names[i].name) return i;
  }
  return Extension_Name_Count;
}

// The library's collision function acts on the world of players: the plug-in binds it
// into the script table and calls it after toggling a soldier's flying.
const void* ExtensionLibrary::Function_Of(const std::string& name) {
  if (name == "New_Enable_Collisions") return world::Enable_Collisions_Function();
  return ExtensionStubs::Address(Index_Of(name));
}

const void* ExtensionLibrary::Lookup(const char* name) const {
  if (name == nullptr || missing_.count(name) != 0) return nullptr;
  return Function_Of(name);
}

}  // namespace standin
