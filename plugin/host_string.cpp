#include "plugin/host_string.h"

#include <cstring>

#include "host/host_memory.h"

namespace plugin {

namespace {

constexpr std::uint32_t Inline_Capacity = 15;

// Any capacity below 16 is the inline form: the text lives in the 16 inline bytes.
// A record that claims less than 15 (a zeroed one, say) still has those 16 bytes.
bool Is_Inline(const HostString& s) { return s.capacity <= Inline_Capacity; }

std::uint32_t Usable_Capacity(const HostString& s) {
  return Is_Inline(s) ? Inline_Capacity : s.capacity;
}

// Not const: the inline text is written through the pointer it returns.
// cppcheck-suppress constParameter
char* Storage_Of(HostString& s) { return Is_Inline(s) ? s.text.inline_text : s.text.block; }

// The length with its low four bits set, or one and a half times the old capacity
// when that is larger, as the host grows its strings.
std::uint32_t Grown_Capacity(std::uint32_t old_capacity, std::uint32_t length) {
  const std::uint32_t rounded = length | Inline_Capacity;
  const std::uint32_t half = old_capacity / 2;
  if (old_capacity <= UINT32_MAX - half && old_capacity + half > rounded) {
    return old_capacity + half;
  }
  return rounded;
}

}  // namespace

bool Assign(HostString& target, const char* text) {
  const std::size_t length = std::strlen(text);
  const std::uint32_t usable = Usable_Capacity(target);
  if (length <= usable) {
    std::memmove(Storage_Of(target), text, length + 1);
    target.length = static_cast<std::uint32_t>(length);
    target.capacity = usable;
    return true;
  }
  if (length >= UINT32_MAX) return false;
  const std::uint32_t capacity = Grown_Capacity(usable, static_cast<std::uint32_t>(length));
  if (capacity == UINT32_MAX) return false;
  char* block = static_cast<char*>(host::Host_Allocate(capacity + std::size_t{1}));
  if (block == nullptr) return false;
  std::memcpy(block, text, length + 1);
  if (!Is_Inline(target)) host::Host_Release(target.text.block);
  target.text.block = block;
  target.capacity = capacity;
  target.length = static_cast<std::uint32_t>(length);
  return true;
}

const char* Text_Of(const HostString& source) {
  return Is_Inline(source) ? source.text.inline_text : source.text.block;
}

}  // namespace plugin
