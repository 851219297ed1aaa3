#include "standin/image/host_world.h"

#include "standin/image/host_functions.h"
#include "standin/world/world_functions.h"

namespace standin {

HostWorld::HostWorld() : world_(std::make_unique<world::World>()) {}

// A running server's host functions keep acting on the world that replaces this one.
void HostWorld::Replace(std::unique_ptr<world::World> world) {
  if (world::Active_World() == world_.get()) world::Set_Active_World(world.get());
  world_ = std::move(world);
}

void HostWorld::Bind(HostImage* image, HostBuild build) {
  const EngineAddresses& engine = Engine_For(build);
  const struct {
    Address at;
    const void* function;
  } jumps[] = {
      {engine.find_definition_by_name, world::Find_Definition_By_Name_Function()},
      {engine.find_player, world::Find_Player_Function()},
      {engine.reinit_soldier_from_definition, world::Reinit_Soldier_Function()},
      {engine.toggle_fly_mode, world::Toggle_Fly_Mode_Function()},
  };
  for (const auto& jump : jumps) {
    if (jump.at != 0) image->Write_Jump(jump.at, Code_Address(jump.function));
  }
}

}  // namespace standin
