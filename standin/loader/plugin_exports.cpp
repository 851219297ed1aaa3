#include "standin/loader/plugin_exports.h"

#include "standin/loader/plugin_module.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/platform/command_caller.h"

namespace standin {

bool PluginExports::Bind(const PluginModule& module, std::string* error) {
  struct Wanted {
    const char* name;
    const void** slot;
  };
  const Wanted wanted[] = {
      {"ZORM_Check_Version", &check_version_},
      {"ZORM_Plugin_Load", &plugin_load_},
      {"Set_Request_Destroy_Func", &set_request_destroy_func_},
      {"Set_Script_Commands", &set_script_commands_},
      {"Create_Script", &create_script_},
      {"ZORM_Plugin_Unload", &plugin_unload_},
      {"DllMain", &dll_main_},
  };
  std::string missing;
  windows_entry_ = module.Loader_Runs_Entry();
  for (const Wanted& export_entry : wanted) {
    *export_entry.slot = module.Export(export_entry.name);
    const bool optional = export_entry.slot == &dll_main_ && module.Loader_Runs_Entry();
    if (*export_entry.slot == nullptr && !optional) missing += std::string(" ") + export_entry.name;
  }
  if (!missing.empty()) *error = "the plug-in lacks the exports" + missing;
  return missing.empty();
}

bool PluginExports::Present(const char* name, const void* function) {
  if (function != nullptr) return true;
  stack_errors_.push_back(std::string(name) + " called, but the plug-in does not export it");
  return false;
}

// The stack error of a compiled call: after a cdecl export the stack pointer must be
// where it was, after a WINAPI entry the arguments must be gone.
void PluginExports::Check(const char* name, const HostCodeRun& run, bool winapi) {
  if (run.stack_error != 0) {
    stack_errors_.push_back(
        std::string(name) + " left the stack " + std::to_string(run.stack_error) + " bytes off; " +
        (winapi ? "a WINAPI entry removes its arguments" : "a cdecl export removes no arguments"));
  }
  if (!run.fpu_fault.empty()) stack_errors_.push_back(std::string(name) + ": " + run.fpu_fault);
}

int PluginExports::Dll_Main(void* module, std::uint32_t reason, void* reserved) {
  std::int32_t result = 0;
  if (Present("DllMain", dll_main_)) {
    Check("DllMain",
          Run_Host_Code(windows_entry_ ? &Host_Call_Windows_Dll_Main : &Host_Call_Dll_Main, thread_,
                        dll_main_, module, reason, reserved, &result),
          windows_entry_);
  }
  return result;
}

bool PluginExports::Check_Version(void* ignored, void* version_report) {
  std::uint8_t result = 0;
  if (Present("ZORM_Check_Version", check_version_)) {
    Check("ZORM_Check_Version", Run_Host_Code(&Host_Call_Check_Version, thread_, check_version_,
                                              ignored, version_report, &result));
  }
  return result != 0;
}

void PluginExports::Plugin_Load(void* extension_module, std::uint32_t opaque, void* loader_object,
                                void* fourth, void* plugin_info) {
  if (!Present("ZORM_Plugin_Load", plugin_load_)) return;
  Check("ZORM_Plugin_Load",
        Run_Host_Code(&Host_Call_Plugin_Load, thread_, plugin_load_, extension_module, opaque,
                      loader_object, fourth, plugin_info));
}

void PluginExports::Set_Request_Destroy_Func(void* callback) {
  if (!Present("Set_Request_Destroy_Func", set_request_destroy_func_)) return;
  Check("Set_Request_Destroy_Func", Run_Host_Code(&Host_Call_Set_Request_Destroy_Func, thread_,
                                                  set_request_destroy_func_, callback));
}

bool PluginExports::Set_Script_Commands(void** location) {
  std::uint8_t result = 0;
  if (Present("Set_Script_Commands", set_script_commands_)) {
    Check("Set_Script_Commands", Run_Host_Code(&Host_Call_Set_Script_Commands, thread_,
                                               set_script_commands_, location, &result));
  }
  return result != 0;
}

void* PluginExports::Create_Script(const char* name) {
  void* result = nullptr;
  if (Present("Create_Script", create_script_)) {
    Check("Create_Script",
          Run_Host_Code(&Host_Call_Create_Script, thread_, create_script_, name, &result));
  }
  return result;
}

void PluginExports::Plugin_Unload() {
  if (!Present("ZORM_Plugin_Unload", plugin_unload_)) return;
  Check("ZORM_Plugin_Unload", Run_Host_Code(&Host_Call_Plugin_Unload, thread_, plugin_unload_));
}

}  // namespace standin
