#include <windows.h>

#include <cstring>

#include "standin/loader/plugin_module.h"
#include "standin/loader/preload_module.h"
#include "standin/loader/windows_api.h"
#include "standin/platform/host_entry.h"
#include "standin/platform/host_thread_fpu.h"

namespace standin {

namespace {

STANDIN_HOST_ENTRY FARPROC WINAPI Recording_Get_Proc_Address(HMODULE module, LPCSTR name) {
  const StandinFpuScope own_fpu;
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
  const StandinFpuScope own_fpu;
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

constexpr const char* Copy_Prefix = "quillon-standin-";

std::string Temporary_Folder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  return length == 0 || length > MAX_PATH ? std::string(".\\") : std::string(folder);
}

// Copies left by earlier processes: a pinned copy stays mapped until its process ends,
// so its file can only go afterwards. A copy younger than a few minutes may belong to
// a process starting right now, and one still mapped cannot be deleted anyway.
void Delete_Stale_Copies(const std::string& folder) {
  static bool swept = false;
  if (swept) return;
  swept = true;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + Copy_Prefix + "*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME now_time;
  GetSystemTimeAsFileTime(&now_time);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  constexpr unsigned long long Ten_Minutes = 10ull * 60 * 10000000;  // in 100 ns
  do {
    if (ticks(now_time) - ticks(found.ftLastWriteTime) > Ten_Minutes) {
      DeleteFileA((folder + found.cFileName).c_str());
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// A copy of its own for every load, named after this process and a count.
bool Make_Private_Copy(const std::string& path, std::string* copy, std::string* error) {
  static unsigned loads = 0;
  const std::string folder = Temporary_Folder();
  Delete_Stale_Copies(folder);
  const std::string name = folder + Copy_Prefix + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++loads) + ".dll";
  if (!CopyFileA(Windows_Path(path).c_str(), name.c_str(), FALSE)) {
    *error = "cannot copy the plug-in " + path + " to " + name + " (error " +
             std::to_string(GetLastError()) + ")";
    return false;
  }
  *copy = name;
  return true;
}

}  // namespace

void PluginModule::Hold_System_Modules() {
  // Held until the process ends, as the server holds it.
  static_cast<void>(LoadLibraryA("user32.dll"));
}

bool PluginModule::Load(const std::string& path, std::string* error) {
  Unload();
  std::string copy;
  if (!Make_Private_Copy(path, &copy, error)) return false;
  HMODULE module = LoadLibraryA(copy.c_str());
  if (module == nullptr) {
    *error = "cannot load the plug-in " + path + " (error " + std::to_string(GetLastError()) + ")";
    DeleteFileA(copy.c_str());
    return false;
  }
  handle_ = module;
  copy_ = copy;
  redirected_ = Redirect_Imports(module);
  return true;
}

// A module that pinned itself stays, and so does its file, until the process ends.
void PluginModule::Unload() {
  if (handle_ == nullptr) return;
  FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
  redirected_.clear();
  if (!Still_Mapped()) DeleteFileA(copy_.c_str());
}

bool PluginModule::Still_Mapped() const {
  return !copy_.empty() && GetModuleHandleA(copy_.c_str()) != nullptr;
}

// The loader's own record of the module says whether it calls the entry for threads.
bool PluginModule::Thread_Notifications_Off() const {
  using FindEntry = LONG(WINAPI*)(const void* address, void** entry);
  const auto find = reinterpret_cast<FindEntry>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "LdrFindEntryForAddress")));
  void* entry = nullptr;
  if (handle_ == nullptr || find == nullptr || find(handle_, &entry) != 0 || entry == nullptr) {
    return false;
  }
  // LDR_DATA_TABLE_ENTRY: three list links, base, entry point, image size and two
  // counted strings come first; Flags follows them. LDR_NO_DLL_CALLS is what
  // DisableThreadLibraryCalls sets.
  constexpr std::size_t Flags_Offset = 0x34;
  constexpr std::uint32_t No_Dll_Calls = 0x00040000;
  std::uint32_t flags = 0;
  std::memcpy(&flags, static_cast<const std::uint8_t*>(entry) + Flags_Offset, sizeof flags);
  return (flags & No_Dll_Calls) != 0;
}

const void* PluginModule::Export(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<const void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool PluginModule::Loader_Runs_Entry() const { return true; }

}  // namespace standin
