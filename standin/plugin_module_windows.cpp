#include <windows.h>

#include <cstring>

#include "standin/host_entry.h"
#include "standin/plugin_module.h"
#include "standin/preload_module.h"
#include "standin/windows_api.h"

namespace standin {

namespace {

STANDIN_HOST_ENTRY FARPROC WINAPI Recording_Get_Proc_Address(HMODULE module, LPCSTR name) {
  bool handled = false;
  const void* result = windows_api::Get_Proc_Address(module, name, &handled);
  if (handled) return reinterpret_cast<FARPROC>(const_cast<void*>(result));
  // Some other module (the runtime library looks up its own helpers): ask the system.
  FARPROC real = GetProcAddress(module, name);
  windows_api::Record_Foreign_Lookup_Result(reinterpret_cast<const void*>(real));
  return real;
}

STANDIN_HOST_ENTRY int WINAPI Recording_Message_Box(HWND owner, LPCSTR text, LPCSTR caption,
                                                    UINT style) {
  return windows_api::Message_Box(owner, text, caption, style);
}

const void* Replacement_For(const char* imported_name) {
  if (std::strcmp(imported_name, "GetProcAddress") == 0) {
    return reinterpret_cast<const void*>(&Recording_Get_Proc_Address);
  }
  if (std::strcmp(imported_name, "MessageBoxA") == 0) {
    return reinterpret_cast<const void*>(&Recording_Message_Box);
  }
  return nullptr;
}

void Patch_Entry(IMAGE_THUNK_DATA32* entry, const void* replacement) {
  DWORD old = 0;
  VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old);
  entry->u1.Function = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(replacement));
  VirtualProtect(entry, sizeof *entry, old, &old);
}

// Walks the module's import descriptors and points every import of GetProcAddress
// and MessageBoxA at the recording versions. Returns the names it redirected.
std::vector<std::string> Redirect_Imports(HMODULE module) {
  std::vector<std::string> redirected;
  auto* base = reinterpret_cast<std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return redirected;
  auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
  for (; descriptor->Name != 0; ++descriptor) {
    const DWORD names_at = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                               : descriptor->FirstThunk;
    auto* name_entry = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + names_at);
    auto* address_entry = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + descriptor->FirstThunk);
    for (; name_entry->u1.AddressOfData != 0; ++name_entry, ++address_entry) {
      if (IMAGE_SNAP_BY_ORDINAL32(name_entry->u1.Ordinal)) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name_entry->u1.AddressOfData);
      const char* name = reinterpret_cast<const char*>(by_name->Name);
      if (const void* replacement = Replacement_For(name)) {
        Patch_Entry(address_entry, replacement);
        redirected.push_back(name);
      }
    }
  }
  return redirected;
}

}  // namespace

bool PluginModule::Load(const std::string& path, std::string* error) {
  Unload();
  HMODULE module = LoadLibraryA(Windows_Path(path).c_str());
  if (module == nullptr) {
    *error = "cannot load the plug-in " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  handle_ = module;
  redirected_ = Redirect_Imports(module);
  return true;
}

void PluginModule::Unload() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
  redirected_.clear();
}

const void* PluginModule::Export(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<const void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool PluginModule::Loader_Runs_Entry() { return true; }

}  // namespace standin
