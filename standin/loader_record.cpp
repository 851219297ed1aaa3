#include "standin/loader_record.h"

#include <algorithm>

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
