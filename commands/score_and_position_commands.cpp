// Commands that change a player's points, credits or position. Each confirms what it
// asked for, with the name "None" when no player has the id.
#include "commands/console_commands.h"
#include "commands/float_bits.h"
#include "host/game_objects.h"
#include "host/host_memory.h"
#include "host/host_table.h"
#include "math/vectors.h"

namespace commands {

namespace {

// The host's third argument to Give_Points and Give_Credits; its meaning is the host's.
constexpr std::int32_t Give_Flags = 0;

using GiveSlot = decltype(host::script_slot::Give_Points);

// What "%f" prints: the amount the host received, widened to a double.
host::HostDouble Printed(host::HostFloat amount) {
  return host::HostDouble{Double_Bits_Of_Float(amount.bits)};
}

// The position handed to the host by address: its components are the amounts' bits.
math::Vector3 Position_Of(const host::HostFloat (&amounts)[3]) {
  math::Vector3 position;
  static_assert(sizeof position == sizeof amounts, "three floats, nothing between them");
  __builtin_memcpy(&position, amounts, sizeof position);
  return position;
}

// givepoints and refund: add to the player's score through a table slot, then confirm.
void Give(const CommandWords& words, const GiveSlot& slot, const char* confirmation) {
  host::GameObject* object = host::Get_Player_Object(words.id);
  if (object != nullptr) static_cast<void>(slot(object, words.amount(), Give_Flags));
  host::Console_Print(confirmation, host::Get_Player_Name(object), Printed(words.amount()));
}

// setcredits and setpoints: replace the value on the player's record, then confirm. The
// record's id is read from the whole text, the name's from the first word; they differ
// only when the first word is white space other than spaces.
template <typename RecordSlot>
void Set(const CommandWords& words, const char* confirmation) {
  host::GameObject* object = host::Get_Player_Object(words.id);
  host::PlayerRecord* record = host::Find_Player_Record(words.whole_text_id);
  if (record != nullptr) RecordSlot::Call(record, words.amount());
  host::Console_Print(confirmation, host::Get_Player_Name(object), Printed(words.amount()));
}

}  // namespace

void Run_Givepoints(const CommandWords& words) {
  Give(words, host::script_slot::Give_Points, "%ls has been given %f points.\n");
}

void Run_Refund(const CommandWords& words) {
  Give(words, host::script_slot::Give_Credits, "%ls has been refunded %f credits.\n");
}

void Run_Setcredits(const CommandWords& words) {
  Set<host::player_record::Set_Credits>(words, "%ls's credits has been set to %f.\n");
}

void Run_Setpoints(const CommandWords& words) {
  Set<host::player_record::Set_Points>(words, "%ls's points has been set to %f.\n");
}

void Run_Teleport(const CommandWords& words) {
  const math::Vector3 position = Position_Of(words.amounts);
  host::GameObject* object = host::Get_Player_Object(words.id);
  if (object != nullptr) {
    static_cast<void>(host::script_slot::Set_Object_Position(object, &position));
  }
  host::Console_Print("%ls has been moved to %f %f %f\n", host::Get_Player_Name(object),
                      Printed(words.amounts[0]), Printed(words.amounts[1]),
                      Printed(words.amounts[2]));
}

}  // namespace commands
