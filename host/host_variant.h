// Which build of the host executable we run in, the module-wide host entries bound
// for it, and the one routine that binds them.
#pragma once

#include <cstdint>

#include "host/host_table.h"

namespace host {

// Every build-dependent host entry, null at load, filled once by Engine_Init: the
// memory and console bridge, then the engine functions.
struct EngineAddressTable : BridgeEntries, EngineEntries {};

extern EngineAddressTable Engine_Addresses;

// Which build of the host is running: 0, 1 or 4 once detected, 6 while unresolved.
extern std::int32_t HostVariant;

// Compares the build signature with host memory at the three probe addresses and
// sets HostVariant; a range that cannot be read counts as a mismatch.
void Detect_Host_Variant();

// Sets the engine function entries for the detected build.
void Bind_Engine_Functions();

// Detects the build, binds the memory and console bridge, creates the vector math
// tables and binds the engine functions. Never re-enters itself: an allocation made
// while it runs (the math tables) cannot start it again.
void Engine_Init();

}  // namespace host
