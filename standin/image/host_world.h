// The game world behind the host's engine functions: the stand-in's players
// (standin/world), wired in at the host's addresses (the script table takes the world's
// slot functions as its own entries). Every call the
// plug-in makes on the world is logged, so a test sees what a command asked of the host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "standin/image/host_image.h"
#include "standin/image/host_layout.h"
#include "standin/world/world.h"

namespace standin {

class HostWorld {
 public:
  // An empty world: Find_Player finds nobody and Find_Definition_By_Name no preset.
  HostWorld();

  // Writes jumps at the build's engine function addresses.
  static void Bind(HostImage* image, HostBuild build);

  // Replaces the world, say with World::Default(); the host functions act on the new one.
  void Replace(std::unique_ptr<world::World> world);

  world::World& Players() { return *world_; }
  const world::World& Players() const { return *world_; }
  // One line per call the plug-in made on the world, such as "Find_Player(3)".
  const std::vector<std::string>& Calls() const { return world_->Calls(); }

 private:
  std::unique_ptr<world::World> world_;
};

}  // namespace standin
