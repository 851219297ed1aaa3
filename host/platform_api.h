// The few Windows functions the plug-in calls. In the native Linux build the process
// that loads the plug-in (the stand-in server) provides them.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
extern "C" {
int DisableThreadLibraryCalls(void* module);
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
