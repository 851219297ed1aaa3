// The host as the plug-in knows it: every fixed address, script-table slot, virtual
// slot and record member it uses, one row each with the entry's prototype on the same
// line, so a reader can check them against the host's own list. The rows that differ
// between builds, and the signature that tells the builds apart, are in host_builds.h.
// Only three other files spell out host offsets: extension_names.h (the 115 extension
// functions and the 33 table slots they replace), plugin/loader_records.h (the members
// of the records the loader hands to the exports) and plugin/host_string.h (the host's
// string record, a struct whose layout is checked at compile time).
#pragma once

#include <cstdint>

#include "host/calling_convention.h"
#include "host/host_builds.h"
#include "host/host_float.h"
#include "math/vectors.h"

namespace host {

// Host objects, opaque to the plug-in: reached only through the rows below.
struct PlayerRecord;
struct ObjectHolder;
struct GameObject;
struct SoldierView;
struct VehicleView;
struct PlayerData;
struct ObjectDefinition;
struct ConsoleCommandList;
struct VersionReport;
struct PluginInfo;
struct ScriptCommandTable;

#define QUILLON_ENTRY_FIELD(name, build_0, build_1, build_4, ...) __VA_ARGS__ name;
#define QUILLON_ENTRY_BUILD_0(name, build_0, build_1, build_4, ...) build_0,
#define QUILLON_ENTRY_BUILD_1(name, build_0, build_1, build_4, ...) build_1,
#define QUILLON_ENTRY_BUILD_4(name, build_0, build_1, build_4, ...) build_4,

struct BridgeEntries {
  QUILLON_BRIDGE_ENTRIES(QUILLON_ENTRY_FIELD)
};

struct EngineEntries {
  QUILLON_ENGINE_ENTRIES(QUILLON_ENTRY_FIELD)
};

// A build's column of a list of entries; every build without a column gets nulls.
#define QUILLON_COLUMN_FOR(Type, Function, LIST)                  \
  constexpr Type Function(std::int32_t build) {                   \
    return build == Build_0   ? Type{LIST(QUILLON_ENTRY_BUILD_0)} \
           : build == Build_1 ? Type{LIST(QUILLON_ENTRY_BUILD_1)} \
           : build == Build_4 ? Type{LIST(QUILLON_ENTRY_BUILD_4)} \
                              : Type{};                           \
  }
QUILLON_COLUMN_FOR(BridgeEntries, Bridge_Entries_For, QUILLON_BRIDGE_ENTRIES)
QUILLON_COLUMN_FOR(EngineEntries, Engine_Entries_For, QUILLON_ENGINE_ENTRIES)

#undef QUILLON_COLUMN_FOR
#undef QUILLON_ENTRY_FIELD
#undef QUILLON_ENTRY_BUILD_0
#undef QUILLON_ENTRY_BUILD_1
#undef QUILLON_ENTRY_BUILD_4

// ---------------------------------------------------------------------------
// Console command registration: the same in every build.
// ---------------------------------------------------------------------------

constexpr Address Console_Command_List = 0x81D098;  // the host's list object
// Appends the command whose pointer the element holds (the element goes by reference).
constexpr Thiscall<void(ConsoleCommandList*, void* const* element)> Add_Console_Command{0x428FE0};
constexpr Cdecl<void()> Finalize_Console_Commands{0x428470};

// ---------------------------------------------------------------------------
// The script command table: a host record of cdecl function pointers, slots by byte
// offset. Its binding may leave a slot null; a call through it then calls nothing.
// ---------------------------------------------------------------------------

constexpr std::uint32_t Script_Table_Size = 816;
constexpr std::uint32_t Script_Table_Version = 174;

// The slot at a byte offset of the bound table, 0 without a table (script_commands.cpp).
Address Script_Slot_Address(unsigned offset);

template <typename Signature>
struct ScriptSlot;

template <typename Result, typename... Args>
struct ScriptSlot<Result(Args...)> {
  unsigned offset;
  HostResult<Result> operator()(Args... args) const {
    return Cdecl<Result(Args...)>(Script_Slot_Address(offset))(args...);
  }
};

// A yes/no answer of the host is a C++ bool of its compiler: only AL is defined.
using HostBool = std::uint8_t;

namespace script_slot {
constexpr ScriptSlot<void(GameObject*, const math::Vector3* position)> Set_Object_Position{60};
constexpr ScriptSlot<void(SoldierView*)> Enable_Collisions{88};
constexpr ScriptSlot<void(GameObject*)> Destroy_Object{92};
constexpr ScriptSlot<HostBool(const void* object)> Is_Valid_Object{108};
constexpr ScriptSlot<void(GameObject*, std::int32_t enabled)> Set_Movement_Enabled{284};
constexpr ScriptSlot<void(void* object, HostFloat amount, const char* kind, void* null)>
    Apply_Damage{616};
constexpr ScriptSlot<void(GameObject*, HostFloat amount, std::int32_t zero)> Give_Points{636};
constexpr ScriptSlot<void(GameObject*, HostFloat amount, std::int32_t zero)> Give_Credits{644};
}  // namespace script_slot

// ---------------------------------------------------------------------------
// Host objects: virtual slots and data members, the same in every build.
// ---------------------------------------------------------------------------

namespace player_record {
using Set_Points = Virtual<PlayerRecord, 1, void(HostFloat points)>;
using Set_Credits = Virtual<PlayerRecord, 3, void(HostFloat credits)>;
constexpr Member<PlayerRecord, ObjectHolder*> Holder{20};
}  // namespace player_record

namespace object_holder {
constexpr Member<ObjectHolder, GameObject*> Object{4};
}

namespace game_object {
using As_Vehicle = Virtual<GameObject, 10, VehicleView*()>;
using Finish_Reinit = Virtual<GameObject, 13, void()>;
using As_Soldier = Virtual<GameObject, 17, SoldierView*()>;
}  // namespace game_object

namespace soldier_view {
constexpr Member<SoldierView, PlayerData*> Player_Data{2400};
constexpr Member<SoldierView, GameObject*> Vehicle{2444};
}  // namespace soldier_view

namespace vehicle_view {
constexpr Member<VehicleView, GameObject* const*> Occupants{2480};  // element 0: the driver
constexpr Member<VehicleView, std::int32_t> Occupant_Count{2484};
}  // namespace vehicle_view

namespace player_data {
constexpr Member<PlayerData, const char16_t*> Name{1880};  // NUL-terminated 16-bit text
}

namespace object_definition {
using Get_Class_Id = Virtual<ObjectDefinition, 8, std::uint32_t()>;
constexpr std::uint32_t Character_Class_Id = 0x3001;
}  // namespace object_definition

}  // namespace host
