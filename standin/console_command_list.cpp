#include "standin/console_command_list.h"

#include <cstdint>

#include "standin/host_layout.h"

namespace standin {

void ConsoleCommandList::Add(const void* self, void* const* element) {
  if (reinterpret_cast<std::uintptr_t>(self) != Console_Command_List_Object) {
    errors_.push_back("Add_Console_Command called on an object other than the list");
    return;
  }
  if (element == nullptr) {
    errors_.push_back("Add_Console_Command called with a null element address");
    return;
  }
  commands_.push_back(*element);
  log_->push_back({ConsoleEvent::Append, reinterpret_cast<std::uintptr_t>(*element), {}});
}

void ConsoleCommandList::Forget(void* command) {
  for (auto at = commands_.begin(); at != commands_.end(); ++at) {
    if (*at == command) {
      commands_.erase(at);
      return;
    }
  }
}

void ConsoleCommandList::Finalize() {
  ++finalize_count_;
  log_->push_back({ConsoleEvent::Finalize, 0, {}});
}

}  // namespace standin
