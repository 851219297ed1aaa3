#include "commands/argument_list.h"

#include <cstring>
#include <new>

namespace commands {

namespace {

// The tokenizer's working copy of the text, from the host's array heap, released on
// every path out of Parse.
class Scratch_Copy {
 public:
  explicit Scratch_Copy(const char* text, std::size_t length)
      : data_(static_cast<char*>(host::Host_Allocate_Array(length + 1))) {
    if (data_ == nullptr) throw std::bad_alloc();
    std::memcpy(data_, text, length + 1);
  }
  ~Scratch_Copy() { host::Host_Release_Array(data_); }
  Scratch_Copy(const Scratch_Copy&) = delete;
  Scratch_Copy& operator=(const Scratch_Copy&) = delete;

  char* data() { return data_; }

 private:
  char* data_;
};

// Only the space separates; runs of spaces, leading and trailing ones make no empty
// words, and tabs belong to words. Calls `take(word, length)` for each word in order,
// ending each word in place in the buffer as the standard tokenizer does.
template <typename Take>
void For_Each_Word(char* buffer, Take take) {
  char* cursor = buffer;
  for (;;) {
    while (*cursor == ' ') ++cursor;
    if (*cursor == '\0') return;
    char* word = cursor;
    while (*cursor != ' ' && *cursor != '\0') ++cursor;
    const std::size_t length = static_cast<std::size_t>(cursor - word);
    const bool last = *cursor == '\0';
    *cursor = '\0';
    take(word, length);
    if (last) return;
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

void ArgumentList::Parse(const char* text) {
  items_.clear();
  token_count_ = 0;
  const std::size_t length = std::strlen(text);
  Scratch_Copy scratch(text, length);
  // One block for the whole list: the text and every word come in one reservation.
  items_.reserve(Count_Words(text) + 1);
  items_.emplace_back(text, length);
  For_Each_Word(scratch.data(), [this](const char* word, std::size_t word_length) {
    items_.emplace_back(word, word_length);
    ++token_count_;
  });
}

Host_Text ArgumentList::Get_Argument(std::size_t index) const {
  if (index > static_cast<std::size_t>(token_count_) || index >= items_.size()) return Host_Text();
  return items_[index];
}

}  // namespace commands
