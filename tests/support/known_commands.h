// The ten console commands as an operator knows them, in the order the plug-in
// registers them: written from the operator's side, apart from the plug-in's own
// declarations, so the tests, the fuzzer and the differential generator compare the
// plug-in against it instead of mirroring it.
#pragma once

#include <vector>

namespace quillon_test {

struct KnownCommand {
  const char* name;   // the keyword
  const char* help;   // its line in `help`
  const char* usage;  // what an empty argument prints
  unsigned words;     // the words it reads after the keyword
  // The lines any other argument may print, "%ls" written NAME and "%f" FLOAT.
  std::vector<const char*> confirmations;
  bool always_answers;  // prints one of them for every non-empty argument
};

constexpr unsigned Command_Count = 10;
extern const KnownCommand Known_Commands[Command_Count];

}  // namespace quillon_test
