// A host heap block with guard bytes on both sides, so writes past either end show,
// and fill patterns that show use before initialisation and writes after release.
// Natively under AddressSanitizer the guards and released blocks are poisoned as well,
// so the sanitizer reports the access itself, the moment it happens.
#pragma once

#include <cstdint>

namespace standin::guarded_block {

constexpr std::uint32_t Guard_Bytes = 16;
constexpr std::uint8_t Guard_Fill = 0xFD;     // the host's debug heap "no man's land"
constexpr std::uint8_t Fresh_Fill = 0xCD;     // handed out, not yet written
constexpr std::uint8_t Released_Fill = 0xDD;  // given back

// A block of `bytes` usable bytes between two guards, filled fresh; null when the C
// library has no memory.
void* Allocate(std::uint32_t bytes);
// Fills a live block as released and poisons it whole, guards included.
void Mark_Released(void* block, std::uint32_t bytes);
// Gives the memory back to the C library.
void Free(void* block, std::uint32_t bytes);

// What is wrong with a block, or null: a guard overwritten, or (for a released block)
// its fill overwritten since the release.
const char* Live_Damage(void* block, std::uint32_t bytes);
const char* Released_Damage(void* block, std::uint32_t bytes);

}  // namespace standin::guarded_block
