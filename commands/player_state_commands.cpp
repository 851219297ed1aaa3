#include "commands/player_state_commands.h"

#include "commands/command_arguments.h"
#include "commands/number_reading.h"
#include "host/game_objects.h"
#include "host/host_addresses.h"
#include "host/host_memory.h"
#include "host/script_commands.h"

namespace commands {

namespace {

constexpr float Kill_Damage = 99999.0f;
constexpr const char* Kill_Damage_Kind = "Death";
constexpr std::int32_t Movement_Off = 0;
constexpr std::int32_t Movement_On = 1;

void Set_Movement(const char* arguments, std::int32_t enabled) {
  Command_Arguments words;
  std::int32_t id = 0;
  if (!words.Parse(arguments) || !words.Has_Words_Through(1) || !words.Id(1, &id)) return;
  host::GameObject* object = host::Get_Player_Object(id);
  if (object == nullptr) return;
  host::Call_Script_Slot(host::script_slot::Set_Movement_Enabled, object, enabled);
}

void Apply_Kill_Damage(void* target) {
  host::Call_Script_Slot(host::script_slot::Apply_Damage, target, Kill_Damage, Kill_Damage_Kind,
                         static_cast<void*>(nullptr));
}

}  // namespace

void ConsoleCommand_freeze::Run(const char* arguments) { Set_Movement(arguments, Movement_Off); }

void ConsoleCommand_unfreeze::Run(const char* arguments) { Set_Movement(arguments, Movement_On); }

void ConsoleCommand_flymode::Run(const char* arguments) {
  Command_Arguments words;
  std::int32_t id = 0;
  if (!words.Parse(arguments) || !words.Has_Words_Through(1) || !words.Id(1, &id)) return;
  host::GameObject* object = host::Get_Player_Object(id);
  if (object == nullptr) {
    host::Console_Print("Error: Player not found.\n");
    return;
  }
  host::Toggle_Flying(object);
  host::Console_Print("Flying mode toggled for player %ls.\n", host::Get_Player_Name(object));
}

// Reads the id from the whole text: no argument list, so "7 more words" is player 7.
void ConsoleCommand_kill::Run(const char* arguments) {
  host::GameObject* object = host::Get_Player_Object(Read_Id(arguments));
  host::VehicleView* vehicle = host::Get_Soldier_Vehicle(object);
  if (vehicle != nullptr) {
    // A driver takes the vehicle down with them; driver or passenger, the player's
    // object is removed rather than damaged.
    if (host::Get_Vehicle_Driver(vehicle) == object) Apply_Kill_Damage(vehicle);
    host::Call_Script_Slot(host::script_slot::Destroy_Object, object);
  } else if (object != nullptr) {
    Apply_Kill_Damage(object);
  }
  host::Console_Print("%ls has been force-killed.\n", host::Get_Player_Name(object));
}

void ConsoleCommand_changecharacter::Run(const char* arguments) {
  Command_Arguments words;
  std::int32_t id = 0;
  if (!words.Parse(arguments) || !words.Has_Words_Through(2) || !words.Id(1, &id)) return;
  host::GameObject* object = host::Get_Player_Object(id);
  Host_Text preset;
  if (!words.Word(2, &preset)) return;
  // Refusals (no player, seated in a vehicle, no such character) are silent.
  host::Change_Character(object, preset.c_str());
}

}  // namespace commands
