// Every fixed host address, record offset and virtual slot the plug-in uses, in one
// place, so a reader can check them against the host's own list. Nothing else in
// the plug-in spells out a host address or offset.
#pragma once

#include <cstdint>

#include "host/calling_convention.h"

namespace host {

// ---------------------------------------------------------------------------
// Builds of the host executable.
// ---------------------------------------------------------------------------

// Which build of the host executable is running. Only these values are ever stored.
enum : std::int32_t {
  Build_0 = 0,
  Build_1 = 1,
  Build_4 = 4,
  Build_Unresolved = 6,
};

// A short routine the host carries in every known build; where it sits tells the build.
constexpr unsigned Build_Signature_Length = 19;
constexpr std::uint8_t Build_Signature[Build_Signature_Length] = {
    0x6A, 0x40, 0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C,
    0xE8, 0xC0, 0xFF, 0xFF, 0xFF, 0x83, 0xC4, 0x0C, 0xC3};

struct Signature_Probe {
  Address address;
  std::int32_t build;
};

// Probed in this order; a later match overrides an earlier one.
constexpr Signature_Probe Signature_Probes[] = {
    {0x78CE49, Build_0},
    {0x78C6E9, Build_1},
    {0x78790C, Build_4},
};

// Host addresses that depend on the build; 0 where the build has no such thing.
struct Build_Addresses {
  // Memory and console bridge: plain (cdecl) functions and one data byte.
  Address host_alloc;        // void* (unsigned bytes)
  Address host_alloc_array;  // void* (unsigned bytes)
  Address host_free;         // void (void*)
  Address host_free_array;   // void (void*)
  Address console_output;    // int (const char* format, ...)
  Address sse_flag;          // one byte, non-zero when the processor has SSE
  // Engine functions.
  Address find_definition_by_name;         // cdecl ObjectDefinition* (const char*, int 1)
  Address find_player;                     // cdecl PlayerRecord* (int id)
  Address reinit_soldier_from_definition;  // thiscall on a soldier view (ObjectDefinition*)
  Address toggle_fly_mode;                 // thiscall on a soldier view ()
};

constexpr Build_Addresses Addresses_Build_0 = {
    0x672B70, 0x672B70, 0x672C80, 0x672C80, 0x428B50, 0x84F702,
    0x526860, 0x4157E0, 0x6C7410, 0x6CFC80};
constexpr Build_Addresses Addresses_Build_1 = {
    0x672410, 0x672410, 0x672520, 0x672520, 0x428CD0, 0x84E8EA,
    0x526100, 0x4157E0, 0x6C6CB0, 0x6CF520};
// Only allocation and release are known for build 4.
constexpr Build_Addresses Addresses_Build_4 = {
    0x7A783D, 0x7A783D, 0x7A7866, 0x7A7866, 0, 0, 0, 0, 0, 0};
constexpr Build_Addresses Addresses_Unresolved = {};

constexpr const Build_Addresses& Addresses_For_Build(std::int32_t build) {
  return build == Build_0   ? Addresses_Build_0
         : build == Build_1 ? Addresses_Build_1
         : build == Build_4 ? Addresses_Build_4
                            : Addresses_Unresolved;
}

// ---------------------------------------------------------------------------
// Console command registration: the same in every build.
// ---------------------------------------------------------------------------

constexpr Address Console_Command_List = 0x81D098;         // the host's list object
constexpr Address Add_Console_Command = 0x428FE0;          // thiscall on the list (ConsoleCommand** element)
constexpr Address Finalize_Console_Commands = 0x428470;    // cdecl ()

// ---------------------------------------------------------------------------
// The script command table: a host record of cdecl function pointers.
// ---------------------------------------------------------------------------

constexpr std::uint32_t Script_Table_Size = 816;
constexpr std::uint32_t Script_Table_Version = 174;

namespace script_slot {  // byte offsets of the slots the plug-in calls
constexpr unsigned Set_Object_Position = 60;   // (GameObject*, const Vector3*)
constexpr unsigned Enable_Collisions = 88;     // (soldier view)
constexpr unsigned Destroy_Object = 92;        // (GameObject*)
constexpr unsigned Is_Valid_Object = 108;      // int (GameObject*)
constexpr unsigned Set_Movement_Enabled = 284; // (GameObject*, int enabled)
constexpr unsigned Apply_Damage = 616;         // (GameObject*, float, const char* kind, void* null)
constexpr unsigned Give_Points = 636;          // (GameObject*, float, int 0)
constexpr unsigned Give_Credits = 644;         // (GameObject*, float, int 0)
}  // namespace script_slot

// ---------------------------------------------------------------------------
// Host objects: virtual slots (thiscall) and data members, the same in every build.
// ---------------------------------------------------------------------------

namespace player_record {
constexpr unsigned Set_Points_Slot = 1;    // void (float)
constexpr unsigned Set_Credits_Slot = 3;   // void (float)
constexpr unsigned Object_Holder = 20;     // pointer to the holder of the player's object
}  // namespace player_record

namespace object_holder {
constexpr unsigned Game_Object = 4;  // GameObject*
}

namespace game_object {
constexpr unsigned As_Vehicle_Slot = 10;     // vehicle view or null
constexpr unsigned Finish_Reinit_Slot = 13;  // after the soldier view was rebuilt
constexpr unsigned As_Soldier_Slot = 17;     // soldier view or null
}  // namespace game_object

namespace soldier_view {
constexpr unsigned Player_Data = 2400;  // PlayerData* or null
constexpr unsigned Vehicle = 2444;      // GameObject* of the occupied vehicle or null
}  // namespace soldier_view

namespace vehicle_view {
constexpr unsigned Occupants = 2480;       // GameObject** ; element 0 is the driver
constexpr unsigned Occupant_Count = 2484;  // signed 32-bit
}  // namespace vehicle_view

namespace player_data {
constexpr unsigned Name = 1880;  // const char16_t* (NUL-terminated 16-bit text)
}

namespace object_definition {
constexpr unsigned Get_Class_Id_Slot = 8;  // unsigned ()
constexpr std::uint32_t Character_Class_Id = 0x3001;
}  // namespace object_definition

// ---------------------------------------------------------------------------
// Records the loader hands to the exports: byte offsets of the members we fill.
// ---------------------------------------------------------------------------

namespace version_report {
constexpr unsigned Framework_Version = 64;  // HostString
constexpr unsigned Flag = 92;               // one byte
}  // namespace version_report

namespace plugin_info {
constexpr unsigned Name = 4;      // HostString
constexpr unsigned Version = 36;  // HostString
}  // namespace plugin_info

}  // namespace host
