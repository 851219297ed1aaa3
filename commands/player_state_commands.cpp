#include "commands/player_state_commands.h"

namespace commands {

void ConsoleCommand_changecharacter::Run(const char*) {}
void ConsoleCommand_freeze::Run(const char*) {}
void ConsoleCommand_unfreeze::Run(const char*) {}
void ConsoleCommand_flymode::Run(const char*) {}
void ConsoleCommand_kill::Run(const char*) {}

}  // namespace commands
