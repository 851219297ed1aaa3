#include "standin/image/console_command_list.h"

#include <cstdint>

#include "standin/image/host_layout.h"
#include "standin/msvc_host/host_abi.h"

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
  if (look_while_adding_) Look_At(*element);
}

namespace {

std::string Shown(const char* text) {
  return text == nullptr ? "(null)" : "\"" + std::string(text) + "\"";
}

}  // namespace

void ConsoleCommandList::Look_At(void* command) {
  const char* text = nullptr;
  std::int32_t stack = Host_Call_Command_Name(command, &text);
  seen_while_adding_.push_back("Get_Name " + Shown(text));
  stack |= Host_Call_Command_Alias(command, &text);
  seen_while_adding_.push_back("Get_Alias " + Shown(text));
  stack |= Host_Call_Command_Help(command, &text);
  seen_while_adding_.push_back("Get_Help " + Shown(text));
  stack |= Host_Call_Command_Activate(command, "");
  seen_while_adding_.push_back("Activate");
  if (stack != 0) errors_.push_back("a command's operation unbalanced the stack while being added");
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
