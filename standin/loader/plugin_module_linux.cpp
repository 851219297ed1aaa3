#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "standin/loader/pe_windows_api.h"
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

bool Read_File(const std::string& path, std::vector<unsigned char>* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// The Windows entry point: DllMain(module, reason, reserved), stdcall, a BOOL back.
using DllEntry = int(__attribute__((stdcall)) *)(void*, unsigned, void*);
constexpr unsigned Process_Detach = 0;
constexpr unsigned Process_Attach = 1;

int Run_Entry(const PeImage& image, unsigned reason) {
  const auto entry = reinterpret_cast<DllEntry>(const_cast<void*>(image.Entry()));
  return entry != nullptr ? entry(image.Base(), reason, nullptr) : 1;
}

// Pinned modules stay mapped until the process ends, whoever loaded them.
std::vector<std::unique_ptr<PeImage>>& Pinned_For_Good() {
  static std::vector<std::unique_ptr<PeImage>> pinned;
  return pinned;
}

}  // namespace

void PluginModule::Hold_System_Modules() {}

bool PluginModule::Load(const std::string& path, std::string* error) {
  Unload();
  std::vector<unsigned char> file;
  if (!Read_File(path, &file)) {
    *error = "cannot read the plug-in " + path;
    return false;
  }
  last_was_dll_ = PeImage::Looks_Like_Pe(file);
  if (last_was_dll_) return Load_Windows_Dll(file, error);
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

// As the Windows loader maps a DLL: a fresh image, its imports bound to the stand-in,
// then its entry run for the attach; an entry that answers FALSE fails the load, and
// the module goes again.
bool PluginModule::Load_Windows_Dll(const std::vector<unsigned char>& file, std::string* error) {
  dll_pinned_ = false;
  auto image = std::make_unique<PeImage>();
  std::string reason;
  if (!image->Map(file, &pe_windows_api::Resolve, &reason)) {
    *error = "cannot load the plug-in: " + reason;
    return false;
  }
  dll_ = std::move(image);
  pe_windows_api::Register_Module(dll_.get());
  handle_ = dll_->Base();
  redirected_.clear();
  for (const std::string& import : dll_->Imports()) {
    redirected_.push_back(import.substr(import.find('!') + 1));
  }
  if (Run_Entry(*dll_, Process_Attach) == 0) {
    Unload_Windows_Dll();
    *error = "cannot load the plug-in: its entry point failed the attach";
    return false;
  }
  return true;
}

// FreeLibrary: the entry runs for the detach and the image goes, unless the module
// pinned itself; then nothing happens, and it stays for the rest of the process.
void PluginModule::Unload_Windows_Dll() {
  dll_pinned_ = pe_windows_api::Is_Pinned(dll_.get());
  if (dll_pinned_) {
    Pinned_For_Good().push_back(std::move(dll_));  // still registered: still the module
  } else {
    Run_Entry(*dll_, Process_Detach);
    pe_windows_api::Unregister_Module(dll_.get());
    dll_.reset();
  }
  handle_ = nullptr;
}

void PluginModule::Unload() {
  if (dll_ != nullptr) {
    Unload_Windows_Dll();
    return;
  }
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

// The loader still knows the copy by the name it was opened under, file gone or not.
bool PluginModule::Still_Mapped() const {
  if (last_was_dll_) return dll_ != nullptr || dll_pinned_;
  if (copy_.empty()) return false;
  void* handle = dlopen(copy_.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

const void* PluginModule::Export(const char* name) const {
  if (dll_ != nullptr) return dll_->Export(name);
  return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

bool PluginModule::Loader_Runs_Entry() const { return last_was_dll_; }

}  // namespace standin
