#include "standin/heap/guarded_block.h"

#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_ASAN 1
#endif
#endif

#ifdef STANDIN_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace standin::guarded_block {

namespace {

std::uint8_t* Start_Of(void* block) { return static_cast<std::uint8_t*>(block) - Guard_Bytes; }
std::uint32_t Whole_Size(std::uint32_t bytes) { return bytes + 2 * Guard_Bytes; }

void Poison(void* at, std::uint32_t bytes) {
#ifdef STANDIN_ASAN
  ASAN_POISON_MEMORY_REGION(at, bytes);
#else
  (void)at, (void)bytes;
#endif
}

void Unpoison(void* at, std::uint32_t bytes) {
#ifdef STANDIN_ASAN
  ASAN_UNPOISON_MEMORY_REGION(at, bytes);
#else
  (void)at, (void)bytes;
#endif
}

bool Filled(const std::uint8_t* at, std::uint32_t bytes, std::uint8_t fill) {
  for (std::uint32_t i = 0; i < bytes; ++i) {
    if (at[i] != fill) return false;
  }
  return true;
}

// Checks both guards with the sanitizer looking away, and poisons them again.
const char* Guard_Damage(void* block, std::uint32_t bytes) {
  std::uint8_t* start = Start_Of(block);
  std::uint8_t* after = static_cast<std::uint8_t*>(block) + bytes;
  Unpoison(start, Guard_Bytes);
  Unpoison(after, Guard_Bytes);
  const bool before_intact = Filled(start, Guard_Bytes, Guard_Fill);
  const bool after_intact = Filled(after, Guard_Bytes, Guard_Fill);
  Poison(start, Guard_Bytes);
  Poison(after, Guard_Bytes);
  if (!before_intact) return "the guard bytes before it were overwritten";
  if (!after_intact) return "the guard bytes after it were overwritten";
  return nullptr;
}

}  // namespace

void* Allocate(std::uint32_t bytes) {
  auto* start = static_cast<std::uint8_t*>(std::malloc(Whole_Size(bytes)));
  if (start == nullptr) return nullptr;
  std::memset(start, Guard_Fill, Guard_Bytes);
  std::memset(start + Guard_Bytes, Fresh_Fill, bytes);
  std::memset(start + Guard_Bytes + bytes, Guard_Fill, Guard_Bytes);
  Poison(start, Guard_Bytes);
  Poison(start + Guard_Bytes + bytes, Guard_Bytes);
  return start + Guard_Bytes;
}

void Mark_Released(void* block, std::uint32_t bytes) {
  std::memset(block, Released_Fill, bytes);
  Poison(Start_Of(block), Whole_Size(bytes));
}

void Free(void* block, std::uint32_t bytes) {
  Unpoison(Start_Of(block), Whole_Size(bytes));
  std::free(Start_Of(block));
}

const char* Live_Damage(void* block, std::uint32_t bytes) { return Guard_Damage(block, bytes); }

const char* Released_Damage(void* block, std::uint32_t bytes) {
  Unpoison(block, bytes);
  const bool intact = Filled(static_cast<std::uint8_t*>(block), bytes, Released_Fill);
  Poison(block, bytes);
  if (!intact) return "it was written after its release";
  return Guard_Damage(block, bytes);
}

}  // namespace standin::guarded_block
