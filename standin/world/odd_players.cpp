// The players of World::With_Odd_Players: host data a real server can hand the plug-in
// (a half-built player, a vehicle whose data disagrees with its seats, a removed object
// still listed), for the fuzzer, the tests and an operator's --odd-players session.
#include <cstdint>

#include "standin/world/world.h"

namespace standin::world {

namespace {

void Add_Half_Built_Players(World& world) {
  PlayerQuirks quirks[5];
  quirks[0].no_holder = true;
  quirks[1].no_object = true;
  quirks[2].not_a_soldier = true;
  quirks[3].no_player_data = true;
  quirks[4].no_name = true;
  const char16_t* names[5] = {u"Holderless", u"Objectless", u"Turret", u"Dataless", u"Nameless"};
  for (int i = 0; i < 5; ++i) world.Add_Player(5 + i, names[i], "Soldier_A", quirks[i]);
}

// `driver` in the one seat of a vehicle whose data claims `occupants`.
void Drive_Vehicle_Claiming(World& world, Player& driver, std::int32_t occupants) {
  Vehicle& vehicle = world.Add_Vehicle("Buggy", 1);
  vehicle.claimed_occupants = occupants;
  world.Seat(driver, vehicle, 0);
}

void Add_Drivers_Of_Odd_Vehicles(World& world) {
  Drive_Vehicle_Claiming(world, world.Add_Player(10, u"Stowaway", "Soldier_A"), 0);
  Drive_Vehicle_Claiming(world, world.Add_Player(11, u"Minus", "Engineer"), -1);
  Vehicle& no_array = world.Add_Vehicle("Buggy", 1);
  no_array.occupant_array_missing = true;
  world.Seat(world.Add_Player(12, u"Arrayless", "Sniper"), no_array, 0);
}

}  // namespace

std::unique_ptr<World> World::With_Odd_Players() {
  std::unique_ptr<World> world = Default();
  Add_Half_Built_Players(*world);
  Add_Drivers_Of_Odd_Vehicles(*world);
  world->Add_Player(13, u"Departed", "Soldier_B").life = Life::Removed;
  return world;
}

}  // namespace standin::world
