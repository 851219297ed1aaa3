#include "standin/world/world.h"

#include <cstdio>

#include "standin/world/world_functions.h"
#include "standin/world/world_layout.h"

namespace standin::world {

namespace {

World* active_world = nullptr;

std::unique_ptr<HostObject> New_Object(const void* const* operations) {
  return std::make_unique<HostObject>(operations);
}

}  // namespace

std::vector<std::string> Actions_Of(const std::vector<std::string>& calls, std::size_t first) {
  static const char* const lookups[] = {"Is_Valid_Object(", "As_Soldier(", "As_Vehicle(",
                                        "Find_Player(", "Get_Class_Id("};
  std::vector<std::string> actions;
  for (std::size_t i = first; i < calls.size(); ++i) {
    bool lookup = false;
    for (const char* prefix : lookups) lookup = lookup || calls[i].rfind(prefix, 0) == 0;
    if (!lookup) actions.push_back(calls[i]);
  }
  return actions;
}

World* Active_World() { return active_world; }
void Set_Active_World(World* world) { active_world = world; }

std::unique_ptr<World> World::Default() {
  auto world = std::make_unique<World>();
  world->Add_Preset("Soldier_A", layout::Character_Class);
  world->Add_Preset("Soldier_B", layout::Character_Class);
  world->Add_Preset("Engineer", layout::Character_Class);
  world->Add_Preset("Sniper", layout::Character_Class);
  world->Add_Preset("Buggy", layout::Vehicle_Class);  // a preset that is no character

  Player& havoc = world->Add_Player(1, u"Havoc", "Soldier_A");
  havoc.position = {10, 0, 5};
  havoc.points = 120;
  havoc.credits = 300;
  Vehicle& buggy = world->Add_Vehicle("Buggy", 2);
  buggy.position = {40, 12, 2};
  world->Seat(world->Add_Player(2, u"Sydney", "Sniper"), buggy, 0);
  world->Seat(world->Add_Player(3, u"Zoë", "Soldier_B"), buggy, 1);
  Player& yaroslav = world->Add_Player(4, u"Ярослав", "Engineer");
  yaroslav.position = {-20, 3, 0};
  return world;
}

Player& World::Add_Player(int id, std::u16string name, const std::string& preset,
                          PlayerQuirks quirks) {
  Player& player = players_.emplace_back();
  player.id = id;
  player.name = std::move(name);
  player.preset = preset;
  player.quirks = quirks;
  player.record = New_Object(Record_Operations());
  player.holder = New_Object(Plain_Operations());
  player.soldier = New_Object(Object_Operations());
  player.player_data = New_Object(Plain_Operations());
  if (!quirks.no_holder) player.record->Put_Pointer(layout::Record_Holder, player.holder.get());
  if (!quirks.no_object) player.holder->Put_Pointer(layout::Holder_Object, player.soldier.get());
  if (!quirks.no_player_data) {
    player.soldier->Put_Pointer(layout::Soldier_Player_Data, player.player_data.get());
  }
  if (!quirks.no_name) {
    player.player_data->Put_Pointer(layout::Player_Data_Name, player.name.c_str());
  }
  return player;
}

Vehicle& World::Add_Vehicle(const std::string& preset, int seats) {
  Vehicle& vehicle = vehicles_.emplace_back();
  vehicle.id = static_cast<int>(vehicles_.size());
  vehicle.preset = preset;
  vehicle.seats.assign(static_cast<std::size_t>(seats), nullptr);
  vehicle.object = New_Object(Object_Operations());
  Refresh_Occupants(vehicle);
  return vehicle;
}

void World::Seat(Player& player, Vehicle& vehicle, int seat) {
  vehicle.seats[static_cast<std::size_t>(seat)] = &player;
  player.vehicle = &vehicle;
  player.seat = seat;
  player.position = vehicle.position;
  Refresh_Occupants(vehicle);
  Refresh_Soldier(player);
}

Preset& World::Add_Preset(const std::string& name, std::uint32_t class_id) {
  Preset& preset = presets_.emplace_back();
  preset.name = name;
  preset.class_id = class_id;
  preset.definition = New_Object(Definition_Operations());
  return preset;
}

void World::Refresh_Occupants(Vehicle& vehicle) {
  vehicle.occupants.clear();
  for (Player* occupant : vehicle.seats) {
    const void* handle = occupant != nullptr ? occupant->soldier.get() : nullptr;
    vehicle.occupants.push_back(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)));
  }
  const void* array = vehicle.occupant_array_missing ? nullptr : vehicle.occupants.data();
  vehicle.object->Put_Pointer(layout::Vehicle_Occupants, array);
  vehicle.object->Put(
      layout::Vehicle_Occupant_Count,
      vehicle.claimed_occupants.value_or(static_cast<std::int32_t>(vehicle.seats.size())));
}

void World::Refresh_Soldier(Player& player) {
  const void* vehicle = player.vehicle != nullptr ? player.vehicle->object.get() : nullptr;
  player.soldier->Put_Pointer(layout::Soldier_Vehicle, vehicle);
}

void World::End_Frame() {
  for (Player& player : players_) {
    if (!player.removal_pending) continue;
    player.removal_pending = false;
    player.life = Life::Removed;
    if (Vehicle* vehicle = player.vehicle) {
      vehicle->seats[static_cast<std::size_t>(player.seat)] = nullptr;
      player.vehicle = nullptr;
      player.seat = -1;
      Refresh_Occupants(*vehicle);
      Refresh_Soldier(player);
    }
  }
  for (Vehicle& vehicle : vehicles_) {
    if (vehicle.removal_pending) vehicle.life = Life::Removed;
    vehicle.removal_pending = false;
  }
}

Player* World::Find_Player(int id) {
  for (Player& player : players_) {
    if (player.id == id) return &player;
  }
  return nullptr;
}

Player* World::Player_Of_Object(const void* object) {
  if (object == nullptr) return nullptr;
  for (Player& player : players_) {
    if (player.soldier.get() == object) return &player;
  }
  return nullptr;
}

Player* World::Player_Of_Record(const void* record) {
  if (record == nullptr) return nullptr;
  for (Player& player : players_) {
    if (player.record.get() == record) return &player;
  }
  return nullptr;
}

Vehicle* World::Vehicle_Of_Object(const void* object) {
  if (object == nullptr) return nullptr;
  for (Vehicle& vehicle : vehicles_) {
    if (vehicle.object.get() == object) return &vehicle;
  }
  return nullptr;
}

Preset* World::Find_Preset(const std::string& name) {
  for (Preset& preset : presets_) {
    if (preset.name == name) return &preset;
  }
  return nullptr;
}

Preset* World::Preset_Of_Definition(const void* definition) {
  for (Preset& preset : presets_) {
    if (preset.definition.get() == definition) return &preset;
  }
  return nullptr;
}

std::string World::Describe(const void* handle) {
  if (handle == nullptr) return "null";
  if (Player* player = Player_Of_Object(handle)) return "soldier " + std::to_string(player->id);
  if (Vehicle* vehicle = Vehicle_Of_Object(handle)) {
    return "vehicle " + std::to_string(vehicle->id);
  }
  if (Preset* preset = Preset_Of_Definition(handle)) return "preset " + preset->name;
  if (Player* player = Player_Of_Record(handle)) return "record " + std::to_string(player->id);
  char text[32];
  std::snprintf(text, sizeof text, "unknown %p", handle);
  return text;
}

}  // namespace standin::world
