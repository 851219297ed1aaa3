#include "commands/console_command.h"

#include "host/host_memory.h"
#include "host/host_table.h"

namespace commands {

ConsoleCommand::ConsoleCommand() {
  // The host's list takes the element by reference: the address of a variable that
  // holds the object's pointer.
  void* const element = this;
  auto* list = host::Address_To_Pointer<host::ConsoleCommandList>(host::Console_Command_List);
  static_cast<void>(host::Add_Console_Command(list, &element));
}

const char* HOST_THISCALL ConsoleCommand::Get_Name() { return ""; }
const char* HOST_THISCALL ConsoleCommand::Get_Alias() { return nullptr; }
const char* HOST_THISCALL ConsoleCommand::Get_Help() { return ""; }
void HOST_THISCALL ConsoleCommand::Activate(const char*) {}

void HOST_THISCALL ConsoleCommand::Destroy(unsigned flags) {
  // The commands hold nothing of their own: the base destructor is all there is to run.
  this->ConsoleCommand::~ConsoleCommand();
  if (flags & 1u) host::Host_Release(this);
}

void Run_Command(const char* arguments, const CommandRow& row) noexcept {
  if (arguments == nullptr) return;
  if (arguments[0] == '\0') {
    host::Console_Print(row.usage);
    return;
  }
  Run_Words(arguments, row);
}

void Run_Words(const char* arguments, const CommandRow& row) noexcept {
  CommandWords words;
  if (Read_Words(arguments, row.reading, &words)) row.body(words);
}

}  // namespace commands
