#include "commands/score_commands.h"

namespace commands {

void ConsoleCommand_givepoints::Run(const char*) {}
void ConsoleCommand_refund::Run(const char*) {}
void ConsoleCommand_setcredits::Run(const char*) {}
void ConsoleCommand_setpoints::Run(const char*) {}
void ConsoleCommand_teleport::Run(const char*) {}

}  // namespace commands
