// Where the host keeps what the plug-in reads of its players and objects: operation
// slots (thiscall) and byte offsets, the same in every build. The stand-in's own list,
// kept apart from the plug-in's so the tests cross-check the two.
#pragma once

#include <cstdint>

namespace standin::world::layout {

// Player record.
constexpr unsigned Record_Set_Points = 1;   // thiscall (float)
constexpr unsigned Record_Set_Credits = 3;  // thiscall (float)
constexpr unsigned Record_Operations = 4;
constexpr unsigned Record_Holder = 20;

// The holder of a player's object.
constexpr unsigned Holder_Object = 4;

// Game objects (soldiers and vehicles alike).
constexpr unsigned Object_As_Vehicle = 10;
constexpr unsigned Object_Finish_Reinit = 13;
constexpr unsigned Object_As_Soldier = 17;
constexpr unsigned Object_Operations = 18;

constexpr unsigned Soldier_Player_Data = 2400;
constexpr unsigned Soldier_Vehicle = 2444;
constexpr unsigned Vehicle_Occupants = 2480;
constexpr unsigned Vehicle_Occupant_Count = 2484;
constexpr unsigned Player_Data_Name = 1880;

// Object definitions (presets).
constexpr unsigned Definition_Get_Class_Id = 8;
constexpr unsigned Definition_Operations = 9;
constexpr std::uint32_t Character_Class = 0x3001;
constexpr std::uint32_t Vehicle_Class = 0x3010;

// Script command table slots the world answers (byte offsets, cdecl).
constexpr unsigned Slot_Set_Object_Position = 60;
constexpr unsigned Slot_Enable_Collisions = 88;
constexpr unsigned Slot_Destroy_Object = 92;
constexpr unsigned Slot_Is_Valid_Object = 108;
constexpr unsigned Slot_Set_Movement_Enabled = 284;
constexpr unsigned Slot_Apply_Damage = 616;
constexpr unsigned Slot_Give_Points = 636;
constexpr unsigned Slot_Give_Credits = 644;

}  // namespace standin::world::layout
