// The console command objects the host keeps in its list. The host calls them through
// their table of virtual operations by position, with its own conventions:
//   slot 0 Get_Name, 1 Get_Alias, 2 Get_Help, 3 Activate  - thiscall
//   slot 4 the deleting destructor                        - thiscall, one flags argument
// GCC's own virtual destructor takes two slots and no flags, which would shift nothing
// here but unbalance the host's stack, so slot 4 is declared as exactly what the host
// calls.
#pragma once

#include "host/calling_convention.h"

namespace commands {

class ConsoleCommand {
 public:
  // Base construction adds the object to the host's console command list, before the
  // command's own operations are in place.
  ConsoleCommand();

  virtual const char* HOST_THISCALL Get_Name() = 0;
  virtual const char* HOST_THISCALL Get_Alias() = 0;
  virtual const char* HOST_THISCALL Get_Help() = 0;
  virtual void HOST_THISCALL Activate(const char* arguments) = 0;
  // Bit 0 of the flags asks for the storage to go back to the host heap as well.
  virtual void HOST_THISCALL Destroy(unsigned flags);

 protected:
  ~ConsoleCommand() = default;
};

// The beginning every Activate shares: nothing for a null argument, the usage line for
// an empty one, otherwise the command's own steps. Nothing escapes to the host.
void Run_Command(const char* arguments, const char* usage, void (*steps)(const char*)) noexcept;

// Slots 0 to 3 for a command described by `Command`: its Name, Help, Usage and a static
// Run(arguments) with the command's own steps.
template <typename Command>
class Command_Object : public ConsoleCommand {
 public:
  const char* HOST_THISCALL Get_Name() override { return Command::Name; }
  const char* HOST_THISCALL Get_Alias() override { return nullptr; }
  const char* HOST_THISCALL Get_Help() override { return Command::Help; }
  void HOST_THISCALL Activate(const char* arguments) override {
    Run_Command(arguments, Command::Usage, &Command::Run);
  }
};

}  // namespace commands
