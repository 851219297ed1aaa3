// One ordered record of everything that happens on the host console: commands
// appended to the list, the finalising call, and printed text. Tests read the order
// across all three ("ten appends, then one finalize, then the line").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct ConsoleEvent {
  enum Kind { Append, Finalize, Print };
  Kind kind;
  std::uintptr_t command = 0;  // Append: the command object's pointer
  std::string text;            // Print: the formatted text of one print call
};

using ConsoleLog = std::vector<ConsoleEvent>;

}  // namespace standin
