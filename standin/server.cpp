#include "standin/server.h"

#include "standin/image/host_functions.h"
#include "standin/loader/preload_module.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/platform/fpu_control.h"
#include "standin/platform/host_thread_fpu.h"
#include "standin/world/world.h"
#include "standin/world/world_functions.h"

namespace standin {

namespace {

// What the loader passes where the plug-in is told to ignore the value.
void* const Ignored_Argument = reinterpret_cast<void*>(0xBAADF00Du);
constexpr std::uint32_t Opaque_Load_Value = 0x0005EED5u;
constexpr std::uint32_t Process_Attach = 1;

}  // namespace

Server::Server(ServerOptions options)
    : options_(std::move(options)),
      console_(&log_),
      commands_(&log_),
      table_(options_.table_size, options_.table_version),
      context_{&heap_, &console_, &commands_, &extensions_, &api_, &world_},
      version_report_(version_report::Bytes, {version_report::Framework_Version},
                      {version_report::Flag}),
      plugin_info_(plugin_info::Bytes, {plugin_info::Name, plugin_info::Version}, {}) {
  console_.Set_Echo(options_.echo);
  thread_.skew = options_.stack_skew;
  if (const NamedFpuState* named = Find_Fpu_State(options_.fpu.c_str())) thread_.fpu = named->state;
  exports_.Set_Host_Thread(thread_);
  commands_.Look_While_Adding(options_.look_while_adding);
  for (const std::string& name : options_.missing_extensions) extensions_.Leave_Out(name);
  for (std::uint64_t ordinal : options_.failing_allocations) heap_.Fail_Allocation(ordinal);
  Reset_World();
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
  if (Find_Fpu_State(options_.fpu.c_str()) == nullptr) {
    error_ = "no host thread floating-point state is named " + options_.fpu;
    return false;
  }
  if (!image_.Open(&error_)) return false;
  image_.Reset();
  if (options_.build == HostBuild::None) Write_Near_Miss_Signatures(&image_);
  Bind_Host_Functions(&image_, options_.build, options_.sse);
  HostWorld::Bind(&image_, options_.build);
  if (options_.unreadable_probes && !image_.Set_Probes_Readable(false)) {
    error_ = "cannot make the build probe pages unreadable";
    return false;
  }
  Set_Active_Host(&context_);
  world::Set_Active_World(&world_.Players());
  world::Set_Dirty_Booleans(options_.dirty_booleans);
  // The stand-in's own code keeps the process's state; only calls into the plug-in
  // run in the host thread's.
  outer_fpu_control_ = Fpu_Control();
  active_ = true;
  return true;
}

bool Server::Load_Module(const std::string& plugin_path) {
  if (!Prepare_Host()) return false;
  for (const std::string& neighbour : options_.preload) {
    if (!Preload_Module(neighbour, &error_)) return false;
  }
  PluginModule::Hold_System_Modules();
  // The system loader runs the module's start-up code (its entry, on Windows) on the
  // host thread that loads it.
  HostThreadFpu loading(thread_.fpu);
  const bool loaded = module_.Load(plugin_path, &error_);
  Check_Fpu("loading the module", loading.Finish());
  if (!loaded || !exports_.Bind(module_, &error_)) return false;
  if (module_.Loader_Runs_Entry()) {
    report_.entry_result = 1;  // the system loader ran it; a failed entry fails the load
  } else {
    report_.entry_result = exports_.Dll_Main(module_.Handle(), Process_Attach, nullptr);
  }
  return true;
}

void Server::Play_Loader() {
  report_.check_version = exports_.Check_Version(Ignored_Argument, version_report_.Data());
  report_.framework_version = version_report_.String_At(version_report::Framework_Version, heap_);
  exports_.Plugin_Load(ExtensionLibrary::Module_Handle(), Opaque_Load_Value, traps_.Loader_Object(),
                       Ignored_Argument, plugin_info_.Data());
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

// As a host shuts down: the loader unloads every plug-in and releases its module,
// then the console finalises its list and deletes every command object it holds,
// through slot 4, whoever created it.
void Server::Shutdown() {
  if (!active_) return;
  if (module_.Loaded()) exports_.Plugin_Unload();
  // The system loader runs the module's detach code on the host thread that releases it.
  HostThreadFpu releasing(thread_.fpu);
  module_.Unload();
  Check_Fpu("releasing the module", releasing.Finish());
  for (void* command : commands_.Commands()) Delete_Command(command, 1);
  commands_.Drop_All();
  version_report_.Release_Strings(&heap_);
  plugin_info_.Release_Strings(&heap_);
  heap_.Check();
  image_.Set_Probes_Readable(true);
  world::Set_Active_World(nullptr);
  world::Set_Dirty_Booleans(false);
  Set_Fpu_Control(outer_fpu_control_);
  Set_Active_Host(nullptr);
  active_ = false;
}

// A stack error is the stack pointer after a compiled host call minus the one before:
// positive when the callee removed more argument bytes than its convention says.
void Server::Check_Call(const char* what, const HostCodeRun& run) {
  const std::int32_t error = run.stack_error;
  if (error != 0) {
    call_errors_.push_back(std::string(what) + " left the stack " + std::to_string(error) +
                           " bytes off: the callee removed " + (error > 0 ? "more" : "fewer") +
                           " argument bytes than thiscall says");
  }
  Check_Fpu(what, run.fpu_fault);
}

void Server::Check_Fpu(const char* what, const std::string& fault) {
  if (!fault.empty()) call_errors_.push_back(std::string(what) + ": " + fault);
}

const char* Server::Command_Text(void* command, unsigned slot) {
  auto* call = slot == command_slot::Get_Name    ? &Host_Call_Command_Name
               : slot == command_slot::Get_Alias ? &Host_Call_Command_Alias
                                                 : &Host_Call_Command_Help;
  const char* text = nullptr;
  Check_Call("a command's text slot", Run_Host_Code(call, thread_, command, &text));
  return text;
}

void Server::Activate(void* command, const char* text) {
  Check_Call("Activate", Run_Host_Code(&Host_Call_Command_Activate, thread_, command, text));
  heap_.Check();
}

// The host deletes a command with `delete` (flags 1), or only destroys it with an
// explicit destructor call (flags 0); both reach slot 4.
void Server::Delete_Command(void* command, unsigned flags) {
  auto* call = (flags & 1u) != 0 ? &Host_Call_Command_Delete : &Host_Call_Command_Destroy;
  Check_Call("the deleting destructor", Run_Host_Code(call, thread_, command));
}

}  // namespace standin
