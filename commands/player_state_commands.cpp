// Commands that change the state of one player's object: movement, flying, death and
// character.
#include "commands/console_commands.h"
#include "host/game_objects.h"
#include "host/host_memory.h"
#include "host/host_table.h"

namespace commands {

namespace {

constexpr host::HostFloat Kill_Damage = host::Host_Float(99999.0f);
constexpr const char* Kill_Damage_Kind = "Death";
constexpr std::int32_t Movement_Off = 0;
constexpr std::int32_t Movement_On = 1;

void Set_Movement(std::int32_t id, std::int32_t enabled) {
  host::GameObject* object = host::Get_Player_Object(id);
  if (object == nullptr) return;
  static_cast<void>(host::script_slot::Set_Movement_Enabled(object, enabled));
}

void Apply_Kill_Damage(void* target) {
  static_cast<void>(
      host::script_slot::Apply_Damage(target, Kill_Damage, Kill_Damage_Kind, nullptr));
}

}  // namespace

void Run_Freeze(const CommandWords& words) { Set_Movement(words.id, Movement_Off); }

void Run_Unfreeze(const CommandWords& words) { Set_Movement(words.id, Movement_On); }

void Run_Flymode(const CommandWords& words) {
  host::GameObject* object = host::Get_Player_Object(words.id);
  if (object == nullptr) {
    host::Console_Print("Error: Player not found.\n");
    return;
  }
  host::Toggle_Flying(object);
  host::Console_Print("Flying mode toggled for player %ls.\n", host::Get_Player_Name(object));
}

// The id comes from the whole text: "7 more words" is player 7.
void Run_Killplayer(const CommandWords& words) {
  host::GameObject* object = host::Get_Player_Object(words.whole_text_id);
  host::VehicleView* vehicle = host::Get_Soldier_Vehicle(object);
  if (vehicle != nullptr) {
    // A driver takes the vehicle down with them; driver or passenger, the player's
    // object is removed rather than damaged.
    if (host::Get_Vehicle_Driver(vehicle) == object) Apply_Kill_Damage(vehicle);
    static_cast<void>(host::script_slot::Destroy_Object(object));
  } else if (object != nullptr) {
    Apply_Kill_Damage(object);
  }
  host::Console_Print("%ls has been force-killed.\n", host::Get_Player_Name(object));
}

// Refusals (no player, seated in a vehicle, no such character) are silent.
void Run_Changecharacter(const CommandWords& words) {
  host::Change_Character(host::Get_Player_Object(words.id), words.word.c_str());
}

}  // namespace commands
