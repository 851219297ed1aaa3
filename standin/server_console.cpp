// The host console's command line: the first word picks a command, the text after
// it and one separating space goes to the command's Activate.
#include <cctype>

#include "standin/console/console_format.h"
#include "standin/server.h"
#include "standin/world/exact_listing.h"
#include "standin/world/player_listing.h"

namespace standin {

namespace {

struct OwnCommand {
  const char* name;
  const char* help;
};

// The server's own commands, listed apart from the plug-in's.
constexpr OwnCommand Own_Commands[] = {
    {"help", "help - Lists the console commands.\n"},
    {"players", "players - Lists the players with what the commands change.\n"},
    {"quit", "quit - Unloads the plug-in and stops the server.\n"},
    {"reset", "reset - Brings back the world of players the server started with.\n"},
};

bool Same_Ignoring_Case(const std::string& left, const char* right) {
  if (right == nullptr) return false;
  std::size_t i = 0;
  for (; i < left.size() && right[i] != 0; ++i) {
    const auto a = static_cast<unsigned char>(left[i]);
    const auto b = static_cast<unsigned char>(right[i]);
    if (std::tolower(a) != std::tolower(b)) return false;
  }
  return i == left.size() && right[i] == 0;
}

}  // namespace

void* Server::Find_Command(const std::string& keyword) {
  for (void* command : commands_.Commands()) {
    if (Same_Ignoring_Case(keyword, Command_Text(command, command_slot::Get_Name)) ||
        Same_Ignoring_Case(keyword, Command_Text(command, command_slot::Get_Alias))) {
      return command;
    }
  }
  return nullptr;
}

void Server::Print_Help() {
  Say("Plug-in commands:\n");
  for (void* command : commands_.Commands()) {
    const char* help = Command_Text(command, command_slot::Get_Help);
    Say(Indented_Help(help != nullptr ? help : "\n", options_.console_width));
  }
  Say("Server commands:\n");
  for (const OwnCommand& own : Own_Commands) Say(Indented_Help(own.help, options_.console_width));
}

void Server::Execute_Line(const std::string& line) {
  const std::size_t space = line.find(' ');
  const std::string keyword = line.substr(0, space);
  const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
  if (keyword.empty()) return;
  if (Same_Ignoring_Case(keyword, "help")) {
    Print_Help();
  } else if (Same_Ignoring_Case(keyword, "players")) {
    List_Players();
  } else if (Same_Ignoring_Case(keyword, "quit")) {
    quit_requested_ = true;
  } else if (Same_Ignoring_Case(keyword, "reset")) {
    Reset_World();
  } else if (void* command = Find_Command(keyword)) {
    Activate(command, rest.c_str());
  } else {
    Say("Unknown command: " + keyword + "\n");
  }
  // The host's frame ends after each console line: objects destroyed go now.
  world_.Players().End_Frame();
  Show_Heap_Damage();
}

// Damage the host heap found (a guard or a released block overwritten) is shown as it
// is found, so no session can pass over it.
void Server::Show_Heap_Damage() {
  const std::vector<std::string>& errors = heap_.Errors();
  for (; heap_errors_shown_ < errors.size(); ++heap_errors_shown_) {
    Say("Host heap: " + errors[heap_errors_shown_] + "\n");
  }
}

void Server::List_Players() {
  const std::vector<std::string> lines =
      options_.exact_listing ? Exact_Listing(world_.Players())
                             : world::List_Players(world_.Players(), options_.console_width);
  for (const std::string& line : lines) Say(line + "\n");
}

// An empty world stays empty; a world of players gets its starting players back.
void Server::Reset_World() {
  switch (options_.world) {
    case StartingWorld::Empty:
      break;
    case StartingWorld::Players:
      world_.Replace(world::World::Default());
      break;
    case StartingWorld::OddPlayers:
      world_.Replace(world::World::With_Odd_Players());
      break;
  }
}

}  // namespace standin
