#include "commands/console_command.h"

#include "host/host_addresses.h"
#include "host/host_memory.h"

namespace commands {

ConsoleCommand::ConsoleCommand() {
  // The host's list takes the element by reference: the address of a variable that
  // holds the object's pointer.
  ConsoleCommand* element = this;
  void* list = host::Address_To_Pointer<void>(host::Console_Command_List);
  host::Call_Thiscall<void>(host::Add_Console_Command, list, &element);
}

void HOST_THISCALL ConsoleCommand::Destroy(unsigned flags) {
  // The commands hold nothing of their own: the base destructor is all there is to run.
  this->ConsoleCommand::~ConsoleCommand();
  if (flags & 1u) host::Host_Release(this);
}

void Run_Command(const char* arguments, const char* usage, void (*steps)(const char*)) noexcept {
  if (arguments == nullptr) return;
  if (arguments[0] == '\0') {
    host::Console_Print(usage);
    return;
  }
  // A command that cannot finish (the host heap is exhausted) ends on its own, silently.
  steps(arguments);
}

}  // namespace commands
