#include "commands/score_commands.h"

#include "commands/command_arguments.h"
#include "host/calling_convention.h"
#include "host/game_objects.h"
#include "host/host_addresses.h"
#include "host/host_memory.h"
#include "host/script_commands.h"
#include "math/vectors.h"

namespace commands {

namespace {

// The host's third argument to Give_Points and Give_Credits; its meaning is the host's.
constexpr std::int32_t Give_Flags = 0;

// givepoints and refund: add to the player's score through a table slot, then confirm.
// The line is printed with the name "None" when no player has the id.
void Give(const char* arguments, unsigned slot, const char* confirmation) {
  Command_Arguments words;
  std::int32_t id = 0;
  float amount = 0;
  if (!words.Parse(arguments) || !words.Has_Words_Through(2) || !words.Id(1, &id) ||
      !words.Amount(2, &amount)) {
    return;
  }
  host::GameObject* object = host::Get_Player_Object(id);
  if (object != nullptr) host::Call_Script_Slot(slot, object, amount, Give_Flags);
  host::Console_Print(confirmation, host::Get_Player_Name(object), static_cast<double>(amount));
}

// setcredits and setpoints: replace the value on the player's record, then confirm. The
// record's id is read from the whole text, the name's from the first word; they differ
// only when the first word is white space other than spaces.
void Set(const char* arguments, unsigned record_slot, const char* confirmation) {
  Command_Arguments words;
  std::int32_t name_id = 0, record_id = 0;
  if (!words.Parse(arguments) || !words.Has_Words_Through(2) || !words.Id(1, &name_id) ||
      !words.Id(0, &record_id)) {
    return;
  }
  host::GameObject* object = host::Get_Player_Object(name_id);
  float amount = 0;
  if (!words.Amount(2, &amount)) return;
  host::PlayerRecord* record = host::Find_Player_Record(record_id);
  if (record != nullptr) host::Call_Virtual<void>(record, record_slot, amount);
  host::Console_Print(confirmation, host::Get_Player_Name(object), static_cast<double>(amount));
}

}  // namespace

void ConsoleCommand_givepoints::Run(const char* arguments) {
  Give(arguments, host::script_slot::Give_Points, "%ls has been given %f points.\n");
}

void ConsoleCommand_refund::Run(const char* arguments) {
  Give(arguments, host::script_slot::Give_Credits, "%ls has been refunded %f credits.\n");
}

void ConsoleCommand_setcredits::Run(const char* arguments) {
  Set(arguments, host::player_record::Set_Credits_Slot, "%ls's credits has been set to %f.\n");
}

void ConsoleCommand_setpoints::Run(const char* arguments) {
  Set(arguments, host::player_record::Set_Points_Slot, "%ls's points has been set to %f.\n");
}

void ConsoleCommand_teleport::Run(const char* arguments) {
  Command_Arguments words;
  std::int32_t id = 0;
  Vector3 position = {0, 0, 0};
  if (!words.Parse(arguments) || !words.Has_Words_Through(4) || !words.Id(1, &id) ||
      !words.Amount(2, &position.x) || !words.Amount(3, &position.y) ||
      !words.Amount(4, &position.z)) {
    return;
  }
  host::GameObject* object = host::Get_Player_Object(id);
  if (object != nullptr) {
    host::Call_Script_Slot(host::script_slot::Set_Object_Position, object, &position);
  }
  host::Console_Print("%ls has been moved to %f %f %f\n", host::Get_Player_Name(object),
                      static_cast<double>(position.x), static_cast<double>(position.y),
                      static_cast<double>(position.z));
}

}  // namespace commands
