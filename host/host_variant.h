// Which build of the host executable we run in, and the one routine that binds every
// build-dependent host address.
#pragma once

#include "host/engine_addresses.h"

namespace host {

// Compares the build signature with host memory at the three probe addresses and
// sets HostVariant; a range that cannot be read counts as a mismatch.
void Detect_Host_Variant();

// Sets the four engine function entries for the detected build.
void Bind_Engine_Functions();

// Detects the build, binds the memory and console bridge, creates the vector math
// tables and binds the engine functions. Never re-enters itself: an allocation made
// while it runs (the math tables) cannot start it again.
void Engine_Init();

}  // namespace host
