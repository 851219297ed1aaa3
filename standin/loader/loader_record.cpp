#include "standin/loader/loader_record.h"

#include <algorithm>
#include <cstring>

#include "standin/heap/host_heap.h"
#include "standin/image/host_layout.h"

namespace standin {

LoaderRecord::LoaderRecord(unsigned bytes, std::vector<unsigned> strings,
                           std::vector<unsigned> writable)
    : bytes_(bytes), strings_(std::move(strings)), writable_(std::move(writable)) {
  for (unsigned i = 0; i < bytes; ++i) bytes_[i] = Pattern(i);
  for (unsigned offset : strings_) {
    Init_Empty_Host_String(bytes_.data() + offset, 0xA110C000u + offset);
  }
  pristine_ = bytes_;
}

void LoaderRecord::Hold_In_Block(unsigned offset, const std::string& text, std::uint32_t capacity,
                                 HostHeap* heap) {
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

HostStringContents LoaderRecord::String_At(unsigned offset, const HostHeap& heap) const {
  return Read_Host_String(bytes_.data() + offset, heap);
}

bool LoaderRecord::May_Change(unsigned offset) const {
  if (std::find(writable_.begin(), writable_.end(), offset) != writable_.end()) return true;
  for (unsigned start : strings_) {
    if (offset >= start + host_string::Text && offset < start + host_string::Bytes) return true;
  }
  return false;
}

std::vector<unsigned> LoaderRecord::Foreign_Changes() const {
  std::vector<unsigned> changed;
  for (unsigned i = 0; i < bytes_.size(); ++i) {
    if (bytes_[i] != pristine_[i] && !May_Change(i)) changed.push_back(i);
  }
  return changed;
}

void LoaderRecord::Release_Strings(HostHeap* heap) {
  for (unsigned offset : strings_) Release_Host_String(bytes_.data() + offset, heap);
}

}  // namespace standin
