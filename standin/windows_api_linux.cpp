// On Linux the plug-in reaches these Windows functions as undefined symbols that the
// stand-in executable exports; they keep the Windows names and C linkage.
#include "standin/host_entry.h"
#include "standin/windows_api.h"

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

}  // extern "C"
