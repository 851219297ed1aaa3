// A string of 8-bit characters whose storage is the host's: up to 15 characters in
// place, longer texts in a block of the host heap. Every step that needs a block says
// whether it got one; nothing is thrown.
#pragma once

#include <cstddef>
#include <cstdint>

namespace commands {

class HostText {
 public:
  static constexpr std::size_t Inline_Capacity = 15;

  HostText() = default;
  ~HostText() { Release(); }
  HostText(const HostText&) = delete;
  HostText& operator=(const HostText&) = delete;

  // Replaces the text with a copy of `length` characters. False when the host heap has
  // no block for it (or the length has no 32-bit size); the text is then empty.
  bool Assign(const char* text, std::size_t length);
  bool Assign(const HostText& other) {
    return &other == this || Assign(other.c_str(), other.size());
  }

  const char* c_str() const { return block_ != nullptr ? block_ : inline_; }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }

 private:
  void Release();

  char* block_ = nullptr;
  std::uint32_t length_ = 0;
  char inline_[Inline_Capacity + 1] = {};
};

}  // namespace commands
