#include "standin/world/world_functions.h"

#include <cstdio>
#include <string>

#include "standin/msvc_host/host_abi.h"
#include "standin/platform/host_entry.h"
#include "standin/world/float_bits.h"
#include "standin/world/world.h"
#include "standin/world/world_layout.h"

namespace standin::world {

namespace {

// Floats go into the log with their exact bits, so a test sees what the host received.
std::string Float_Text(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return std::string(text) + " [" + Float_Bits(value) + "]";
}

// A float argument as the host's functions take it here: by its bits. The host's
// threads call in any floating-point state, and a compiler loads a float parameter
// onto the x87 stack where it likes, before the stand-in's own state is in place;
// under an unmasked denormal trap a denormal amount would fault right there. The bits
// become a float only inside the stand-in's state. The argument's place on the stack
// is a float's either way.
using FloatArgument = std::uint32_t;
float As_Float(FloatArgument bits) { return __builtin_bit_cast(float, bits); }

// The call's text is only built when the world keeps a log.
template <typename Text>
void Log(Text text) {
  World* world = Active_World();
  if (world != nullptr && world->Logging()) world->Calls().push_back(text());
}

std::string Describe(const void* handle) {
  World* world = Active_World();
  return world != nullptr ? world->Describe(handle) : "?";
}

Player* Soldier_Player(const void* object) {
  World* world = Active_World();
  return world != nullptr ? world->Player_Of_Object(object) : nullptr;
}

Vehicle* Vehicle_At(const void* object) {
  World* world = Active_World();
  return world != nullptr ? world->Vehicle_Of_Object(object) : nullptr;
}

// --- engine functions -------------------------------------------------------------

STANDIN_HOST_ENTRY void* HOST_CDECL Find_Player(std::int32_t id) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Find_Player(" + std::to_string(id) + ")"; });
  World* world = Active_World();
  Player* player = world != nullptr ? world->Find_Player(id) : nullptr;
  return player != nullptr ? static_cast<void*>(player->record.get()) : nullptr;
}

STANDIN_HOST_ENTRY void* HOST_CDECL Find_Definition_By_Name(const char* name, std::int32_t flag) {
  const standin::StandinFpuScope own_fpu;
  Log([&] {
    return "Find_Definition_By_Name(\"" + std::string(name != nullptr ? name : "(null)") + "\", " +
           std::to_string(flag) + ")";
  });
  World* world = Active_World();
  Preset* preset = world != nullptr && name != nullptr ? world->Find_Preset(name) : nullptr;
  return preset != nullptr ? static_cast<void*>(preset->definition.get()) : nullptr;
}

// --- script-table slots -----------------------------------------------------------

STANDIN_HOST_ENTRY void HOST_CDECL Set_Object_Position(void* object, const float* position) {
  const standin::StandinFpuScope own_fpu;
  Log([&] {
    return "Set_Object_Position(" + Describe(object) + ", " + Float_Text(position[0]) + ", " +
           Float_Text(position[1]) + ", " + Float_Text(position[2]) + ")";
  });
  Position to{position[0], position[1], position[2]};
  if (Player* player = Soldier_Player(object)) player->position = to;
  if (Vehicle* vehicle = Vehicle_At(object)) vehicle->position = to;
}

STANDIN_HOST_ENTRY void HOST_CDECL Enable_Collisions(void* soldier) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Enable_Collisions(" + Describe(soldier) + ")"; });
}

STANDIN_HOST_ENTRY void HOST_CDECL Destroy_Object(void* object) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Destroy_Object(" + Describe(object) + ")"; });
  if (Player* player = Soldier_Player(object)) player->removal_pending = true;
  if (Vehicle* vehicle = Vehicle_At(object)) vehicle->removal_pending = true;
}

bool dirty_booleans = false;
std::uint32_t dirty_calls = 0;

// The host's answer is a C++ bool: its compiler defines only AL. With dirty booleans
// the rest of EAX holds what such code often leaves there, never zero.
std::uint32_t As_Host_Bool(bool value) {
  const std::uint32_t garbage = dirty_booleans ? (0xFFFFFF00u ^ (++dirty_calls << 8)) | 0x100u : 0;
  return garbage | (value ? 1u : 0u);
}

STANDIN_HOST_ENTRY std::uint32_t HOST_CDECL Is_Valid_Object(void* object) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Is_Valid_Object(" + Describe(object) + ")"; });
  if (Player* player = Soldier_Player(object)) return As_Host_Bool(player->life != Life::Removed);
  if (Vehicle* vehicle = Vehicle_At(object)) return As_Host_Bool(vehicle->life != Life::Removed);
  return As_Host_Bool(false);
}

STANDIN_HOST_ENTRY void HOST_CDECL Set_Movement_Enabled(void* object, std::int32_t enabled) {
  const standin::StandinFpuScope own_fpu;
  Log([&] {
    return "Set_Movement_Enabled(" + Describe(object) + ", " + std::to_string(enabled) + ")";
  });
  if (Player* player = Soldier_Player(object)) player->frozen = enabled == 0;
}

// Anything hit for at least its full health dies; the world's objects all have 100.
STANDIN_HOST_ENTRY void HOST_CDECL Apply_Damage(void* object, FloatArgument amount_bits,
                                                const char* kind, void* damager) {
  const standin::StandinFpuScope own_fpu;
  const float amount = As_Float(amount_bits);
  Log([&] {
    return "Apply_Damage(" + Describe(object) + ", " + Float_Text(amount) + ", \"" +
           std::string(kind != nullptr ? kind : "(null)") + "\", " +
           (damager == nullptr ? "null" : "non-null") + ")";
  });
  // A removed object takes no more damage: it stays removed.
  const bool lethal = amount >= 100.0f;
  if (Player* player = Soldier_Player(object);
      player != nullptr && lethal && player->life == Life::Alive) {
    player->life = Life::Killed;
  }
  if (Vehicle* vehicle = Vehicle_At(object);
      vehicle != nullptr && lethal && vehicle->life == Life::Alive) {
    vehicle->life = Life::Killed;
  }
}

// Give_Points and Give_Credits: add to one of the player's scores.
void Give(const char* function, void* object, float amount, std::int32_t flag,
          float Player::*score) {
  Log([&] {
    return std::string(function) + "(" + Describe(object) + ", " + Float_Text(amount) + ", " +
           std::to_string(flag) + ")";
  });
  if (Player* player = Soldier_Player(object)) player->*score += amount;
}

STANDIN_HOST_ENTRY void HOST_CDECL Give_Points(void* object, FloatArgument amount,
                                               std::int32_t flag) {
  const standin::StandinFpuScope own_fpu;
  Give("Give_Points", object, As_Float(amount), flag, &Player::points);
}

STANDIN_HOST_ENTRY void HOST_CDECL Give_Credits(void* object, FloatArgument amount,
                                                std::int32_t flag) {
  const standin::StandinFpuScope own_fpu;
  Give("Give_Credits", object, As_Float(amount), flag, &Player::credits);
}

// The record's Set_Points and Set_Credits: replace one of the player's scores.
void Set_Score(const char* function, void* record, float value, float Player::*score) {
  World* world = Active_World();
  Player* player = world != nullptr ? world->Player_Of_Record(record) : nullptr;
  Log([&] {
    return std::string(function) + "(record " + std::to_string(player ? player->id : -1) + ", " +
           Float_Text(value) + ")";
  });
  if (player != nullptr) player->*score = value;
}

}  // namespace

// --- what the host's member functions do -------------------------------------------
// The members themselves are host code (standin/msvc_host), compiled for the host's
// ABI; they forward here as plain functions.

extern "C" {

STANDIN_HOST_ENTRY void Standin_Soldier_Reinit(void* soldier, void* definition) {
  const standin::StandinFpuScope own_fpu;
  Log([&] {
    return "Reinit_Soldier_From_Definition(" + Describe(soldier) + ", " + Describe(definition) +
           ")";
  });
  World* world = Active_World();
  Player* player = Soldier_Player(soldier);
  Preset* preset = world != nullptr ? world->Preset_Of_Definition(definition) : nullptr;
  if (player != nullptr && preset != nullptr) player->preset = preset->name;
}

STANDIN_HOST_ENTRY void Standin_Soldier_Toggle_Fly_Mode(void* soldier) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Toggle_Fly_Mode(" + Describe(soldier) + ")"; });
  if (Player* player = Soldier_Player(soldier)) player->flying = !player->flying;
}

STANDIN_HOST_ENTRY void Standin_Record_Set_Points(void* record, std::uint32_t value_bits) {
  const standin::StandinFpuScope own_fpu;
  Set_Score("Set_Points", record, As_Float(value_bits), &Player::points);
}

STANDIN_HOST_ENTRY void Standin_Record_Set_Credits(void* record, std::uint32_t value_bits) {
  const standin::StandinFpuScope own_fpu;
  Set_Score("Set_Credits", record, As_Float(value_bits), &Player::credits);
}

STANDIN_HOST_ENTRY void* Standin_Object_As_Vehicle(void* object) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "As_Vehicle(" + Describe(object) + ")"; });
  return Vehicle_At(object) != nullptr ? object : nullptr;
}

STANDIN_HOST_ENTRY void* Standin_Object_As_Soldier(void* object) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "As_Soldier(" + Describe(object) + ")"; });
  Player* player = Soldier_Player(object);
  return player != nullptr && !player->quirks.not_a_soldier ? object : nullptr;
}

STANDIN_HOST_ENTRY void Standin_Object_Finish_Reinit(void* object) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Finish_Reinit(" + Describe(object) + ")"; });
}

STANDIN_HOST_ENTRY std::uint32_t Standin_Definition_Get_Class_Id(void* definition) {
  const standin::StandinFpuScope own_fpu;
  Log([&] { return "Get_Class_Id(" + Describe(definition) + ")"; });
  World* world = Active_World();
  Preset* preset = world != nullptr ? world->Preset_Of_Definition(definition) : nullptr;
  return preset != nullptr ? preset->class_id : 0;
}

// Every operation slot nobody documented: calling one is a fault of the caller.
STANDIN_HOST_ENTRY void Standin_Undocumented_Operation(const void* object, std::uint32_t slot) {
  const standin::StandinFpuScope own_fpu;
  if (World* world = Active_World()) {
    world->Errors().push_back("undocumented operation slot " + std::to_string(slot) + " on " +
                              world->Describe(object));
  }
}

}  // extern "C"

void Set_Dirty_Booleans(bool on) {
  dirty_booleans = on;
  dirty_calls = 0;
}

const Entry* Script_Slot_Functions(unsigned& count) {
  static const Entry entries[] = {
      {layout::Slot_Set_Object_Position, reinterpret_cast<const void*>(&Set_Object_Position)},
      {layout::Slot_Destroy_Object, reinterpret_cast<const void*>(&Destroy_Object)},
      {layout::Slot_Is_Valid_Object, reinterpret_cast<const void*>(&Is_Valid_Object)},
      {layout::Slot_Set_Movement_Enabled, reinterpret_cast<const void*>(&Set_Movement_Enabled)},
      {layout::Slot_Apply_Damage, reinterpret_cast<const void*>(&Apply_Damage)},
      {layout::Slot_Give_Points, reinterpret_cast<const void*>(&Give_Points)},
      {layout::Slot_Give_Credits, reinterpret_cast<const void*>(&Give_Credits)},
  };
  count = sizeof entries / sizeof entries[0];
  return entries;
}

const void* Enable_Collisions_Function() {
  return reinterpret_cast<const void*>(&Enable_Collisions);
}
const void* Find_Player_Function() { return reinterpret_cast<const void*>(&Find_Player); }
const void* Find_Definition_By_Name_Function() {
  return reinterpret_cast<const void*>(&Find_Definition_By_Name);
}
const void* Reinit_Soldier_Function() { return Host_Soldier_Reinit_Code(); }
const void* Toggle_Fly_Mode_Function() { return Host_Soldier_Toggle_Fly_Mode_Code(); }

const void* const* Record_Operations() { return Host_Player_Record_Operations(); }
const void* const* Object_Operations() { return Host_Game_Object_Operations(); }
const void* const* Definition_Operations() { return Host_Definition_Operations(); }
const void* const* Plain_Operations() { return Host_Plain_Object_Operations(); }

}  // namespace standin::world
