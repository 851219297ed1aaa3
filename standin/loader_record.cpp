#include "standin/loader_record.h"

#include <algorithm>
#include <cstring>

#include "standin/host_heap.h"
#include "standin/host_layout.h"

namespace standin {

Loader_Record::Loader_Record(unsigned bytes, std::vector<unsigned> strings,
                             std::vector<unsigned> writable)
    : bytes_(bytes), strings_(std::move(strings)), writable_(std::move(writable)) {
  for (unsigned i = 0; i < bytes; ++i) bytes_[i] = Pattern(i);
  for (unsigned offset : strings_) {
    Init_Empty_Host_String(bytes_.data() + offset, 0xA110C000u + offset);
  }
  pristine_ = bytes_;
}

void Loader_Record::Hold_In_Block(unsigned offset, const std::string& text, std::uint32_t capacity,
                                  Host_Heap* heap) {
  auto* block = static_cast<char*>(heap->Allocate(capacity + 1));
  if (block == nullptr) return;
  std::memcpy(block, text.c_str(), text.size() + 1);
  const auto pointer = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));
  const auto length = static_cast<std::uint32_t>(text.size());
  std::uint8_t* record = bytes_.data() + offset;
  std::memcpy(record + host_string::Text, &pointer, 4);
  std::memcpy(record + host_string::Length, &length, 4);
  std::memcpy(record + host_string::Capacity, &capacity, 4);
  std::copy(record, record + host_string::Bytes, pristine_.begin() + offset);
}

Host_String_Contents Loader_Record::String_At(unsigned offset, const Host_Heap& heap) const {
  return Read_Host_String(bytes_.data() + offset, heap);
}

bool Loader_Record::May_Change(unsigned offset) const {
  if (std::find(writable_.begin(), writable_.end(), offset) != writable_.end()) return true;
  for (unsigned start : strings_) {
    if (offset >= start + host_string::Text && offset < start + host_string::Bytes) return true;
  }
  return false;
}

std::vector<unsigned> Loader_Record::Foreign_Changes() const {
  std::vector<unsigned> changed;
  for (unsigned i = 0; i < bytes_.size(); ++i) {
    if (bytes_[i] != pristine_[i] && !May_Change(i)) changed.push_back(i);
  }
  return changed;
}

void Loader_Record::Release_Strings(Host_Heap* heap) {
  for (unsigned offset : strings_) Release_Host_String(bytes_.data() + offset, heap);
}

}  // namespace standin
