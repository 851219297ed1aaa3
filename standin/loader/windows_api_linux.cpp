// On Linux the plug-in reaches these Windows functions as undefined symbols that the
// stand-in executable exports; they keep the Windows names and C linkage.
#include <dlfcn.h>

#include "standin/loader/windows_api.h"
#include "standin/platform/host_entry.h"

extern "C" {

STANDIN_HOST_ENTRY int DisableThreadLibraryCalls(void* module) {
  const standin::StandinFpuScope own_fpu;
  standin::windows_api::Disable_Thread_Library_Calls(module);
  return 1;
}

STANDIN_HOST_ENTRY void* GetProcAddress(void* module, const char* name) {
  const standin::StandinFpuScope own_fpu;
  bool handled = false;
  return const_cast<void*>(standin::windows_api::Get_Proc_Address(module, name, &handled));
}

STANDIN_HOST_ENTRY int MessageBoxA(void* owner, const char* text, const char* caption,
                                   unsigned style) {
  const standin::StandinFpuScope own_fpu;
  return standin::windows_api::Message_Box(owner, text, caption, style);
}

// Only the form the plug-in uses: pin the module that holds an address. The loaded
// copy of a shared object that holds it is marked to stay until the process ends, as
// a pinned Windows module stays whatever FreeLibrary is called. The handle given back
// is the module's base address.
STANDIN_HOST_ENTRY int GetModuleHandleExW(unsigned flags, const void* name, void** module) {
  constexpr unsigned Pin = 0x1;
  constexpr unsigned From_Address = 0x4;
  if (module != nullptr) *module = nullptr;
  Dl_info found = {};
  const bool by_address = (flags & From_Address) != 0;
  const bool inside_module = by_address && dladdr(name, &found) != 0 && found.dli_fname != nullptr;
  bool pinned = false;
  if (inside_module && (flags & Pin) != 0) {
    // The name matches the loaded copy even where its file is already gone.
    void* handle = dlopen(found.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    pinned = handle != nullptr;
    if (pinned) dlclose(handle);
  }
  standin::windows_api::Record_Pin({flags, name, pinned});
  if (inside_module && module != nullptr) *module = found.dli_fbase;
  return inside_module ? 1 : 0;
}

}  // extern "C"
