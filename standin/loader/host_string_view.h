// Reads and prepares the host's 28-byte string records inside the loader's records.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

class HostHeap;

struct HostStringContents {
  std::string text;
  std::uint32_t length = 0;
  std::uint32_t capacity = 0;
  const void* block = nullptr;  // the heap block when the text is not inline
  std::string problem;          // empty when the record is consistent
};

// An empty inline string (length 0, capacity 15) whose allocator word holds
// `allocator_word`, as the host prepares a member before handing the record over.
void Init_Empty_Host_String(std::uint8_t* record, std::uint32_t allocator_word);

// Reads the string; `problem` names the first inconsistency (a length beyond the
// capacity, a missing terminator, a block the host heap did not hand out or that is
// too small for the capacity).
HostStringContents Read_Host_String(const std::uint8_t* record, const HostHeap& heap);

// Gives the string's block back to the host heap, as the host does with its records.
void Release_Host_String(std::uint8_t* record, HostHeap* heap);

}  // namespace standin
