// The stand-in game server: it plays the host executable at its fixed addresses,
// the ZORM loader that drives the plug-in's exports, the extension library and the
// host console that runs the plug-in's commands. One server runs at a time in a
// process, because the host's addresses are fixed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "standin/console/console_log.h"
#include "standin/console/host_console.h"
#include "standin/heap/host_heap.h"
#include "standin/image/console_command_list.h"
#include "standin/image/host_context.h"
#include "standin/image/host_image.h"
#include "standin/image/host_layout.h"
#include "standin/image/host_world.h"
#include "standin/loader/loader_record.h"
#include "standin/loader/loader_traps.h"
#include "standin/loader/plugin_exports.h"
#include "standin/loader/plugin_module.h"
#include "standin/loader/windows_api.h"
#include "standin/platform/command_caller.h"
#include "standin/scripts/extension_library.h"
#include "standin/scripts/script_table.h"

namespace standin {

// The players a server starts with and gets back on `reset`.
enum class StartingWorld {
  Empty,       // Find_Player finds nobody, Find_Definition_By_Name no preset
  Players,     // the operator's default world (World::Default)
  OddPlayers,  // those and players whose host data is odd (World::With_Odd_Players)
};

struct ServerOptions {
  HostBuild build = HostBuild::Build_0;
  bool unreadable_probes = false;               // the pages of the three build probes
  std::vector<std::string> missing_extensions;  // names vkl.dll lacks
  std::uint32_t table_size = Script_Table_Bytes;
  std::uint32_t table_version = Script_Table_Version;
  bool sse = true;  // the host's SSE flag byte
  StartingWorld world = StartingWorld::Empty;
  std::vector<std::uint64_t> failing_allocations;  // host allocations that return null
  unsigned stack_skew = Host_Stack_Skew;           // stack alignment of calls into the plug-in
  bool dirty_booleans = false;  // yes/no answers with garbage above AL (see world_functions.h)
  std::function<void(const std::string&)> echo;  // operator output, as it happens
  std::vector<std::string> preload;              // modules of other plug-ins, loaded before ours
  bool exact_listing = false;      // `players` lists floats by their bits (world/exact_listing.h)
  std::size_t console_width = 80;  // columns `help` and `players` lay their lines out for
  // The floating-point state the host's threads call the plug-in in, by its name in
  // standin/platform/fpu_control.h (Host_Thread_States).
  std::string fpu = "host";
  bool look_while_adding = false;  // the console list calls each command as it adds it
};

// What the loader sequence returned and what it found in its records.
struct BootReport {
  int entry_result = 0;  // the module entry at process attach
  bool check_version = false;
  bool script_commands = false;
  HostStringContents framework_version;
  HostStringContents plugin_name;
  HostStringContents plugin_version;
};

class Server {
 public:
  explicit Server(ServerOptions options = {});
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;
  ~Server();

  // Prepares the host, loads the plug-in and plays the loader sequence. False when
  // the plug-in could not be loaded at all (see Error()); a plug-in that refuses the
  // script table still boots.
  bool Boot(const std::string& plugin_path);
  // Loads the module and runs its entry, without the loader sequence.
  bool Load_Module(const std::string& plugin_path);
  // ZORM_Check_Version, ZORM_Plugin_Load, Set_Request_Destroy_Func, Set_Script_Commands.
  void Play_Loader();
  // ZORM_Plugin_Unload, FreeLibrary, then the console deletes every command it holds.
  void Shutdown();

  // One console line as an operator types it.
  void Execute_Line(const std::string& line);
  // The plug-in's registered command whose name matches `keyword`, or null.
  void* Find_Command(const std::string& keyword);
  bool Quit_Requested() const { return quit_requested_; }

  const std::string& Error() const { return error_; }
  const BootReport& Report() const { return report_; }
  const ServerOptions& Options() const { return options_; }
  HostHeap& Heap() { return heap_; }
  HostConsole& Console() { return console_; }
  ConsoleCommandList& Commands() { return commands_; }
  const ConsoleLog& Log() const { return log_; }
  ScriptTable& Table() { return table_; }
  ExtensionLibrary& Extensions() { return extensions_; }
  const WindowsApiLog& Api() const { return api_; }
  const HostWorld& World() const { return world_; }
  HostWorld& World() { return world_; }
  PluginModule& Module() { return module_; }
  PluginExports& Exports() { return exports_; }
  const PluginExports& Exports() const { return exports_; }
  LoaderRecord& Version_Report() { return version_report_; }
  LoaderRecord& Plugin_Info() { return plugin_info_; }
  const LoaderTraps& Traps() const { return traps_; }
  HostImage& Image() { return image_; }
  // Lines the server itself showed the operator (not the plug-in's prints).
  const std::vector<std::string>& Operator_Lines() const { return operator_lines_; }
  // One line for each call into a command that did not leave the stack as the
  // host's calling convention requires, and for each call (loading the module too)
  // that did not give the host thread its floating-point state back.
  const std::vector<std::string>& Call_Errors() const { return call_errors_; }
  // The thread the host's calls into the plug-in run on.
  const HostThread& Host_Thread() const { return thread_; }

  // The host's calls of a command's slots, compiled for the host's ABI, with the stack
  // checked. Deleting with flags bit 0 clear only destroys the object.
  const char* Command_Text(void* command, unsigned slot);
  void Activate(void* command, const char* text);
  void Delete_Command(void* command, unsigned flags);

  // Gives the world its starting players back, as the console's `reset` does.
  void Reset_World();

 private:
  bool Prepare_Host();
  void Say(const std::string& line);
  void Check_Call(const char* what, const HostCodeRun& run);
  void Check_Fpu(const char* what, const std::string& fault);
  void Print_Help();
  void List_Players();
  void Show_Heap_Damage();

  ServerOptions options_;
  std::string error_;
  BootReport report_;
  HostImage image_;
  HostHeap heap_;
  ConsoleLog log_;
  HostConsole console_;
  ConsoleCommandList commands_;
  ScriptTable table_;
  ExtensionLibrary extensions_;
  WindowsApiLog api_;
  HostWorld world_;
  HostContext context_;
  PluginModule module_;
  PluginExports exports_;
  LoaderRecord version_report_;
  LoaderRecord plugin_info_;
  LoaderTraps traps_;
  std::vector<std::string> operator_lines_;
  std::vector<std::string> call_errors_;
  HostThread thread_;
  std::uint16_t outer_fpu_control_ = 0;  // the process's own, put back at shutdown
  bool active_ = false;
  bool quit_requested_ = false;
  std::size_t heap_errors_shown_ = 0;
};

}  // namespace standin
