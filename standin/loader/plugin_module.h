// The plug-in module as the operating system loads it. Each load maps a fresh private
// copy of the file, so every boot starts with fresh module state even where an earlier
// copy pinned itself into the process; Unload releases the module as a loader does.
// Linux: dlopen and dlclose, and the stand-in runs the module entry itself, as the
// Windows loader would. Windows: LoadLibrary (which runs the entry) and FreeLibrary,
// with the module's imports of GetProcAddress and MessageBoxA pointed at the stand-in.
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
  // FreeLibrary (dlclose): the module goes unless it pinned itself.
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }
  // Whether the copy loaded last is still in the process (after Unload: pinned).
  bool Still_Mapped() const;
#ifdef _WIN32
  // Whether the system's loader has switched off the module's thread attach and detach
  // notifications (it refuses to for a module with static TLS).
  bool Thread_Notifications_Off() const;
#endif

  // The handle the plug-in knows itself by (the module handle its entry receives).
  void* Handle() const { return handle_; }
  const void* Export(const char* name) const;
  // True where the system loader has already run the module entry during Load.
  static bool Loader_Runs_Entry();
  // Imports the stand-in redirected to its recording functions (Windows only).
  const std::vector<std::string>& Redirected_Imports() const { return redirected_; }

 private:
  void* handle_ = nullptr;
  std::string copy_;  // the private copy's path
  std::vector<std::string> redirected_;
};

}  // namespace standin
