#include "standin/world/exact_listing.h"

#include "standin/console/console_format.h"
#include "standin/world/float_bits.h"

namespace standin {

namespace {

using world::Float_Bits;

std::string Position_Text(const world::Position& position) {
  return Float_Bits(position.x) + "," + Float_Bits(position.y) + "," + Float_Bits(position.z);
}

const char* Life_Text(world::Life life) {
  switch (life) {
    case world::Life::Alive:
      return "alive";
    case world::Life::Killed:
      return "killed";
    case world::Life::Removed:
      return "removed";
  }
  return "?";
}

std::string Seat_Text(const world::Player& player) {
  if (player.vehicle == nullptr) return "on-foot";
  return "vehicle-" + std::to_string(player.vehicle->id) + "-seat-" + std::to_string(player.seat);
}

std::string Player_Line(const world::Player& player) {
  return "player " + std::to_string(player.id) + " " + Utf16_To_Utf8(player.name.c_str()) +
         " points=" + Float_Bits(player.points) + " credits=" + Float_Bits(player.credits) +
         " position=" + Position_Text(player.position) + " frozen=" + (player.frozen ? "1" : "0") +
         " flying=" + (player.flying ? "1" : "0") + " preset=" + player.preset + " " +
         Seat_Text(player) + " " + Life_Text(player.life);
}

std::string Vehicle_Line(const world::Vehicle& vehicle) {
  return "vehicle " + std::to_string(vehicle.id) + " " + vehicle.preset +
         " position=" + Position_Text(vehicle.position) + " " + Life_Text(vehicle.life);
}

}  // namespace

std::vector<std::string> Exact_Listing(const world::World& world) {
  std::vector<std::string> lines;
  for (const world::Player& player : world.Players()) lines.push_back(Player_Line(player));
  for (const world::Vehicle& vehicle : world.Vehicles()) lines.push_back(Vehicle_Line(vehicle));
  return lines;
}

}  // namespace standin
