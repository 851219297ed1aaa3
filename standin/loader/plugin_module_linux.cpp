#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "standin/loader/plugin_module.h"

namespace standin {

namespace {

// Copies the shared object to a new temporary file and returns its path.
bool Make_Private_Copy(const std::string& path, std::string* copy, std::string* error) {
  std::ifstream source(path, std::ios::binary);
  if (!source) {
    *error = "cannot read the plug-in " + path;
    return false;
  }
  const char* directory = std::getenv("TMPDIR");
  std::string name =
      std::string(directory != nullptr ? directory : "/tmp") + "/quillon-standin-XXXXXX.so";
  const int descriptor = mkstemps(&name[0], 3);
  if (descriptor < 0) {
    *error = std::string("cannot create a private copy of the plug-in: ") + std::strerror(errno);
    return false;
  }
  close(descriptor);
  std::ofstream target(name, std::ios::binary | std::ios::trunc);
  target << source.rdbuf();
  target.close();
  if (!target) {
    unlink(name.c_str());
    *error = "cannot write the private copy " + name;
    return false;
  }
  *copy = name;
  return true;
}

}  // namespace

bool PluginModule::Load(const std::string& path, std::string* error) {
  Unload();
  std::string copy;
  if (!Make_Private_Copy(path, &copy, error)) return false;
  handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  unlink(copy.c_str());  // the mapping stays; nothing is left behind on disk
  copy_ = copy;
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load the plug-in: " + std::string(reason != nullptr ? reason : "?");
    return false;
  }
  return true;
}

void PluginModule::Unload() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

// The loader still knows the copy by the name it was opened under, file gone or not.
bool PluginModule::Still_Mapped() const {
  if (copy_.empty()) return false;
  void* handle = dlopen(copy_.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

const void* PluginModule::Export(const char* name) const {
  return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

bool PluginModule::Loader_Runs_Entry() { return false; }

}  // namespace standin
