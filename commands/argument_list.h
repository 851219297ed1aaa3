// The text typed after a command's keyword, split into numbered arguments: element 0
// is the whole text as received, elements 1, 2, ... its space-separated words. All
// storage lives in the host heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_memory.h"

namespace commands {

using Host_Text = std::basic_string<char, std::char_traits<char>, host::HostAllocator<char>>;

class ArgumentList {
 public:
  // Rebuilds the list from the text. Throws std::bad_alloc when the host heap cannot
  // hold it; nothing is leaked then.
  void Parse(const char* text);

  // A copy of element `index`, or an empty text past the last word.
  Host_Text Get_Argument(std::size_t index) const;

  std::int32_t token_count() const { return token_count_; }

 private:
  std::vector<Host_Text, host::HostAllocator<Host_Text>> items_;
  std::int32_t token_count_ = 0;
};

}  // namespace commands
