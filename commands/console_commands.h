// The ten administrator commands, each declared once: keyword, help line, usage line,
// the words it reads and its body. The host's list receives them in this order.
#pragma once

#include "commands/console_command.h"

namespace commands {

// The bodies: player_state_commands.cpp and score_and_position_commands.cpp.
void Run_Changecharacter(const CommandWords& words);
void Run_Freeze(const CommandWords& words);
void Run_Flymode(const CommandWords& words);
void Run_Givepoints(const CommandWords& words);
void Run_Killplayer(const CommandWords& words);
void Run_Refund(const CommandWords& words);
void Run_Setcredits(const CommandWords& words);
void Run_Setpoints(const CommandWords& words);
void Run_Teleport(const CommandWords& words);
void Run_Unfreeze(const CommandWords& words);

#define QUILLON_COMMAND(Class, keyword, help, usage, reading, body)           \
  class Class final : public CommandObject<Class> {                           \
   public:                                                                    \
    static constexpr CommandRow Row = {keyword, help, usage, reading, &body}; \
  };

QUILLON_COMMAND(ConsoleCommand_changecharacter, "changecharacter",
                "CHANGECHARACTER <id> <preset> - Changes a player into any character preset.\n",
                "CHANGECHARACTER <id> <preset>\n", Reading::Id_And_Word, Run_Changecharacter)
QUILLON_COMMAND(ConsoleCommand_freeze, "freeze", "FREEZE <id> - Completely immobilizes a player.\n",
                "FREEZE <id>\n", Reading::Id, Run_Freeze)
QUILLON_COMMAND(ConsoleCommand_flymode, "flymode", "FLYMODE <id> - Toggles flying on a player.\n",
                "FLYMODE <id>\n", Reading::Id, Run_Flymode)
QUILLON_COMMAND(ConsoleCommand_givepoints, "givepoints",
                "GIVEPOINTS <id> <amount> - Give a player a specified amount of points.\n",
                "GIVEPOINTS <id> <amount>\n", Reading::Id_And_Amount, Run_Givepoints)
// The keyword is "killplayer"; the class keeps its shorter name.
QUILLON_COMMAND(ConsoleCommand_kill, "killplayer",
                "KILLPLAYER <id> - Automatically kills a specified player.\n", "KILLPLAYER <id>\n",
                Reading::Whole_Text_Id, Run_Killplayer)
QUILLON_COMMAND(ConsoleCommand_refund, "refund",
                "REFUND <id> <credits> - Give a player a specified amount of credits back.\n",
                "REFUND <id> <credits>\n", Reading::Id_And_Amount, Run_Refund)
QUILLON_COMMAND(ConsoleCommand_setcredits, "setcredits",
                "SETCREDITS <id> <amount> - Set a player's credits to a specified amount.\n",
                "SETCREDITS <id> <amount>\n", Reading::Id_Whole_Text_Id_Amount, Run_Setcredits)
QUILLON_COMMAND(ConsoleCommand_setpoints, "setpoints",
                "SETPOINTS <id> <amount> - Set a player's points to a specified amount.\n",
                "SETPOINTS <id> <amount>\n", Reading::Id_Whole_Text_Id_Amount, Run_Setpoints)
QUILLON_COMMAND(ConsoleCommand_teleport, "teleport",
                "TELEPORT <id> <vector3> - Move a player to a specific XYZ coordinate.\n",
                "TELEPORT <id> <vector3>\n", Reading::Id_And_Position, Run_Teleport)
QUILLON_COMMAND(ConsoleCommand_unfreeze, "unfreeze",
                "UNFREEZE <id> - Allows an immobilized player to move again.\n", "UNFREEZE <id>\n",
                Reading::Id, Run_Unfreeze)

#undef QUILLON_COMMAND

}  // namespace commands
