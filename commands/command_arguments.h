// What the commands share after the common beginning: the split argument text, the
// check that the required words are there, and the conversions of words to numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "commands/argument_list.h"

namespace commands {

class Command_Arguments {
 public:
  explicit Command_Arguments(const char* text) { list_.Parse(text); }

  // Elements 0 to `last` are all non-empty; a missing word ends a command silently.
  bool Has_Words_Through(std::size_t last) const {
    for (std::size_t i = 0; i <= last; ++i) {
      if (list_.Get_Argument(i).empty()) return false;
    }
    return true;
  }

  Host_Text Word(std::size_t index) const { return list_.Get_Argument(index); }

  // Player ids read as atoi does: no error for text that is not a number.
  std::int32_t Id(std::size_t index) const { return std::atoi(list_.Get_Argument(index).c_str()); }

  // Amounts and coordinates read as atof does, then narrowed to the host's 32-bit float.
  float Amount(std::size_t index) const {
    return static_cast<float>(std::atof(list_.Get_Argument(index).c_str()));
  }

 private:
  ArgumentList list_;
};

}  // namespace commands
