// The world the fuzzed commands act on: the operator's players plus players whose host
// data is odd but possible (no holder, no object, no soldier, no player data, no name,
// seated in a vehicle that reports no or a negative number of occupants or has no
// occupant array, removed by the host but still listed).
#pragma once

#include <string>
#include <vector>

#include "standin/host_world.h"

namespace quillon_fuzz {

// Replaces the server's world with a fresh one and makes it the world the host
// functions act on, so every input starts from the same players.
void Populate(standin::HostWorld& host_world);

// The names of the world's players, as the console shows them.
std::vector<std::string> Player_Names(const standin::HostWorld& host_world);

}  // namespace quillon_fuzz
