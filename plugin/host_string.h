// The host's 28-byte string record, as found inside the records the loader hands us.
// We write into it in place and the host later releases its text with its own
// allocator, so every block comes from the host heap.
//
//   bytes 0-3    allocator word, never written
//   bytes 4-19   the text inline while capacity is 15, otherwise a pointer to a
//                heap block of capacity + 1 bytes
//   bytes 20-23  length, without the terminator
//   bytes 24-27  capacity
#pragma once

#include <cstddef>
#include <cstdint>

namespace plugin {

struct HostString {
  std::uint32_t allocator_word;
  union {
    char inline_text[16];
    char* block;
  } text;
  std::uint32_t length;
  std::uint32_t capacity;
};

static_assert(sizeof(HostString) == 28, "the host's string record is 28 bytes");
static_assert(offsetof(HostString, length) == 20, "length sits at byte 20");
static_assert(offsetof(HostString, capacity) == 24, "capacity sits at byte 24");

// Assigns NUL-terminated text. Reuses the current storage when the text fits, else
// takes a larger block from the host heap and releases the old one. False, with the
// record unchanged, when no block can be had.
bool Assign(HostString& target, const char* text);

// The text currently held.
const char* Text_Of(const HostString& source);

}  // namespace plugin
