// The stand-in server's own map of the host executable: where each build keeps its
// code signature, memory and console functions, the console registration and the
// records the loader hands to a plug-in. Written independently of the plug-in's
// table, so the integration tests cross-check the plug-in instead of mirroring it.
#pragma once

#include <cstdint>

#include "standin/platform/host_address_space.h"

namespace standin {

// Which build of the host executable the stand-in plays.
enum class HostBuild { Build_0, Build_1, Build_4, None };

// The short routine every known build carries, each build at an address of its own.
constexpr unsigned Signature_Length = 19;
constexpr std::uint8_t Build_Signature[Signature_Length] = {
    0x6A, 0x40, 0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C,
    0xE8, 0xC0, 0xFF, 0xFF, 0xFF, 0x83, 0xC4, 0x0C, 0xC3};

constexpr Address Signature_Build_0 = 0x78CE49;
constexpr Address Signature_Build_1 = 0x78C6E9;
constexpr Address Signature_Build_4 = 0x78790C;
constexpr Address Signature_Addresses[] = {Signature_Build_0, Signature_Build_1, Signature_Build_4};

// Per-build addresses of the memory and console bridge; 0 where the build has none.
struct BridgeAddresses {
  Address signature;
  Address alloc;           // cdecl void* (unsigned bytes); single object and array alike
  Address free;            // cdecl void (void*); single object and array alike
  Address console_output;  // cdecl int (const char* format, ...)
  Address sse_flag;        // one byte, 1 when the processor offers SSE
};

constexpr BridgeAddresses Bridge_Build_0 = {Signature_Build_0, 0x672B70, 0x672C80, 0x428B50,
                                            0x84F702};
constexpr BridgeAddresses Bridge_Build_1 = {Signature_Build_1, 0x672410, 0x672520, 0x428CD0,
                                            0x84E8EA};
constexpr BridgeAddresses Bridge_Build_4 = {Signature_Build_4, 0x7A783D, 0x7A7866, 0, 0};
constexpr BridgeAddresses Bridge_None = {0, 0, 0, 0, 0};

constexpr const BridgeAddresses& Bridge_For(HostBuild build) {
  return build == HostBuild::Build_0   ? Bridge_Build_0
         : build == HostBuild::Build_1 ? Bridge_Build_1
         : build == HostBuild::Build_4 ? Bridge_Build_4
                                       : Bridge_None;
}

// Per-build addresses of the engine functions that reach players; 0 where unknown.
struct EngineAddresses {
  Address find_definition_by_name;         // cdecl ObjectDefinition* (const char*, int)
  Address find_player;                     // cdecl PlayerRecord* (int id)
  Address reinit_soldier_from_definition;  // thiscall on a soldier view (ObjectDefinition*)
  Address toggle_fly_mode;                 // thiscall on a soldier view ()
};

constexpr EngineAddresses Engine_Build_0 = {0x526860, 0x4157E0, 0x6C7410, 0x6CFC80};
constexpr EngineAddresses Engine_Build_1 = {0x526100, 0x4157E0, 0x6C6CB0, 0x6CF520};
constexpr EngineAddresses Engine_None = {0, 0, 0, 0};

constexpr const EngineAddresses& Engine_For(HostBuild build) {
  return build == HostBuild::Build_0   ? Engine_Build_0
         : build == HostBuild::Build_1 ? Engine_Build_1
                                       : Engine_None;
}

// Console registration: the same in every build.
constexpr Address Console_Command_List_Object = 0x81D098;  // the list object
constexpr Address Add_Console_Command = 0x428FE0;          // thiscall (ConsoleCommand** element)
constexpr Address Finalize_Console_Commands = 0x428470;    // cdecl ()

// The pages holding the build probes can be made unreadable; nothing else the host
// binds may live on them.
constexpr bool On_Probe_Page(Address address) {
  for (Address probe : Signature_Addresses) {
    const Address page = probe & ~(Host_Page_Size - 1);
    const Address last_page = (probe + Signature_Length - 1) & ~(Host_Page_Size - 1);
    const Address own_page = address & ~(Host_Page_Size - 1);
    if (address != 0 && (own_page == page || own_page == last_page)) return true;
  }
  return false;
}

constexpr bool Shares_A_Probe_Page(const BridgeAddresses& bridge) {
  return On_Probe_Page(bridge.alloc) || On_Probe_Page(bridge.free) ||
         On_Probe_Page(bridge.console_output) || On_Probe_Page(bridge.sse_flag);
}

constexpr bool Shares_A_Probe_Page(const EngineAddresses& engine) {
  return On_Probe_Page(engine.find_definition_by_name) || On_Probe_Page(engine.find_player) ||
         On_Probe_Page(engine.reinit_soldier_from_definition) ||
         On_Probe_Page(engine.toggle_fly_mode);
}

static_assert(!Shares_A_Probe_Page(Bridge_Build_0) && !Shares_A_Probe_Page(Bridge_Build_1) &&
                  !Shares_A_Probe_Page(Bridge_Build_4) && !Shares_A_Probe_Page(Engine_Build_0) &&
                  !Shares_A_Probe_Page(Engine_Build_1) &&
                  !On_Probe_Page(Console_Command_List_Object) &&
                  !On_Probe_Page(Add_Console_Command) && !On_Probe_Page(Finalize_Console_Commands),
              "a host address shares a page with a build probe");

// The script command table record.
constexpr std::uint32_t Script_Table_Bytes = 816;
constexpr std::uint32_t Script_Table_Version = 174;
constexpr unsigned First_Script_Slot = 8;
constexpr unsigned Script_Slot_Count = (Script_Table_Bytes - First_Script_Slot) / 4;

// The host's 28-byte string record.
namespace host_string {
constexpr unsigned Bytes = 28;
constexpr unsigned Allocator = 0;
constexpr unsigned Text = 4;
constexpr unsigned Length = 20;
constexpr unsigned Capacity = 24;
constexpr std::uint32_t Inline_Capacity = 15;
}  // namespace host_string

// Records the loader hands to ZORM_Check_Version and ZORM_Plugin_Load.
namespace version_report {
constexpr unsigned Bytes = 128;
constexpr unsigned Framework_Version = 64;  // HostString
constexpr unsigned Flag = 92;               // one byte
}  // namespace version_report

namespace plugin_info {
constexpr unsigned Bytes = 96;
constexpr unsigned Name = 4;      // HostString
constexpr unsigned Version = 36;  // HostString
}  // namespace plugin_info

// Virtual slots of a console command object, as the host calls them (thiscall).
namespace command_slot {
constexpr unsigned Get_Name = 0;
constexpr unsigned Get_Alias = 1;
constexpr unsigned Get_Help = 2;
constexpr unsigned Activate = 3;
constexpr unsigned Delete = 4;  // deleting destructor (unsigned flags); bit 0 frees
}  // namespace command_slot

}  // namespace standin
