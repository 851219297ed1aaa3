// What a command's body receives: the words its line must have, each present and
// already read. A line that lacks one, or whose words the host heap cannot hold,
// never reaches the body: the command ends silently.
#pragma once

#include <cstdint>

#include "commands/host_text.h"
#include "host/host_float.h"

namespace commands {

// Which words a command reads. Element 0 is the whole argument text, elements 1 and on
// its space-separated words; every element up to the last one read must be non-empty.
enum class Reading {
  Whole_Text_Id,            // the whole text as a player id, with no argument list
  Id,                       // element 1: the player id
  Id_And_Word,              // element 1, and element 2 as typed
  Id_And_Amount,            // element 1, and element 2 as an amount
  Id_Whole_Text_Id_Amount,  // element 1, the whole text as an id too, element 2 as an amount
  Id_And_Position,          // element 1, and elements 2, 3 and 4 as amounts
};

struct CommandWords {
  std::int32_t id = 0;              // element 1 as a player id
  std::int32_t whole_text_id = 0;   // element 0 (the whole text) as a player id
  host::HostFloat amounts[3] = {};  // elements 2, 3 and 4 as amounts, as many as read
  HostText word;                    // element 2 as typed

  host::HostFloat amount() const { return amounts[0]; }
};

// Splits `text` and reads what `reading` asks for into `words`. False when an element
// is missing or the host heap refused a block: the command then ends.
bool Read_Words(const char* text, Reading reading, CommandWords* words);

}  // namespace commands
