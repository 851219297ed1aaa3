// The console command objects the host keeps in its list. The host calls them through
// their table of virtual operations by position, with its own conventions:
//   slot 0 Get_Name, 1 Get_Alias, 2 Get_Help, 3 Activate  - thiscall
//   slot 4 the deleting destructor                        - thiscall, one flags argument
// GCC's own virtual destructor takes two slots and no flags, which would shift nothing
// here but unbalance the host's stack, so slot 4 is declared as exactly what the host
// calls.
#pragma once

#include "commands/command_words.h"
#include "host/calling_convention.h"

namespace commands {

class ConsoleCommand {
 public:
  // Base construction adds the object to the host's console command list, before the
  // command's own operations are in place.
  ConsoleCommand();

  // While the host's list adds the object, only these operations are in place: a host
  // that called one then meets a command with no name and no help that does nothing,
  // not a missing function (the module has no runtime to catch a pure virtual call).
  virtual const char* HOST_THISCALL Get_Name();
  virtual const char* HOST_THISCALL Get_Alias();
  virtual const char* HOST_THISCALL Get_Help();
  virtual void HOST_THISCALL Activate(const char* arguments);
  // Bit 0 of the flags asks for the storage to go back to the host heap as well.
  virtual void HOST_THISCALL Destroy(unsigned flags);

 protected:
  ~ConsoleCommand() = default;
};

// Everything a command is: its keyword, help line, usage line, the words it reads and
// the body that acts on them.
struct CommandRow {
  const char* name;
  const char* help;
  const char* usage;
  Reading reading;
  void (*body)(const CommandWords& words);
};

// The beginning every Activate shares: nothing for a null argument, the usage line for
// an empty one; otherwise Run_Words.
void Run_Command(const char* arguments, const CommandRow& row) noexcept;

// The command's own steps after that beginning: nothing for a line without the words
// the command reads, otherwise its body with them.
void Run_Words(const char* arguments, const CommandRow& row) noexcept;

// Slots 0 to 3 for the command whose row is `Command::Row`.
template <typename Command>
class CommandObject : public ConsoleCommand {
 public:
  // The command's own steps, for programs that call them without the host's table.
  static void Run(const char* arguments) { Run_Words(arguments, Command::Row); }

  const char* HOST_THISCALL Get_Name() override { return Command::Row.name; }
  const char* HOST_THISCALL Get_Alias() override { return nullptr; }
  const char* HOST_THISCALL Get_Help() override { return Command::Row.help; }
  void HOST_THISCALL Activate(const char* arguments) override {
    Run_Command(arguments, Command::Row);
  }
};

}  // namespace commands
