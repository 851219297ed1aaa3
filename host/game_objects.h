// How the commands reach players: from a player id to the player's record and game
// object, and from an object to its soldier or vehicle view, its name and its driver.
// Every handle is tested before its table or data is touched; every failure ends in a
// neutral result (null, false, nothing done, or the name "None").
#pragma once

#include <cstdint>

#include "host/host_table.h"

namespace host {

// Non-null and accepted by the table's Is_Valid_Object (which also takes views).
bool Is_Usable(const void* handle);

// The player's record, or null when there is none (or the build has no Find_Player).
PlayerRecord* Find_Player_Record(std::int32_t id);

GameObject* Get_Player_Object(std::int32_t id);
const char16_t* Get_Player_Name(GameObject* handle);
SoldierView* Get_Soldier(GameObject* handle);
VehicleView* Get_Vehicle(GameObject* handle);
VehicleView* Get_Soldier_Vehicle(GameObject* handle);
GameObject* Get_Vehicle_Driver(VehicleView* vehicle);

// Rebuilds the player's soldier as the named character preset. Refused (false) for a
// soldier in a vehicle, an unknown preset and a preset that is no character.
bool Change_Character(GameObject* handle, const char* preset_name);
void Reinit_Soldier(SoldierView* soldier, ObjectDefinition* definition);

// Asks the host to flip the soldier's flying, then turns its collisions back on.
void Toggle_Flying(GameObject* handle);

// The fallback name, a constant of the plug-in.
extern const char16_t No_Player_Name[];

}  // namespace host
