#include "standin/plugin_exports.h"

#include "standin/command_caller.h"
#include "standin/plugin_module.h"

namespace standin {

namespace {

// A bool comes back in AL; the rest of EAX is undefined.
bool As_Bool(std::uint32_t eax) { return (eax & 0xFF) != 0; }

}  // namespace

bool Plugin_Exports::Bind(const Plugin_Module& module, std::string* error) {
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
  for (const Wanted& export_entry : wanted) {
    *export_entry.slot = module.Export(export_entry.name);
    const bool optional = export_entry.slot == &dll_main_ && Plugin_Module::Loader_Runs_Entry();
    if (*export_entry.slot == nullptr && !optional) missing += std::string(" ") + export_entry.name;
  }
  if (!missing.empty()) *error = "the plug-in lacks the exports" + missing;
  return missing.empty();
}

std::uint32_t Plugin_Exports::Call(const char* name, const void* function,
                                   std::initializer_list<std::uint32_t> arguments) {
  if (function == nullptr) {
    stack_errors_.push_back(std::string(name) + " called, but the plug-in does not export it");
    return 0;
  }
  const Host_Call call = Call_Host_Style(function, Cdecl_Ecx(), arguments, skew_);
  if (call.popped != 0) {
    stack_errors_.push_back(std::string(name) + " removed " + std::to_string(call.popped) +
                            " bytes of arguments; a cdecl export removes none");
  }
  return call.result;
}

int Plugin_Exports::Dll_Main(void* module, std::uint32_t reason, void* reserved) {
  return static_cast<int>(Call("DllMain", dll_main_, {Word(module), reason, Word(reserved)}));
}

bool Plugin_Exports::Check_Version(void* ignored, void* version_report) {
  return As_Bool(Call("ZORM_Check_Version", check_version_, {Word(ignored), Word(version_report)}));
}

void Plugin_Exports::Plugin_Load(void* extension_module, std::uint32_t opaque, void* loader_object,
                                 void* fourth, void* plugin_info) {
  Call("ZORM_Plugin_Load", plugin_load_,
       {Word(extension_module), opaque, Word(loader_object), Word(fourth), Word(plugin_info)});
}

void Plugin_Exports::Set_Request_Destroy_Func(void* callback) {
  Call("Set_Request_Destroy_Func", set_request_destroy_func_, {Word(callback)});
}

bool Plugin_Exports::Set_Script_Commands(void** location) {
  return As_Bool(Call("Set_Script_Commands", set_script_commands_, {Word(location)}));
}

void* Plugin_Exports::Create_Script(const char* name) {
  const std::uint32_t result = Call("Create_Script", create_script_, {Word(name)});
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(result));
}

void Plugin_Exports::Plugin_Unload() { Call("ZORM_Plugin_Unload", plugin_unload_, {}); }

}  // namespace standin
