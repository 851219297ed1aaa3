// The stand-in's `players` command: everything the plug-in's commands can change, for
// each player, so an operator sees the effect of a command at once. The listing fits
// the console's width: in 80 columns each player's state comes early on one line, and
// what is set of frozen, flying and a vehicle seat goes on an indented line below; a
// console wide enough for all of it gets one line per player with every column.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "standin/world/world.h"

namespace standin::world {

std::vector<std::string> List_Players(const World& world, std::size_t width = 80);

}  // namespace standin::world
