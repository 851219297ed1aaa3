// What the DLL has of a C runtime: the four memory functions that the compiler may
// call for a copy, a fill or a comparison, and strlen, which the code calls. The module links no C
// runtime, so that it shares no runtime state with the server, runs no start-up code
// of its own and has no way to end the process. These are built so that the compiler
// cannot recognise their loops as calls of themselves (-ffreestanding, -fno-builtin).
#include <cstddef>

extern "C" {

void* memcpy(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count-- > 0) *to++ = *from++;
  return target;
}

// Copies as if through a scratch buffer: backwards when the target lies above the source.
void* memmove(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to <= from || to >= from + count) return memcpy(target, source, count);
  while (count-- > 0) to[count] = from[count];
  return target;
}

void* memset(void* target, int value, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  while (count-- > 0) *to++ = static_cast<unsigned char>(value);
  return target;
}

int memcmp(const void* left, const void* right, std::size_t count) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; count > 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

std::size_t strlen(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

}  // extern "C"
