// The stand-in's world of players bound straight into the plug-in's entries: engine
// functions, a script command table of our own, and the fake heap and console.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standin/world/world.h"

namespace world_host {

class Bound_World {
 public:
  // Binds the world as build 0 would; `with_engine` false plays build 4 (no engine
  // functions and no console print).
  explicit Bound_World(std::unique_ptr<standin::world::World> world, bool with_engine = true);
  ~Bound_World();

  standin::world::World& world() { return *world_; }
  // The world's log of host calls, taken and cleared.
  std::vector<std::string> Take_Calls();
  // Only the calls that change something or ask the engine, without the lookups.
  std::vector<std::string> Take_Actions();
  void Clear_Slot(unsigned offset);

 private:
  std::unique_ptr<standin::world::World> world_;
  alignas(4) std::uint8_t table_[816] = {};
};

}  // namespace world_host
