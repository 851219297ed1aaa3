#include "host/game_objects.h"

#include "host/engine_addresses.h"
#include "host/host_addresses.h"
#include "host/script_commands.h"

namespace host {

const char16_t No_Player_Name[] = u"None";

namespace {

template <typename View>
View* Member_Pointer(const void* object, unsigned offset) {
  return reinterpret_cast<View*>(Read_Member<std::uintptr_t>(object, offset));
}

SoldierView* As_Soldier(GameObject* usable) {
  return Call_Virtual<SoldierView*>(usable, game_object::As_Soldier_Slot);
}

}  // namespace

bool Is_Usable(const void* handle) {
  if (handle == nullptr) return false;
  const Address slot = Script_Slot(script_slot::Is_Valid_Object);
  if (slot == 0) return false;
  // The host answers with a C++ bool: only AL is defined, and its compiler often leaves
  // the rest of EAX holding whatever was there. A host that answers 0 or 1 as an
  // integer reads the same way.
  return (Call_Cdecl<std::uint32_t>(slot, handle) & 0xFFu) != 0;
}

PlayerRecord* Find_Player_Record(std::int32_t id) {
  if (Engine_Addresses.Find_Player == 0) return nullptr;
  return Call_Cdecl<PlayerRecord*>(Engine_Addresses.Find_Player, id);
}

GameObject* Get_Player_Object(std::int32_t id) {
  PlayerRecord* record = Find_Player_Record(id);
  if (record == nullptr) return nullptr;
  const void* holder = Member_Pointer<const void>(record, player_record::Object_Holder);
  if (holder == nullptr) return nullptr;
  return Member_Pointer<GameObject>(holder, object_holder::Game_Object);
}

SoldierView* Get_Soldier(GameObject* handle) {
  return Is_Usable(handle) ? As_Soldier(handle) : nullptr;
}

VehicleView* Get_Vehicle(GameObject* handle) {
  if (!Is_Usable(handle)) return nullptr;
  return Call_Virtual<VehicleView*>(handle, game_object::As_Vehicle_Slot);
}

const char16_t* Get_Player_Name(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return No_Player_Name;
  const void* player = Member_Pointer<const void>(soldier, soldier_view::Player_Data);
  if (player == nullptr) return No_Player_Name;
  // A player whose name is not set yet is nameless, not a null to print through.
  const char16_t* name = Member_Pointer<const char16_t>(player, player_data::Name);
  return name != nullptr ? name : No_Player_Name;
}

VehicleView* Get_Soldier_Vehicle(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return nullptr;
  GameObject* vehicle = Member_Pointer<GameObject>(soldier, soldier_view::Vehicle);
  if (vehicle == nullptr) return nullptr;
  return Get_Vehicle(vehicle);
}

GameObject* Get_Vehicle_Driver(VehicleView* vehicle) {
  // The vehicle view is itself a host object: tested and asked like one.
  GameObject* as_object = reinterpret_cast<GameObject*>(vehicle);
  if (Get_Vehicle(as_object) == nullptr) return nullptr;
  if (Read_Member<std::int32_t>(vehicle, vehicle_view::Occupant_Count) <= 0) return nullptr;
  const void* occupants = Member_Pointer<const void>(vehicle, vehicle_view::Occupants);
  // A positive count over a missing array means no occupant can be read.
  if (occupants == nullptr) return nullptr;
  return Member_Pointer<GameObject>(occupants, 0);
}

void Reinit_Soldier(SoldierView* soldier, ObjectDefinition* definition) {
  if (!Is_Usable(soldier) || Engine_Addresses.Reinit_Soldier_From_Definition == 0) return;
  Call_Thiscall<void>(Engine_Addresses.Reinit_Soldier_From_Definition, soldier, definition);
}

bool Change_Character(GameObject* handle, const char* preset_name) {
  if (!Is_Usable(handle)) return false;
  if (Get_Soldier_Vehicle(handle) != nullptr) return false;
  if (Engine_Addresses.Find_Definition_By_Name == 0) return false;
  auto* definition =
      Call_Cdecl<ObjectDefinition*>(Engine_Addresses.Find_Definition_By_Name, preset_name, 1);
  if (definition == nullptr) return false;
  const auto class_id =
      Call_Virtual<std::uint32_t>(definition, object_definition::Get_Class_Id_Slot);
  if (class_id != object_definition::Character_Class_Id) return false;
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return false;
  Reinit_Soldier(soldier, definition);
  Call_Virtual<void>(handle, game_object::Finish_Reinit_Slot);
  return true;
}

void Toggle_Flying(GameObject* handle) {
  SoldierView* soldier = Get_Soldier(handle);
  if (soldier == nullptr) return;
  if (Engine_Addresses.Toggle_Fly_Mode != 0) {
    Call_Thiscall<void>(Engine_Addresses.Toggle_Fly_Mode, soldier);
  }
  // Skipped when the extension library had no New_Enable_Collisions for this slot.
  Call_Script_Slot(script_slot::Enable_Collisions, soldier);
}

}  // namespace host
