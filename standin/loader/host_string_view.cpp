#include "standin/loader/host_string_view.h"

#include <cstring>

#include "standin/heap/host_heap.h"
#include "standin/image/host_layout.h"

namespace standin {

namespace {

std::uint32_t Word_At(const std::uint8_t* record, unsigned offset) {
  std::uint32_t value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

const char* Block_Of(const std::uint8_t* record) {
  return reinterpret_cast<const char*>(
      static_cast<std::uintptr_t>(Word_At(record, host_string::Text)));
}

// Checks the text storage and reads the text; an empty string means it is sound.
std::string Read_Text(const std::uint8_t* record, const HostHeap& heap,
                      HostStringContents* contents) {
  if (contents->capacity < host_string::Inline_Capacity) return "capacity below 15";
  if (contents->length > contents->capacity) return "length beyond the capacity";
  const char* text = reinterpret_cast<const char*>(record + host_string::Text);
  if (contents->capacity > host_string::Inline_Capacity) {
    text = Block_Of(record);
    contents->block = text;
    if (!heap.Owns(text)) return "text block not from the host heap";
    if (heap.Size_Of(text) < contents->capacity + 1) return "text block smaller than capacity + 1";
  }
  if (std::memchr(text, 0, contents->length + 1) != text + contents->length) {
    return "text not terminated at its length";
  }
  contents->text.assign(text, contents->length);
  return {};
}

}  // namespace

void Init_Empty_Host_String(std::uint8_t* record, std::uint32_t allocator_word) {
  const std::uint32_t empty_length = 0;
  const std::uint32_t capacity = host_string::Inline_Capacity;
  std::memcpy(record + host_string::Allocator, &allocator_word, 4);
  record[host_string::Text] = 0;
  std::memcpy(record + host_string::Length, &empty_length, 4);
  std::memcpy(record + host_string::Capacity, &capacity, 4);
}

HostStringContents Read_Host_String(const std::uint8_t* record, const HostHeap& heap) {
  HostStringContents contents;
  contents.length = Word_At(record, host_string::Length);
  contents.capacity = Word_At(record, host_string::Capacity);
  contents.problem = Read_Text(record, heap, &contents);
  return contents;
}

void Release_Host_String(std::uint8_t* record, HostHeap* heap) {
  if (Word_At(record, host_string::Capacity) <= host_string::Inline_Capacity) return;
  heap->Release(const_cast<char*>(Block_Of(record)));
  Init_Empty_Host_String(record, Word_At(record, host_string::Allocator));
}

}  // namespace standin
