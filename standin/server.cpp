#include "standin/server.h"

#include "standin/host_functions.h"
#include "standin/preload_module.h"
#include "standin/world/world.h"

namespace standin {

namespace {

// What the loader passes where the plug-in is told to ignore the value.
void* const Ignored_Argument = reinterpret_cast<void*>(0xBAADF00Du);
constexpr std::uint32_t Opaque_Load_Value = 0x0005EED5u;
constexpr std::uint32_t Process_Attach = 1;

}  // namespace

Server::Server(Server_Options options)
    : options_(std::move(options)),
      console_(&log_),
      commands_(&log_),
      table_(options_.table_size, options_.table_version),
      context_{&heap_, &console_, &commands_, &extensions_, &api_, &world_},
      version_report_(version_report::Bytes, {version_report::Framework_Version},
                      {version_report::Flag}),
      plugin_info_(plugin_info::Bytes, {plugin_info::Name, plugin_info::Version}, {}) {
  console_.Set_Echo(options_.echo);
  exports_.Set_Stack_Skew(options_.stack_skew);
  for (const std::string& name : options_.missing_extensions) extensions_.Leave_Out(name);
  for (std::uint64_t ordinal : options_.failing_allocations) heap_.Fail_Allocation(ordinal);
  if (options_.players) world_.Populate_Default();
}

Server::~Server() { Shutdown(); }

void Server::Say(const std::string& line) {
  operator_lines_.push_back(line);
  if (options_.echo) options_.echo(line);
}

bool Server::Prepare_Host() {
  if (Active_Host() != nullptr) {
    error_ = "another stand-in server is running in this process";
    return false;
  }
  if (!image_.Open(&error_)) return false;
  image_.Reset();
  if (options_.build == Host_Build::None) Write_Near_Miss_Signatures(&image_);
  Bind_Host_Functions(&image_, options_.build, options_.sse);
  Host_World::Bind(&image_, options_.build);
  if (options_.unreadable_probes && !image_.Set_Probes_Readable(false)) {
    error_ = "cannot make the build probe pages unreadable";
    return false;
  }
  Set_Active_Host(&context_);
  world::Set_Active_World(&world_.Players());
  active_ = true;
  return true;
}

bool Server::Load_Module(const std::string& plugin_path) {
  if (!Prepare_Host()) return false;
  for (const std::string& neighbour : options_.preload) {
    if (!Preload_Module(neighbour, &error_)) return false;
  }
  if (!module_.Load(plugin_path, &error_) || !exports_.Bind(module_, &error_)) return false;
  if (Plugin_Module::Loader_Runs_Entry()) {
    report_.entry_result = 1;  // the system loader ran it; a failed entry fails the load
  } else {
    report_.entry_result = exports_.Dll_Main(module_.Handle(), Process_Attach, nullptr);
  }
  return true;
}

void Server::Play_Loader() {
  report_.check_version = exports_.Check_Version(Ignored_Argument, version_report_.Data());
  report_.framework_version = version_report_.String_At(version_report::Framework_Version, heap_);
  exports_.Plugin_Load(Extension_Library::Module_Handle(), Opaque_Load_Value,
                       traps_.Loader_Object(), Ignored_Argument, plugin_info_.Data());
  report_.plugin_name = plugin_info_.String_At(plugin_info::Name, heap_);
  report_.plugin_version = plugin_info_.String_At(plugin_info::Version, heap_);
  Say("ZORM: " + report_.plugin_name.text + " " + report_.plugin_version.text +
      " loaded (framework " + report_.framework_version.text + ")\n");
  exports_.Set_Request_Destroy_Func(traps_.Destroy_Callback());
  const std::size_t boxes_before = api_.boxes.size();
  report_.script_commands = exports_.Set_Script_Commands(table_.Location());
  // The boxes would stop the host until dismissed; here they are shown and answered OK.
  for (std::size_t i = boxes_before; i < api_.boxes.size(); ++i) {
    Say("Warning box \"" + api_.boxes[i].caption + "\": " + api_.boxes[i].text + "\n");
  }
  if (!report_.script_commands) {
    Say("ZORM: " + report_.plugin_name.text + " refused the script command table\n");
  }
}

bool Server::Boot(const std::string& plugin_path) {
  if (!Load_Module(plugin_path)) return false;
  Play_Loader();
  return true;
}

void Server::Shutdown() {
  if (!active_) return;
  if (module_.Loaded()) exports_.Plugin_Unload();
  commands_.Drop_All();
  version_report_.Release_Strings(&heap_);
  plugin_info_.Release_Strings(&heap_);
  heap_.Check();
  module_.Unload();
  image_.Set_Probes_Readable(true);
  world::Set_Active_World(nullptr);
  Set_Active_Host(nullptr);
  active_ = false;
}

void Server::Check_Popped(const char* what, const Host_Call& call, std::int32_t expected) {
  if (call.popped == expected) return;
  call_errors_.push_back(std::string(what) + " removed " + std::to_string(call.popped) +
                         " bytes of arguments instead of " + std::to_string(expected));
}

const char* Server::Command_Text(void* command, unsigned slot) {
  const Host_Call call = Call_Virtual_Slot(command, slot, {}, options_.stack_skew);
  Check_Popped("a command's text slot", call, 0);
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(call.result));
}

void Server::Activate(void* command, const char* text) {
  const Host_Call call =
      Call_Virtual_Slot(command, command_slot::Activate, {Word(text)}, options_.stack_skew);
  Check_Popped("Activate", call, 4);
  heap_.Check();
}

void Server::Delete_Command(void* command, unsigned flags) {
  const Host_Call call =
      Call_Virtual_Slot(command, command_slot::Delete, {flags}, options_.stack_skew);
  Check_Popped("the deleting destructor", call, 4);
}

}  // namespace standin
