// The plug-in's module state as the tests see it: the one place test support reads or
// writes the plug-in's host entries, its build, its script table and its math tables.
// Entries are named as in the plug-in's table and given as addresses.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "standin/image/host_layout.h"

namespace plugin_state {

// Every host entry with its address, in the order of the plug-in's table.
using Entries = std::vector<std::pair<std::string, std::uint32_t>>;

// What the plug-in has bound now.
Entries Bound_Entries();
// What a build binds by the stand-in's own address list, in the same form: a test
// compares the plug-in's table with it instead of mirroring it.
Entries Expected_Entries(standin::HostBuild build);

// The build the plug-in works with: 0, 1 or 4, or 6 while unresolved.
std::int32_t Build();
// Forgets the build and runs the plug-in's detection again; returns what it found.
std::int32_t Detect_Build();
// Binds the memory bridge and the engine functions of the detected build.
void Bind_Build_Entries();

// Every entry null, the build unresolved, no script table, extension library or math
// table: the module as at load.
void Reset();
// Plays a detected build with entries that lead to the test's own host functions.
void Set_Build(std::int32_t build);
void Set_Entry(const char* name, const volatile void* target);
void Set_Script_Table(void* record);

}  // namespace plugin_state
