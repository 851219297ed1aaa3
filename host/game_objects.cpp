#include "host/game_objects.h"

#include "host/host_table.h"
#include "host/host_variant.h"
#include "host/script_commands.h"

namespace host {

const char16_t No_Player_Name[] = u"None";

namespace {

SoldierView* As_Soldier(GameObject* usable) { return game_object::As_Soldier::Call(usable); }

// A vehicle view is itself a host object: tested and asked like one.
GameObject* As_Object(VehicleView* vehicle) { return reinterpret_cast<GameObject*>(vehicle); }

}  // namespace

bool Is_Usable(const void* handle) {
  if (handle == nullptr) return false;
  // A missing slot answers no: nothing is usable without the host's word for it.
  return script_slot::Is_Valid_Object(handle).Or(0) != 0;
}

PlayerRecord* Find_Player_Record(std::int32_t id) {
  return Engine_Addresses.Find_Player(id).Or(nullptr);
}

GameObject* Get_Player_Object(std::int32_t id) {
  PlayerRecord* record = Find_Player_Record(id);
  if (record == nullptr) return nullptr;
  ObjectHolder* holder = player_record::Holder.Read(record);
  if (holder == nullptr) return nullptr;
  return object_holder::Object.Read(holder);
}

SoldierView* Get_Soldier(GameObject* handle) {
  return Is_Usable(handle) ? As_Soldier(handle) : nullptr;
}

VehicleView* Get_Vehicle(GameObject* handle) {
  return Is_Usable(handle) ? game_object::As_Vehicle::Call(handle) : nullptr;
}

const char16_t* Get_Player_Name(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return No_Player_Name;
  PlayerData* player = soldier_view::Player_Data.Read(soldier);
  if (player == nullptr) return No_Player_Name;
  // A player whose name is not set yet is nameless, not a null to print through.
  const char16_t* name = player_data::Name.Read(player);
  return name != nullptr ? name : No_Player_Name;
}

VehicleView* Get_Soldier_Vehicle(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return nullptr;
  GameObject* vehicle = soldier_view::Vehicle.Read(soldier);
  if (vehicle == nullptr) return nullptr;
  return Get_Vehicle(vehicle);
}

GameObject* Get_Vehicle_Driver(VehicleView* vehicle) {
  if (Get_Vehicle(As_Object(vehicle)) == nullptr) return nullptr;
  if (vehicle_view::Occupant_Count.Read(vehicle) <= 0) return nullptr;
  GameObject* const* occupants = vehicle_view::Occupants.Read(vehicle);
  // A positive count over a missing array means no occupant can be read.
  if (occupants == nullptr) return nullptr;
  return occupants[0];
}

void Reinit_Soldier(SoldierView* soldier, ObjectDefinition* definition) {
  if (!Is_Usable(soldier)) return;
  static_cast<void>(Engine_Addresses.Reinit_Soldier_From_Definition(soldier, definition));
}

bool Change_Character(GameObject* handle, const char* preset_name) {
  if (!Is_Usable(handle)) return false;
  if (Get_Soldier_Vehicle(handle) != nullptr) return false;
  ObjectDefinition* definition =
      Engine_Addresses.Find_Definition_By_Name(preset_name, 1).Or(nullptr);
  if (definition == nullptr) return false;
  if (object_definition::Get_Class_Id::Call(definition) != object_definition::Character_Class_Id) {
    return false;
  }
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return false;
  Reinit_Soldier(soldier, definition);
  game_object::Finish_Reinit::Call(handle);
  return true;
}

void Toggle_Flying(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return;
  static_cast<void>(Engine_Addresses.Toggle_Fly_Mode(soldier));
  // Skipped when the extension library had no New_Enable_Collisions for this slot.
  static_cast<void>(script_slot::Enable_Collisions(soldier));
}

}  // namespace host
