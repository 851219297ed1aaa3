#include "commands/registration.h"

#include <new>

#include "commands/console_commands.h"
#include "host/host_memory.h"
#include "host/host_table.h"

namespace commands {

namespace {

template <typename Command>
void Create_Command() {
  static_assert(sizeof(Command) == sizeof(void*), "a command object is its table pointer only");
  void* block = host::Host_Allocate(sizeof(Command));
  if (block != nullptr) new (block) Command();
}

template <typename... Command>
void Create_Commands() {
  (Create_Command<Command>(), ...);
}

}  // namespace

void Register_Console_Commands() {
  Create_Commands<ConsoleCommand_changecharacter, ConsoleCommand_freeze, ConsoleCommand_flymode,
                  ConsoleCommand_givepoints, ConsoleCommand_kill, ConsoleCommand_refund,
                  ConsoleCommand_setcredits, ConsoleCommand_setpoints, ConsoleCommand_teleport,
                  ConsoleCommand_unfreeze>();
  static_cast<void>(host::Finalize_Console_Commands());
  host::Console_Print("Console commands injected.\n");
}

}  // namespace commands
