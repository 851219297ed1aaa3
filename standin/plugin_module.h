// The plug-in module as the operating system loads it. Linux: each load dlopens a
// fresh private copy of the shared object, so every boot starts with fresh module
// state, and keeps every copy mapped until the process ends; the stand-in then runs
// the module entry itself, as the Windows loader would. Windows: LoadLibrary (which
// runs the entry) and FreeLibrary, with the module's imports of GetProcAddress and
// MessageBoxA pointed at the stand-in.
#pragma once

#include <string>
#include <vector>

namespace standin {

class PluginModule {
 public:
  PluginModule() = default;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  ~PluginModule() { Unload(); }

  bool Load(const std::string& path, std::string* error);
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }

  // The handle the plug-in knows itself by (the module handle its entry receives).
  void* Handle() const { return handle_; }
  const void* Export(const char* name) const;
  // True where the system loader has already run the module entry during Load.
  static bool Loader_Runs_Entry();
  // Imports the stand-in redirected to its recording functions (Windows only).
  const std::vector<std::string>& Redirected_Imports() const { return redirected_; }

 private:
  void* handle_ = nullptr;
  std::vector<std::string> redirected_;
};

}  // namespace standin
