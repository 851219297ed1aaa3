// The stand-in's host bound straight into the plug-in's entries, with no host image and
// no loader: its heap, console, Windows calls, script command table and world of
// players, for unit tests and benchmarks of the plug-in's pieces. The stand-in server
// plays the whole host for the integration tests and the fuzzer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standin/console/console_log.h"
#include "standin/console/host_console.h"
#include "standin/heap/host_heap.h"
#include "standin/image/console_command_list.h"
#include "standin/image/host_context.h"
#include "standin/loader/windows_api.h"
#include "standin/scripts/extension_library.h"
#include "standin/scripts/script_table.h"
#include "standin/world/world.h"

namespace direct_host {

// Build 4 has no engine functions and no console print.
enum class Engine { Present, Absent };

class BoundHost {
 public:
  // Binds the host as build 0 would, or as build 4 with `Engine::Absent`.
  explicit BoundHost(std::unique_ptr<standin::world::World> world = nullptr,
                     Engine engine = Engine::Present);
  BoundHost(const BoundHost&) = delete;
  BoundHost& operator=(const BoundHost&) = delete;
  // Leaves the plug-in as at load: every entry null and the build unresolved.
  ~BoundHost();

  standin::HostHeap& Heap() { return *heap_; }
  const standin::HostHeap& Heap() const { return *heap_; }
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
  // As if the host's own table held null at byte `offset`.
  void Clear_Slot(unsigned offset);
  // The host's byte that says whether the processor has SSE.
  void Bind_SSE_Flag(const volatile unsigned char* flag);

 private:
  void Bind_Heap();

  std::unique_ptr<standin::HostHeap> heap_;
  standin::ConsoleLog log_;
  standin::HostConsole console_{&log_};
  standin::ConsoleCommandList commands_{&log_};
  standin::ExtensionLibrary extensions_;
  standin::WindowsApiLog api_;
  standin::ScriptTable table_;
  std::unique_ptr<standin::world::World> world_;
  standin::HostContext context_;
};

}  // namespace direct_host
