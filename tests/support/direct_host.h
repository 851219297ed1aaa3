// The stand-in's host bound straight into the plug-in's entries, with no host image and
// no loader: its heap, console, Windows calls, script command table and world of
// players, for unit tests and benchmarks of the plug-in's pieces. The stand-in server
// plays the whole host for the integration tests and the fuzzer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standin/console_command_list.h"
#include "standin/console_log.h"
#include "standin/extension_library.h"
#include "standin/host_console.h"
#include "standin/host_context.h"
#include "standin/host_heap.h"
#include "standin/script_table.h"
#include "standin/windows_api.h"
#include "standin/world/world.h"

namespace direct_host {

// Build 4 has no engine functions and no console print.
enum class Engine { Present, Absent };

class Bound_Host {
 public:
  // Binds the host as build 0 would, or as build 4 with `Engine::Absent`.
  explicit Bound_Host(std::unique_ptr<standin::world::World> world = nullptr,
                      Engine engine = Engine::Present);
  Bound_Host(const Bound_Host&) = delete;
  Bound_Host& operator=(const Bound_Host&) = delete;
  // Leaves the plug-in as at load: every entry null and the build unresolved.
  ~Bound_Host();

  standin::Host_Heap& Heap() { return *heap_; }
  const standin::Host_Heap& Heap() const { return *heap_; }
  // A fresh heap whose counts start again from zero.
  void Renew_Heap();
  // Allocations through the plug-in's array entry.
  static unsigned Array_Allocations();
  // The size of every allocation the plug-in asked for, refused ones too.
  std::vector<std::uint32_t> Requested_Sizes() const;
  // Every call of the release function, null and unknown blocks too.
  unsigned Release_Calls() const;

  // The text of every console print, in order.
  const std::vector<std::string>& Printed() const { return console_.Printed(); }
  void Forget_Printed() { console_.Forget(); }
  // Benchmarks: the console prints nothing and keeps nothing.
  void Silence_Console();

  standin::world::World& World() { return *world_; }
  // The world's log of host calls, taken and cleared.
  std::vector<std::string> Take_Calls();
  // Only the calls that change something or ask the engine, without the lookups.
  std::vector<std::string> Take_Actions();
  // As if the extension library had no function `name`: its script table slot is null.
  void Clear_Extension_Slot(const char* name);
  // The host's byte that says whether the processor has SSE.
  void Bind_SSE_Flag(const volatile unsigned char* flag);

 private:
  void Bind_Heap();

  std::unique_ptr<standin::Host_Heap> heap_;
  standin::Console_Log log_;
  standin::Host_Console console_{&log_};
  standin::Console_Command_List commands_{&log_};
  standin::Extension_Library extensions_;
  standin::Windows_Api_Log api_;
  standin::Script_Table table_;
  std::unique_ptr<standin::world::World> world_;
  standin::Host_Context context_;
};

}  // namespace direct_host
