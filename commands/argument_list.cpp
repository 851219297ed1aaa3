#include "commands/argument_list.h"

#include <cstring>
#include <new>

#include "host/host_memory.h"

namespace commands {

namespace {

// The tokenizer's working copy of the text, from the host's array heap, released on
// every path out of Parse.
class ScratchCopy {
 public:
  // data() is null when the host heap has no block for the copy.
  ScratchCopy(const char* text, std::size_t length)
      : data_(length < UINT32_MAX ? static_cast<char*>(host::Host_Allocate_Array(length + 1))
                                  : nullptr) {
    if (data_ != nullptr) std::memcpy(data_, text, length + 1);
  }
  ~ScratchCopy() { host::Host_Release_Array(data_); }
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;

  char* data() { return data_; }

 private:
  char* data_;
};

// Only the space separates; runs of spaces, leading and trailing ones make no empty
// words, and tabs belong to words. Calls `take(word, length)` for each word in order,
// ending each word in place in the buffer as the standard tokenizer does. Stops at
// the first word `take` refuses, and says whether every word was taken.
template <typename Take>
bool For_Each_Word(char* buffer, Take take) {
  char* cursor = buffer;
  for (;;) {
    while (*cursor == ' ') ++cursor;
    if (*cursor == '\0') return true;
    char* word = cursor;
    while (*cursor != ' ' && *cursor != '\0') ++cursor;
    const std::size_t length = static_cast<std::size_t>(cursor - word);
    const bool last = *cursor == '\0';
    *cursor = '\0';
    if (!take(word, length)) return false;
    if (last) return true;
    ++cursor;
  }
}

std::size_t Count_Words(const char* text) {
  std::size_t count = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c != ' ' && (c == text || c[-1] == ' ')) ++count;
  }
  return count;
}

}  // namespace

void ArgumentList::Clear() {
  for (std::size_t i = 0; i < count_; ++i) items_[i].~HostText();
  host::Host_Release(items_);
  items_ = nullptr;
  capacity_ = 0;
  count_ = 0;
  token_count_ = 0;
}

bool ArgumentList::Append(const char* text, std::size_t length) {
  if (count_ == capacity_) return false;
  HostText* item = new (&items_[count_]) HostText();
  ++count_;
  return item->Assign(text, length);
}

bool ArgumentList::Parse(const char* text) {
  Clear();
  const std::size_t length = std::strlen(text);
  ScratchCopy scratch(text, length);
  if (scratch.data() == nullptr) return false;
  // One block for the whole list: the text and every word come in one reservation.
  const std::size_t elements = Count_Words(text) + 1;
  items_ = host::Host_Allocate_Elements<HostText>(elements);
  if (items_ == nullptr) return false;
  capacity_ = elements;
  const bool complete =
      Append(text, length) &&
      For_Each_Word(scratch.data(), [this](const char* word, std::size_t word_length) {
        if (!Append(word, word_length)) return false;
        ++token_count_;
        return true;
      });
  if (!complete) Clear();
  return complete;
}

bool ArgumentList::Get_Argument(std::size_t index, HostText* copy) const {
  if (index > static_cast<std::size_t>(token_count_) || index >= count_) {
    return copy->Assign("", 0);
  }
  return copy->Assign(items_[index]);
}

}  // namespace commands
