// The text typed after a command's keyword, split into numbered arguments: element 0
// is the whole text as received, elements 1, 2, ... its space-separated words. All
// storage lives in the host heap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commands/host_text.h"

namespace commands {

class ArgumentList {
 public:
  ArgumentList() = default;
  ~ArgumentList() { Clear(); }
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;

  // Rebuilds the list from the text. False when the host heap cannot hold it: the list
  // is then empty and keeps no block.
  bool Parse(const char* text);

  // Copies element `index` into `copy`, or makes `copy` empty past the last word. False
  // only when the copy needs a block the host heap refused.
  bool Get_Argument(std::size_t index, HostText* copy) const;

  std::int32_t token_count() const { return token_count_; }

 private:
  void Clear();
  bool Append(const char* text, std::size_t length);

  HostText* items_ = nullptr;  // one host block for every element
  std::size_t capacity_ = 0;
  std::size_t count_ = 0;
  std::int32_t token_count_ = 0;
};

}  // namespace commands
