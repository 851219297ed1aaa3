// The few Windows functions the plug-in calls, all of them from KERNEL32 and USER32.
// In the native Linux build the process that loads the plug-in (the stand-in server)
// provides them.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
extern "C" {
int DisableThreadLibraryCalls(void* module);
int GetModuleHandleExW(unsigned flags, const void* name_or_address, void** module);
void* GetProcAddress(void* module, const char* name);
int MessageBoxA(void* owner, const char* text, const char* caption, unsigned style);
}
#endif

namespace platform {

// Windows hands module handles around as HMODULE; the plug-in keeps them opaque.
using Module = void*;

inline void Disable_Thread_Notifications(Module module) {
#ifdef _WIN32
  DisableThreadLibraryCalls(static_cast<HMODULE>(module));
#else
  DisableThreadLibraryCalls(module);
#endif
}

// Keeps this module mapped until the process ends. The host keeps our command objects
// for good, and calls them, and deletes them when it shuts down, after its loader has
// released every module it loaded: their code must still be there. Once pinned, no
// FreeLibrary unmaps the module. The module is found by an address inside it.
inline void Keep_Module_Loaded() {
  constexpr unsigned Pin = 0x1;           // GET_MODULE_HANDLE_EX_FLAG_PIN
  constexpr unsigned From_Address = 0x4;  // GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
  const void* inside = reinterpret_cast<const void*>(&Keep_Module_Loaded);
#ifdef _WIN32
  HMODULE self = nullptr;
  GetModuleHandleExW(Pin | From_Address, static_cast<LPCWSTR>(inside), &self);
#else
  void* self = nullptr;
  GetModuleHandleExW(Pin | From_Address, inside, &self);
#endif
}

inline void* Find_Function(Module module, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
#else
  return GetProcAddress(module, name);
#endif
}

// An OK box with the warning icon and no owner window.
inline void Show_Warning(const char* text, const char* caption) {
  constexpr unsigned Ok_With_Warning_Icon = 0x30;
  MessageBoxA(nullptr, text, caption, Ok_With_Warning_Icon);
}

}  // namespace platform
