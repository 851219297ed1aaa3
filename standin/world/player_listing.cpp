#include "standin/world/player_listing.h"

#include <cstdio>

#include "standin/console/console_format.h"

namespace standin::world {

namespace {

const char* Life_Text(Life life) {
  switch (life) {
    case Life::Alive:
      return "alive";
    case Life::Killed:
      return "killed";
    case Life::Removed:
      return "removed";
  }
  return "?";
}

std::string Vehicle_Text(const Player& player) {
  if (player.vehicle == nullptr) return "on foot";
  const std::string seat = player.seat == 0 ? "driver" : "seat " + std::to_string(player.seat);
  return player.vehicle->preset + " #" + std::to_string(player.vehicle->id) + " " + seat + " (" +
         Life_Text(player.vehicle->life) + ")";
}

// Pads UTF-8 text to a width counted in characters, not bytes.
std::string Padded(const std::string& text, std::size_t width) {
  std::size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
  return text + std::string(characters < width ? width - characters : 0, ' ');
}

}  // namespace

std::vector<std::string> List_Players(const World& world) {
  std::vector<std::string> lines;
  lines.push_back(
      " id name      points   credits  position                     frozen flying preset"
      "     vehicle                 state");
  for (const Player& player : world.Players()) {
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "%8.2f %8.2f  (%8.2f, %8.2f, %8.2f)  %-6s %-6s ",
                  static_cast<double>(player.points), static_cast<double>(player.credits),
                  static_cast<double>(player.position.x), static_cast<double>(player.position.y),
                  static_cast<double>(player.position.z), player.frozen ? "yes" : "no",
                  player.flying ? "yes" : "no");
    char id[16];
    std::snprintf(id, sizeof id, "%3d ", player.id);
    lines.push_back(std::string(id) + Padded(Utf16_To_Utf8(player.name.c_str()), 9) + numbers +
                    Padded(player.preset, 10) + " " + Padded(Vehicle_Text(player), 23) + " " +
                    Life_Text(player.life));
  }
  return lines;
}

}  // namespace standin::world
