// The plug-in module as the operating system loads it. Each load maps a fresh private
// copy of the file, so every boot starts with fresh module state even where an earlier
// copy pinned itself into the process; Unload releases the module as a loader does.
// Linux: a shared object through dlopen and dlclose, the stand-in running the module
// entry itself; a Windows DLL (the operator's quillon.dll) mapped by PeImage, which
// runs its entry as the Windows loader does, its imports bound to the stand-in.
// Windows: LoadLibrary (which runs the entry) and FreeLibrary, with the module's
// imports of GetProcAddress and MessageBoxA pointed at the stand-in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include "standin/loader/pe_image.h"
#endif

namespace standin {

class PluginModule {
 public:
  PluginModule() = default;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  ~PluginModule() { Unload(); }

  // Loads, in the calling thread's own floating-point state, the system modules the
  // plug-in imports that a server's process already holds (USER32, which any program
  // with a window or a message box brings): the first load of USER32 does floating-point
  // work of its own (under Wine it leaves the x87 precision flag set), and that work is
  // the system's, not the plug-in's. A no-op on Linux.
  static void Hold_System_Modules();
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
  bool Loader_Runs_Entry() const;
  // Imports the stand-in redirected to its recording functions (Windows, and a Windows
  // DLL on Linux).
  const std::vector<std::string>& Redirected_Imports() const { return redirected_; }

 private:
  void* handle_ = nullptr;
  std::string copy_;  // the private copy's path
  std::vector<std::string> redirected_;
#ifndef _WIN32
  bool Load_Windows_Dll(const std::vector<unsigned char>& file, std::string* error);
  void Unload_Windows_Dll();

  std::unique_ptr<PeImage> dll_;  // a Windows DLL, mapped here
  bool dll_pinned_ = false;       // found pinned at Unload: no FreeLibrary released it
  bool last_was_dll_ = false;
#endif
};

}  // namespace standin
