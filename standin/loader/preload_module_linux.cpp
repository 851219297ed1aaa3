#include <dlfcn.h>

#include "standin/loader/preload_module.h"

namespace standin {

// Global symbols, as a shared runtime library a neighbour brings would have them.
bool Preload_Module(const std::string& path, std::string* error) {
  if (dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr) return true;
  const char* reason = dlerror();
  *error = "cannot load " + path + ": " + (reason != nullptr ? reason : "?");
  return false;
}

bool Is_Module_Loaded(const std::string& file_name) {
  return dlopen(file_name.c_str(), RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

}  // namespace standin
