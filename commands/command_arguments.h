// What the commands share after the common beginning: the split argument text, the
// check that the required words are there, and the conversions of words to numbers.
// Every step that copies a word may find the host heap exhausted; it then answers
// false, and the command ends silently, as it does for a missing word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commands/argument_list.h"
#include "commands/host_text.h"
#include "commands/number_reading.h"

namespace commands {

class Command_Arguments {
 public:
  bool Parse(const char* text) { return list_.Parse(text); }

  // Elements 0 to `last` are all there (non-empty) and could be copied.
  bool Has_Words_Through(std::size_t last) const {
    for (std::size_t i = 0; i <= last; ++i) {
      Host_Text word;
      if (!list_.Get_Argument(i, &word) || word.empty()) return false;
    }
    return true;
  }

  bool Word(std::size_t index, Host_Text* word) const { return list_.Get_Argument(index, word); }

  bool Id(std::size_t index, std::int32_t* id) const {
    Host_Text word;
    if (!list_.Get_Argument(index, &word)) return false;
    *id = Read_Id(word.c_str());
    return true;
  }

  bool Amount(std::size_t index, float* amount) const {
    Host_Text word;
    if (!list_.Get_Argument(index, &word)) return false;
    *amount = Read_Amount(word.c_str());
    return true;
  }

 private:
  ArgumentList list_;
};

}  // namespace commands
