// The host functions that act on the active world, with the host's conventions:
// engine functions and script-table slots cdecl, object operations thiscall.
#pragma once

#include <cstdint>

namespace standin::world {

struct Entry {
  unsigned slot_or_index;
  const void* function;
};

// Script-table slots (byte offset, function). Enable_Collisions is the extension
// library's New_Enable_Collisions, which the plug-in binds into slot 88.
const Entry* Script_Slot_Functions(unsigned& count);
const void* Enable_Collisions_Function();

// Yes/no answers (Is_Valid_Object) come back with garbage in the upper 24 bits of
// EAX, as code from the host's compiler may leave them; only AL holds the answer.
void Set_Dirty_Booleans(bool on);

// Engine functions, in the order of layout::Engine_Functions.
const void* Find_Player_Function();
const void* Find_Definition_By_Name_Function();
const void* Reinit_Soldier_Function();
const void* Toggle_Fly_Mode_Function();

// Operation tables for the world's objects: host code (standin/msvc_host).
const void* const* Record_Operations();
const void* const* Object_Operations();
const void* const* Definition_Operations();
const void* const* Plain_Operations();  // holders and PlayerData: no operation is valid

}  // namespace standin::world
