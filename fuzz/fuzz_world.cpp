#include "fuzz/fuzz_world.h"

#include "standin/console_format.h"
#include "standin/world/world_layout.h"

namespace quillon_fuzz {

namespace {

using standin::world::Player;
using standin::world::PlayerQuirks;
using standin::world::Vehicle;
using standin::world::World;

void Add_Odd_Records(World& world) {
  PlayerQuirks quirks[5];
  quirks[0].no_holder = true;
  quirks[1].no_object = true;
  quirks[2].not_a_soldier = true;
  quirks[3].no_player_data = true;
  quirks[4].no_name = true;
  const char16_t* names[5] = {u"Holderless", u"Objectless", u"Turret", u"Dataless", u"Nameless"};
  for (int i = 0; i < 5; ++i) world.Add_Player(5 + i, names[i], "Soldier_A", quirks[i]);
}

// A vehicle whose data claims `count` occupants while `player` sits in its one seat.
void Seat_With_Count(World& world, Player& player, std::int32_t count) {
  Vehicle& vehicle = world.Add_Vehicle("Buggy", 1);
  world.Seat(player, vehicle, 0);
  vehicle.object->Put(standin::world::layout::Vehicle_Occupant_Count, count);
}

void Add_Odd_Vehicles(World& world) {
  Seat_With_Count(world, world.Add_Player(10, u"Stowaway", "Soldier_A"), 0);
  Seat_With_Count(world, world.Add_Player(11, u"Minus", "Engineer"), -1);
  Vehicle& no_array = world.Add_Vehicle("Buggy", 1);
  no_array.occupant_array_missing = true;
  world.Seat(world.Add_Player(12, u"Arrayless", "Sniper"), no_array, 0);
}

}  // namespace

void Populate(standin::HostWorld& host_world) {
  host_world.Populate_Default();
  World& world = host_world.Players();
  Add_Odd_Records(world);
  Add_Odd_Vehicles(world);
  world.Add_Player(13, u"Departed", "Soldier_B").life = standin::world::Life::Removed;
  standin::world::Set_Active_World(&world);
}

std::vector<std::string> Player_Names(const standin::HostWorld& host_world) {
  std::vector<std::string> names;
  for (const Player& player : host_world.Players().Players()) {
    names.push_back(standin::Utf16_To_Utf8(player.name.c_str()));
  }
  return names;
}

}  // namespace quillon_fuzz
