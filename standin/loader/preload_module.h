// Other modules of the server process, loaded before the plug-in: a real server holds
// other plug-ins and the runtime libraries they bring (mingw's shared
// libgcc_s_dw2-1.dll, say), and the plug-in must work beside them. A module loaded
// here stays loaded for the life of the process, as a neighbour plug-in would.
#pragma once

#include <string>

namespace standin {

// Loads the module at `path` (a Unix path is reached through drive Z: under Wine).
// False, with the reason in `error`, when it cannot be loaded.
bool Preload_Module(const std::string& path, std::string* error);

// Windows build: the path as the Windows loader takes it. Wine reaches a Unix absolute
// path through drive Z:.
std::string Windows_Path(const std::string& path);

// Whether a module of that file name (no folder) is loaded in the process.
bool Is_Module_Loaded(const std::string& file_name);

}  // namespace standin
