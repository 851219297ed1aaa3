// The Windows functions a DLL mapped by PeImage imports, played by the stand-in on
// Linux: KERNEL32's DisableThreadLibraryCalls, GetModuleHandleExW, GetProcAddress and
// VirtualQuery, USER32's MessageBoxA. They are stdcall, as on Windows, and record
// every call as the stand-in's other Windows functions do (windows_api.h).
#pragma once

#include <string>

namespace standin {

class PeImage;

namespace pe_windows_api {

// The stand-in's function for `library`!`function` (names as an import table has them,
// the library's in any case), or null when it provides none.
const void* Resolve(const std::string& library, const std::string& function);

// A module whose addresses GetModuleHandleExW knows, from its mapping to its release.
void Register_Module(const PeImage* image);
void Unregister_Module(const PeImage* image);
// Whether the module has pinned itself through GetModuleHandleExW.
bool Is_Pinned(const PeImage* image);

}  // namespace pe_windows_api

}  // namespace standin
