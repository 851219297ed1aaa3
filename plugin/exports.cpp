#include "plugin/exports.h"

#include "commands/registration.h"
#include "host/host_variant.h"
#include "host/platform_api.h"
#include "host/script_commands.h"
#include "plugin/host_string.h"
#include "plugin/loader_records.h"
#include "plugin/version.h"

namespace {

constexpr std::uint32_t Process_Attach = 1;
constexpr const char* Framework_Version = "2.0.2";
constexpr const char* Plugin_Name = "Quillon Plugin";
constexpr const char* Plugin_Version = QUILLON_VERSION_TEXT;

int Attach(void* module, std::uint32_t reason) {
  if (reason != Process_Attach) return 1;
  platform::Disable_Thread_Notifications(module);
  // Loading never fails the host; an unbound plug-in simply declines to work.
  if (host::HostVariant == host::Build_Unresolved) host::Engine_Init();
  return 1;
}

// In an unrecognised build the plug-in cannot allocate and the registration addresses
// may hold anything: it keeps the table pointer and declines to bind or register.
bool Bind_And_Register() {
  if (host::HostVariant == host::Build_Unresolved) return false;
  if (!host::Is_Table_Accepted(*host::Script_Commands)) return false;
  host::Bind_Extension_Functions();
  commands::Register_Console_Commands();
  return true;
}

}  // namespace

extern "C" {

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return Attach(module, reason) ? TRUE : FALSE;
}
#else
int DllMain(void* module, std::uint32_t reason, void*) { return Attach(module, reason); }
#endif

bool ZORM_Check_Version(void*, void* version_report) {
  if (version_report == nullptr) return true;
  // A version text the host heap cannot hold leaves the record as it was; the flag is
  // cleared either way and the answer stays yes.
  auto* report = static_cast<plugin::VersionReport*>(version_report);
  static_cast<void>(
      plugin::Assign(*plugin::version_report::Framework_Version.In(report), Framework_Version));
  *plugin::version_report::Flag.In(report) = 0;
  return true;
}

void ZORM_Plugin_Load(void* extension_module, std::uint32_t, void*, void*, void* plugin_info) {
  // A text the host heap cannot hold leaves its string as it was, and the next is
  // still tried.
  if (plugin_info != nullptr) {
    auto* info = static_cast<plugin::PluginInfo*>(plugin_info);
    static_cast<void>(plugin::Assign(*plugin::plugin_info::Name.In(info), Plugin_Name));
    static_cast<void>(plugin::Assign(*plugin::plugin_info::Version.In(info), Plugin_Version));
  }
  host::Extension_Module = extension_module;
}

void ZORM_Plugin_Unload() {
  // Nothing to release: the command objects stay in the host's list for good.
}

void Set_Request_Destroy_Func(void*) {}

bool Set_Script_Commands(host::ScriptCommandTable** table_location) {
  if (table_location == nullptr || *table_location == nullptr) return false;
  host::Script_Commands = *table_location;
  return Bind_And_Register();
}

void* Create_Script(const char*) { return nullptr; }

}  // extern "C"
