// A small world of players for the stand-in server: player records, their soldiers,
// vehicles with seats, and the presets a soldier can be rebuilt from. Every object the
// plug-in may touch sits in host-layout memory (see host_object.h); the host functions
// in world_functions.h act on the world and log every call the plug-in makes.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "standin/world/host_object.h"

namespace standin::world {

struct Position {
  float x = 0, y = 0, z = 0;
};

enum class Life { Alive, Killed, Removed };

struct Vehicle;

// Odd but possible host data, to show how the plug-in copes with it.
struct PlayerQuirks {
  bool no_holder = false;       // the record's holder pointer is null
  bool no_object = false;       // the holder holds a null object
  bool not_a_soldier = false;   // the object answers null when asked for its soldier
  bool no_player_data = false;  // the soldier has no PlayerData
  bool no_name = false;         // the PlayerData's name pointer is null
};

struct Player {
  int id = 0;
  std::u16string name;
  float points = 0;
  float credits = 0;
  Position position;
  bool frozen = false;
  bool flying = false;
  std::string preset;
  Vehicle* vehicle = nullptr;
  int seat = -1;
  Life life = Life::Alive;
  bool removal_pending = false;  // Destroy_Object takes effect at the end of the frame
  PlayerQuirks quirks;
  // Host memory: record -> holder -> soldier object -> PlayerData -> name.
  std::unique_ptr<HostObject> record, holder, soldier, player_data;
};

struct Vehicle {
  int id = 0;
  std::string preset;
  Position position;
  std::vector<Player*> seats;  // seat 0 is the driver
  Life life = Life::Alive;
  bool removal_pending = false;
  bool occupant_array_missing = false;  // a positive count over a null array
  // The occupant count the vehicle's data claims whatever its seats hold (none: the seats).
  std::optional<std::int32_t> claimed_occupants;
  std::unique_ptr<HostObject> object;
  std::vector<std::uint32_t> occupants;  // the host's occupant array of object handles
};

struct Preset {
  std::string name;
  std::uint32_t class_id = 0;
  std::unique_ptr<HostObject> definition;
};

class World {
 public:
  World() = default;
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // The world `make run` starts with: a player on foot, a driver with a passenger, a
  // name beyond ASCII, character presets and a preset that is no character.
  static std::unique_ptr<World> Default();
  // The default world and, beside it, players whose host data is odd but possible:
  //   5 Holderless (the record has no holder)   6 Objectless (the holder has no object)
  //   7 Turret (the object is no soldier)       8 Dataless (the soldier has no PlayerData)
  //   9 Nameless (the PlayerData has no name)
  //  10 Stowaway and 11 Minus drive vehicles whose data claims 0 and -1 occupants,
  //  12 Arrayless drives one whose occupant array is missing,
  //  13 Departed was removed by the host but is still listed.
  static std::unique_ptr<World> With_Odd_Players();

  Player& Add_Player(int id, std::u16string name, const std::string& preset,
                     PlayerQuirks quirks = {});
  Vehicle& Add_Vehicle(const std::string& preset, int seats);
  void Seat(Player& player, Vehicle& vehicle, int seat);
  Preset& Add_Preset(const std::string& name, std::uint32_t class_id);

  Player* Find_Player(int id);
  Player* Player_Of_Object(const void* object);
  Player* Player_Of_Record(const void* record);
  Vehicle* Vehicle_Of_Object(const void* object);
  Preset* Find_Preset(const std::string& name);
  Preset* Preset_Of_Definition(const void* definition);

  const std::deque<Player>& Players() const { return players_; }
  const std::deque<Vehicle>& Vehicles() const { return vehicles_; }

  // Every host call the plug-in made, one line each, floats with their exact bits.
  std::vector<std::string>& Calls() { return calls_; }
  // Benchmarks measure the plug-in, not the log: they switch it off.
  void Set_Logging(bool on) { logging_ = on; }
  bool Logging() const { return logging_; }
  // Calls the plug-in should never make (an operation slot nobody documented).
  std::vector<std::string>& Errors() { return errors_; }

  // Describes a handle for the call log: "soldier 3", "vehicle 1", "preset Soldier_A".
  std::string Describe(const void* handle);

  // Ends the frame: objects destroyed during it are removed now, as the host defers
  // removal, so a command still sees the object it destroyed until it returns.
  void End_Frame();

  // Rewrites a vehicle's occupant array and count after a seat changed.
  void Refresh_Occupants(Vehicle& vehicle);
  // Rewrites a player's object links (vehicle, player data) after a change.
  void Refresh_Soldier(Player& player);

 private:
  std::deque<Player> players_;
  std::deque<Vehicle> vehicles_;
  std::deque<Preset> presets_;
  std::vector<std::string> calls_;
  std::vector<std::string> errors_;
  bool logging_ = true;
};

// The calls of a world's log from `first` on, without the lookups a command makes on its
// way (validity checks, views, player records, class ids): what it changed or asked for.
std::vector<std::string> Actions_Of(const std::vector<std::string>& calls, std::size_t first = 0);

// The world the host functions act on; set by the server that owns it.
World* Active_World();
void Set_Active_World(World* world);

}  // namespace standin::world
