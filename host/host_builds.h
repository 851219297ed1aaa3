// The builds of the host executable the plug-in knows: the routine whose place tells
// them apart, the order the plug-in probes for it, and the entries whose addresses
// differ between builds, one column per build. Plain numbers only, no call and no
// 32-bit type, so that a program which reads a host executable without running it
// (tools/quillon_check) decides as the plug-in does from these very rows on any machine.
// host_table.h makes the callable entries of the rows; their prototypes stay in the
// rows, unexpanded by a reader that takes only the columns.
#pragma once

#include <cstdint>

namespace host {

// ---------------------------------------------------------------------------
// Builds of the host executable, and the routine whose place tells them apart.
// ---------------------------------------------------------------------------

enum : std::int32_t {
  Build_0 = 0,
  Build_1 = 1,
  Build_4 = 4,
  Build_Unresolved = 6,  // at load, and after probes that matched nothing
};

constexpr unsigned Build_Signature_Length = 19;
constexpr std::uint8_t Build_Signature[Build_Signature_Length] = {
    0x6A, 0x40, 0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C,
    0xE8, 0xC0, 0xFF, 0xFF, 0xFF, 0x83, 0xC4, 0x0C, 0xC3};

struct SignatureProbe {
  std::uint32_t address;  // a host Address
  std::int32_t build;
};

// Probed in this order; a later match overrides an earlier one.
constexpr SignatureProbe Signature_Probes[] = {
    {0x78CE49, Build_0},
    {0x78C6E9, Build_1},
    {0x78790C, Build_4},
};

// ---------------------------------------------------------------------------
// Entries that depend on the build: one column per build, 0 where it has none.
// ---------------------------------------------------------------------------

// clang-format off
// The memory and console bridge.
//  entry                            build 0   build 1   build 4   prototype
#define QUILLON_BRIDGE_ENTRIES(X)                                                                   \
  X(Host_Alloc,                      0x672B70, 0x672410, 0x7A783D, Cdecl<void*(std::uint32_t bytes)>)    \
  X(Host_Alloc_Array,                0x672B70, 0x672410, 0x7A783D, Cdecl<void*(std::uint32_t bytes)>)    \
  X(Host_Free,                       0x672C80, 0x672520, 0x7A7866, Cdecl<void(void* block)>)             \
  X(Host_Free_Array,                 0x672C80, 0x672520, 0x7A7866, Cdecl<void(void* block)>)             \
  X(Console_Output,                  0x428B50, 0x428CD0, 0,        CdeclVariadic<int(const char* format)>) \
  X(Host_SSE_Flag,                   0x84F702, 0x84E8EA, 0,        Data<std::uint8_t>)

// The engine functions that reach players and their objects.
//  entry                            build 0   build 1   build 4   prototype
#define QUILLON_ENGINE_ENTRIES(X)                                                                   \
  X(Find_Definition_By_Name,         0x526860, 0x526100, 0,        Cdecl<ObjectDefinition*(const char* name, std::int32_t one)>) \
  X(Find_Player,                     0x4157E0, 0x4157E0, 0,        Cdecl<PlayerRecord*(std::int32_t id)>) \
  X(Reinit_Soldier_From_Definition,  0x6C7410, 0x6C6CB0, 0,        Thiscall<void(SoldierView*, ObjectDefinition*)>) \
  X(Toggle_Fly_Mode,                 0x6CFC80, 0x6CF520, 0,        Thiscall<void(SoldierView*)>)
// clang-format on

}  // namespace host
