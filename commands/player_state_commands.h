// Commands that change the state of one player's object: movement, flying, death and
// character.
#pragma once

#include "commands/console_command.h"

namespace commands {

class ConsoleCommand_changecharacter final : public Command_Object<ConsoleCommand_changecharacter> {
 public:
  static constexpr const char* Name = "changecharacter";
  static constexpr const char* Help =
      "CHANGECHARACTER <id> <preset> - Changes a player into any character preset.\n";
  static constexpr const char* Usage = "CHANGECHARACTER <id> <preset>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_freeze final : public Command_Object<ConsoleCommand_freeze> {
 public:
  static constexpr const char* Name = "freeze";
  static constexpr const char* Help = "FREEZE <id> - Completely immobilizes a player.\n";
  static constexpr const char* Usage = "FREEZE <id>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_unfreeze final : public Command_Object<ConsoleCommand_unfreeze> {
 public:
  static constexpr const char* Name = "unfreeze";
  static constexpr const char* Help = "UNFREEZE <id> - Allows an immobilized player to move again.\n";
  static constexpr const char* Usage = "UNFREEZE <id>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_flymode final : public Command_Object<ConsoleCommand_flymode> {
 public:
  static constexpr const char* Name = "flymode";
  static constexpr const char* Help = "FLYMODE <id> - Toggles flying on a player.\n";
  static constexpr const char* Usage = "FLYMODE <id>\n";
  static void Run(const char* arguments);
};

// The keyword is "killplayer"; the class keeps its shorter name.
class ConsoleCommand_kill final : public Command_Object<ConsoleCommand_kill> {
 public:
  static constexpr const char* Name = "killplayer";
  static constexpr const char* Help = "KILLPLAYER <id> - Automatically kills a specified player.\n";
  static constexpr const char* Usage = "KILLPLAYER <id>\n";
  static void Run(const char* arguments);
};

}  // namespace commands
