// The seven entry points the loader and Windows call. All but DllMain are plain cdecl
// functions exported under their own names.
#pragma once

#include <cstdint>

#include "host/script_commands.h"

#ifdef _WIN32
#include <windows.h>
#define QUILLON_EXPORT
#else
#define QUILLON_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

#ifdef _WIN32
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
#else
// Linux build: the process that loads the plug-in calls this as Windows would.
QUILLON_EXPORT int DllMain(void* module, std::uint32_t reason, void* reserved);
#endif

QUILLON_EXPORT bool ZORM_Check_Version(void* ignored, void* version_report);
QUILLON_EXPORT void ZORM_Plugin_Load(void* extension_module, std::uint32_t opaque,
                                     void* loader_object, void* fourth, void* plugin_info);
QUILLON_EXPORT void ZORM_Plugin_Unload();
QUILLON_EXPORT void Set_Request_Destroy_Func(void* callback);
QUILLON_EXPORT bool Set_Script_Commands(host::ScriptCommandTable** table_location);
QUILLON_EXPORT void* Create_Script(const char* type_name);

}  // extern "C"
