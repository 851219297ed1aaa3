#include "commands/registration.h"

#include <new>

#include "commands/player_state_commands.h"
#include "commands/score_commands.h"
#include "host/host_addresses.h"
#include "host/host_memory.h"

namespace commands {

namespace {

template <typename Command>
void Create_Command() {
  static_assert(sizeof(Command) == sizeof(void*), "a command object is its table pointer only");
  void* block = host::Host_Allocate(sizeof(Command));
  if (block != nullptr) new (block) Command();
}

}  // namespace

void Register_Console_Commands() {
  Create_Command<ConsoleCommand_changecharacter>();
  Create_Command<ConsoleCommand_freeze>();
  Create_Command<ConsoleCommand_flymode>();
  Create_Command<ConsoleCommand_givepoints>();
  Create_Command<ConsoleCommand_kill>();
  Create_Command<ConsoleCommand_refund>();
  Create_Command<ConsoleCommand_setcredits>();
  Create_Command<ConsoleCommand_setpoints>();
  Create_Command<ConsoleCommand_teleport>();
  Create_Command<ConsoleCommand_unfreeze>();
  host::Call_Cdecl<void>(host::Finalize_Console_Commands);
  host::Console_Print("Console commands injected.\n");
}

}  // namespace commands
