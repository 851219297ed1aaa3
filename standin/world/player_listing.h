// The stand-in's `players` command: one line per player with everything the plug-in's
// commands can change, so an operator sees the effect of a command at once.
#pragma once

#include <string>
#include <vector>

#include "standin/world/world.h"

namespace standin::world {

std::vector<std::string> List_Players(const World& world);

}  // namespace standin::world
