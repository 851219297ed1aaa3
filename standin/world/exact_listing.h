// The world's state as exact text: every float as its bits, nothing that depends on the
// platform's printf or the process's locale. Two sessions that changed the world the
// same way list it the same way, bit for bit, natively and under Wine.
#pragma once

#include <string>
#include <vector>

#include "standin/world/world.h"

namespace standin {

// One line per player, then one per vehicle.
std::vector<std::string> Exact_Listing(const world::World& world);

}  // namespace standin
