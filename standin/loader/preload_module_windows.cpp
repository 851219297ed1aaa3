#include <windows.h>

#include "standin/loader/preload_module.h"

namespace standin {

std::string Windows_Path(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string converted = "Z:" + path;
  for (char& c : converted) {
    if (c == '/') c = '\\';
  }
  return converted;
}

bool Preload_Module(const std::string& path, std::string* error) {
  if (LoadLibraryA(Windows_Path(path).c_str()) != nullptr) return true;
  *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool Is_Module_Loaded(const std::string& file_name) {
  return GetModuleHandleA(file_name.c_str()) != nullptr;
}

}  // namespace standin
