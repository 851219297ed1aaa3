// What each of the ten commands may print, as the operator sees it: its usage line for
// an empty argument, otherwise at most one of its confirmation lines with the "%ls" and
// "%f" parts filled in (a player's name or "None", a float as printf shows it).
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "tests/support/known_commands.h"

namespace quillon_fuzz {

using quillon_test::Command_Count;
using quillon_test::Known_Commands;

class ExpectedOutput {
 public:
  // `names`: the names a "%ls" may show, besides "None".
  explicit ExpectedOutput(const std::vector<std::string>& names);

  // Why `printed` cannot be the output of command `index` for the argument `text`;
  // empty when it can. `allocation_failed`: one of the line's host allocations
  // returned null, so the command must end without a word.
  std::string Check(unsigned index, const std::string& text, bool allocation_failed,
                    const std::vector<std::string>& printed) const;

 private:
  bool Is_Confirmation(unsigned index, const std::string& line) const;

  std::vector<std::regex> confirmations_[Command_Count];
};

}  // namespace quillon_fuzz
