#include "standin/scripts/script_table.h"

#include <cstring>

#include "standin/image/stub_functions.h"
#include "standin/world/world_functions.h"

namespace standin {

namespace {

struct ScriptSlotTag;
using SlotStubs = StubFamily<ScriptSlotTag, Script_Slot_Count>;

unsigned Slot_Index(unsigned offset) { return (offset - First_Script_Slot) / 4; }

bool Is_Slot(unsigned offset) {
  return offset >= First_Script_Slot && offset < Script_Table_Bytes && offset % 4 == 0;
}

std::uint32_t To_Word(const void* function) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(function));
}

// The host's own entry of a slot: the world of players answers the slots the plug-in's
// commands call; every other slot is a stub of its own.
const void* Host_Entry(unsigned offset) {
  unsigned count = 0;
  const world::Entry* world_slots = world::Script_Slot_Functions(count);
  for (unsigned i = 0; i < count; ++i) {
    if (world_slots[i].slot_or_index == offset) return world_slots[i].function;
  }
  return SlotStubs::Address(Slot_Index(offset));
}

}  // namespace

ScriptTable::ScriptTable(std::uint32_t size, std::uint32_t version) : pointer_(record_) {
  std::memcpy(record_, &size, 4);
  std::memcpy(record_ + 4, &version, 4);
  for (unsigned offset = First_Script_Slot; offset < Script_Table_Bytes; offset += 4) {
    Set_Slot(offset, Host_Entry(offset));
  }
  SlotStubs::Reset_Calls();
}

std::uint32_t ScriptTable::Field(unsigned offset) const {
  std::uint32_t value = 0;
  if (offset + 4 <= Script_Table_Bytes) std::memcpy(&value, record_ + offset, 4);
  return value;
}

std::uint32_t ScriptTable::Original_Slot(unsigned offset) {
  return Is_Slot(offset) ? To_Word(Host_Entry(offset)) : 0;
}

std::vector<unsigned> ScriptTable::Changed_Slots() const {
  std::vector<unsigned> changed;
  for (unsigned offset = First_Script_Slot; offset < Script_Table_Bytes; offset += 4) {
    if (Slot(offset) != Original_Slot(offset)) changed.push_back(offset);
  }
  return changed;
}

void ScriptTable::Set_Slot(unsigned offset, const void* function) {
  if (!Is_Slot(offset)) return;
  const std::uint32_t word = To_Word(function);
  std::memcpy(record_ + offset, &word, 4);
}

std::uint32_t ScriptTable::Original_Calls(unsigned offset) {
  return Is_Slot(offset) ? SlotStubs::Calls(Slot_Index(offset)) : 0;
}

}  // namespace standin
