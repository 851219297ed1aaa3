#include "world_host.h"

#include <cstring>

#include "fake_host.h"
#include "host/host_variant.h"
#include "host/script_commands.h"
#include "standin/world/world_functions.h"

namespace world_host {

namespace {

host::Address Address_Of(const void* function) {
  return static_cast<host::Address>(reinterpret_cast<std::uintptr_t>(function));
}

void Put_Slot(std::uint8_t* table, unsigned offset, const void* function) {
  const host::Address value = Address_Of(function);
  std::memcpy(table + offset, &value, sizeof value);
}

}  // namespace

Bound_World::Bound_World(std::unique_ptr<standin::world::World> world, bool with_engine)
    : world_(std::move(world)) {
  fake_host::Bind();
  standin::world::Set_Active_World(world_.get());
  const std::uint32_t size = 816, version = 174;
  std::memcpy(table_, &size, 4);
  std::memcpy(table_ + 4, &version, 4);
  unsigned count = 0;
  const standin::world::Entry* slots = standin::world::Script_Slot_Functions(count);
  for (unsigned i = 0; i < count; ++i) Put_Slot(table_, slots[i].slot_or_index, slots[i].function);
  Put_Slot(table_, 88, standin::world::Enable_Collisions_Function());
  host::Script_Commands = reinterpret_cast<host::ScriptCommandTable*>(table_);
  if (!with_engine) {
    host::HostVariant = 4;
    host::Engine_Addresses.Console_Output = 0;
    return;
  }
  host::Engine_Addresses.Find_Player = Address_Of(standin::world::Find_Player_Function());
  host::Engine_Addresses.Find_Definition_By_Name =
      Address_Of(standin::world::Find_Definition_By_Name_Function());
  host::Engine_Addresses.Reinit_Soldier_From_Definition =
      Address_Of(standin::world::Reinit_Soldier_Function());
  host::Engine_Addresses.Toggle_Fly_Mode = Address_Of(standin::world::Toggle_Fly_Mode_Function());
}

Bound_World::~Bound_World() {
  standin::world::Set_Active_World(nullptr);
  fake_host::Unbind();
}

std::vector<std::string> Bound_World::Take_Calls() {
  std::vector<std::string> calls;
  calls.swap(world_->Calls());
  return calls;
}

std::vector<std::string> Bound_World::Take_Actions() {
  return standin::world::Actions_Of(Take_Calls());
}

void Bound_World::Clear_Slot(unsigned offset) { Put_Slot(table_, offset, nullptr); }

}  // namespace world_host
