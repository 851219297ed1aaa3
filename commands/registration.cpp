#include "commands/registration.h"

#include <new>

#include "commands/console_commands.h"
#include "host/host_memory.h"
#include "host/host_table.h"
#include "host/platform_api.h"

namespace commands {

namespace {

// True when the command is in the host's list.
template <typename Command>
bool Create_Command() {
  static_assert(sizeof(Command) == sizeof(void*), "a command object is its table pointer only");
  void* block = host::Host_Allocate(sizeof(Command));
  if (block == nullptr) return false;
  new (block) Command();
  return true;
}

// How many of the commands the host's list received. The host's list keeps them in the
// order they were made, and the host expects this one: a comma fold runs its operands left
// to right on every compiler, where the operands of a + fold may run in any order.
template <typename... Command>
unsigned Create_Commands() {
  unsigned handed_out = 0;
  ((handed_out += Create_Command<Command>() ? 1u : 0u), ...);
  return handed_out;
}

}  // namespace

void Register_Console_Commands() {
  const unsigned handed_out =
      Create_Commands<ConsoleCommand_changecharacter, ConsoleCommand_freeze, ConsoleCommand_flymode,
                      ConsoleCommand_givepoints, ConsoleCommand_kill, ConsoleCommand_refund,
                      ConsoleCommand_setcredits, ConsoleCommand_setpoints, ConsoleCommand_teleport,
                      ConsoleCommand_unfreeze>();
  // The host holds these objects for good: their code must outlive any unloading.
  if (handed_out > 0) platform::Keep_Module_Loaded();
  static_cast<void>(host::Finalize_Console_Commands());
  host::Console_Print("Console commands injected.\n");
}

}  // namespace commands
