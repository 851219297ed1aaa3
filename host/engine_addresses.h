// The module-wide host addresses that Engine_Init fills for the detected build.
// All zero at load; written once during start-up and only read afterwards.
#pragma once

#include <cstdint>

#include "host/calling_convention.h"

namespace host {

struct EngineAddressTable {
  // Memory and console bridge.
  Address Host_Alloc;
  Address Host_Alloc_Array;
  Address Host_Free;
  Address Host_Free_Array;
  Address Console_Output;
  Address Host_SSE_Flag;
  // Engine functions used to reach players and their objects.
  Address Find_Definition_By_Name;
  Address Find_Player;
  Address Reinit_Soldier_From_Definition;
  Address Toggle_Fly_Mode;
};

extern EngineAddressTable Engine_Addresses;

// Which build of the host is running: 0, 1 or 4 once detected, 6 while unresolved.
extern std::int32_t HostVariant;

}  // namespace host
