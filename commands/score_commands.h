// Commands that change a player's points, credits or position.
#pragma once

#include "commands/console_command.h"

namespace commands {

class ConsoleCommand_givepoints final : public Command_Object<ConsoleCommand_givepoints> {
 public:
  static constexpr const char* Name = "givepoints";
  static constexpr const char* Help =
      "GIVEPOINTS <id> <amount> - Give a player a specified amount of points.\n";
  static constexpr const char* Usage = "GIVEPOINTS <id> <amount>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_refund final : public Command_Object<ConsoleCommand_refund> {
 public:
  static constexpr const char* Name = "refund";
  static constexpr const char* Help =
      "REFUND <id> <credits> - Give a player a specified amount of credits back.\n";
  static constexpr const char* Usage = "REFUND <id> <credits>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_setcredits final : public Command_Object<ConsoleCommand_setcredits> {
 public:
  static constexpr const char* Name = "setcredits";
  static constexpr const char* Help =
      "SETCREDITS <id> <amount> - Set a player's credits to a specified amount.\n";
  static constexpr const char* Usage = "SETCREDITS <id> <amount>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_setpoints final : public Command_Object<ConsoleCommand_setpoints> {
 public:
  static constexpr const char* Name = "setpoints";
  static constexpr const char* Help =
      "SETPOINTS <id> <amount> - Set a player's points to a specified amount.\n";
  static constexpr const char* Usage = "SETPOINTS <id> <amount>\n";
  static void Run(const char* arguments);
};

class ConsoleCommand_teleport final : public Command_Object<ConsoleCommand_teleport> {
 public:
  static constexpr const char* Name = "teleport";
  static constexpr const char* Help =
      "TELEPORT <id> <vector3> - Move a player to a specific XYZ coordinate.\n";
  static constexpr const char* Usage = "TELEPORT <id> <vector3>\n";
  static void Run(const char* arguments);
};

}  // namespace commands
