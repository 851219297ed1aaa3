#include "commands/host_text.h"

#include <cstring>

#include "host/host_memory.h"

namespace commands {

void HostText::Release() {
  host::Host_Release(block_);
  block_ = nullptr;
  length_ = 0;
  inline_[0] = '\0';
}

bool HostText::Assign(const char* text, std::size_t length) {
  Release();
  if (length > Inline_Capacity) {
    if (length >= UINT32_MAX) return false;
    block_ = static_cast<char*>(host::Host_Allocate(length + 1));
    if (block_ == nullptr) return false;
  }
  // The longest inline text is followed by its terminator in the same array.
  static_assert(sizeof(inline_) > Inline_Capacity, "no room for the terminator");
  char* storage = block_ != nullptr ? block_ : inline_;
  std::memcpy(storage, text, length);
  storage[length] = '\0';
  length_ = static_cast<std::uint32_t>(length);
  return true;
}

}  // namespace commands
