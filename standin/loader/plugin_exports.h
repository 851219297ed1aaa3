// The plug-in's exports, called the way the ZORM loader calls them: by code that the
// host's compiler wrote (standin/msvc_host), cdecl, from a host-aligned stack in the
// host thread's floating-point state, with the stack pointer and that state checked
// around every call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/platform/command_caller.h"

namespace standin {

class PluginModule;

class PluginExports {
 public:
  // The thread the calls run on: stack alignment and floating-point state.
  void Set_Host_Thread(const HostThread& thread) { thread_ = thread; }
  // Finds the exports; false with the missing names in `error`.
  bool Bind(const PluginModule& module, std::string* error);

  int Dll_Main(void* module, std::uint32_t reason, void* reserved);
  bool Check_Version(void* ignored, void* version_report);
  void Plugin_Load(void* extension_module, std::uint32_t opaque, void* loader_object, void* fourth,
                   void* plugin_info);
  void Set_Request_Destroy_Func(void* callback);
  bool Set_Script_Commands(void** location);
  void* Create_Script(const char* name);
  void Plugin_Unload();

  // Where Create_Script sits in the loaded module: an anchor for telling apart
  // addresses inside the module (its tables, say) from one loaded copy to the next.
  const void* Create_Script_Entry() const { return create_script_; }

  // One line for every export call that did not leave the stack as cdecl must or the
  // thread's floating-point state as the host set it, or that found no such export.
  const std::vector<std::string>& Stack_Errors() const { return stack_errors_; }

 private:
  bool Present(const char* name, const void* function);
  void Check(const char* name, const HostCodeRun& run, bool winapi = false);

  const void* dll_main_ = nullptr;
  bool windows_entry_ = false;  // DllMain of a Windows DLL: WINAPI
  const void* check_version_ = nullptr;
  const void* plugin_load_ = nullptr;
  const void* set_request_destroy_func_ = nullptr;
  const void* set_script_commands_ = nullptr;
  const void* create_script_ = nullptr;
  const void* plugin_unload_ = nullptr;
  std::vector<std::string> stack_errors_;
  HostThread thread_;
};

}  // namespace standin
