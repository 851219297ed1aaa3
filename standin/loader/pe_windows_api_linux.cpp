#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "standin/loader/pe_image.h"
#include "standin/loader/pe_windows_api.h"
#include "standin/loader/windows_api.h"
#include "standin/platform/host_entry.h"

#define STANDIN_WINAPI __attribute__((stdcall))

namespace standin::pe_windows_api {

namespace {

struct Registered {
  const PeImage* image;
  bool pinned;
};

std::vector<Registered>& Modules() {
  static std::vector<Registered> modules;
  return modules;
}

Registered* Module_Holding(const void* address) {
  for (Registered& module : Modules()) {
    if (module.image->Contains(address)) return &module;
  }
  return nullptr;
}

// MEMORY_BASIC_INFORMATION of a 32-bit process, and the values its fields take here.
struct MemoryBasicInformation {
  std::uint32_t base_address;
  std::uint32_t allocation_base;
  std::uint32_t allocation_protect;
  std::uint32_t region_size;
  std::uint32_t state;
  std::uint32_t protect;
  std::uint32_t type;
};
constexpr std::uint32_t Mem_Commit = 0x1000;
constexpr std::uint32_t Mem_Reserve = 0x2000;
constexpr std::uint32_t Mem_Free = 0x10000;
constexpr std::uint32_t Mem_Private = 0x20000;
constexpr std::uint32_t Mem_Image = 0x1000000;
constexpr std::uint32_t Page_Noaccess = 0x01;
constexpr std::uint32_t Page_Size = 0x1000;

// PAGE_* for a mapping's rwx letters.
std::uint32_t Protection_Of(const char* letters) {
  const bool read = letters[0] == 'r', write = letters[1] == 'w', execute = letters[2] == 'x';
  if (execute) return write ? 0x40 : read ? 0x20 : 0x10;  // EXECUTE_READWRITE, _READ, EXECUTE
  if (write) return 0x04;                                 // READWRITE
  return read ? 0x02 : Page_Noaccess;                     // READONLY
}

// The process's map, read with plain system calls: the allocator may be the one a test
// is making fail.
std::string Read_Map() {
  std::string map;
  const int file = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (file < 0) return map;
  char chunk[4096];
  for (ssize_t got; (got = read(file, chunk, sizeof chunk)) > 0;) map.append(chunk, got);
  close(file);
  return map;
}

// Fills `info` for the page holding `address`: the mapping that holds it (committed,
// with its protection), or the free gap up to the next mapping.
void Describe(std::uint32_t address, MemoryBasicInformation* info) {
  const std::uint32_t page = address & ~(Page_Size - 1);
  *info = {page, 0, 0, 0, Mem_Free, Page_Noaccess, 0};
  std::uint64_t gap_end = 0x100000000ull;
  const std::string map = Read_Map();
  for (std::size_t at = 0; at < map.size();) {
    std::size_t end = map.find('\n', at);
    if (end == std::string::npos) end = map.size();
    const std::string line = map.substr(at, end - at);
    at = end + 1;
    unsigned long long low = 0, high = 0;
    char letters[5] = {};
    if (std::sscanf(line.c_str(), "%llx-%llx %4s", &low, &high, letters) != 3) continue;
    if (low > page) {
      if (low < gap_end) gap_end = low;
      continue;
    }
    if (page >= high) continue;
    const Registered* module = Module_Holding(reinterpret_cast<const void*>(std::uintptr_t{page}));
    const bool reserved = std::strncmp(letters, "---", 3) == 0;
    info->allocation_base = static_cast<std::uint32_t>(low);
    info->region_size = static_cast<std::uint32_t>(high - page);
    info->state = reserved ? Mem_Reserve : Mem_Commit;
    info->protect = reserved ? 0 : Protection_Of(letters);
    info->allocation_protect = Protection_Of(letters);
    info->type = module != nullptr ? Mem_Image : Mem_Private;
    return;
  }
  info->region_size = static_cast<std::uint32_t>(gap_end - page);
}

STANDIN_HOST_ENTRY STANDIN_WINAPI int Disable_Thread_Library_Calls(void* module) {
  const StandinFpuScope own_fpu;
  windows_api::Disable_Thread_Library_Calls(module);
  return 1;
}

// Only the form the plug-in uses, as Windows answers it: the module that holds an
// address, pinned with the flag, its handle its base.
STANDIN_HOST_ENTRY STANDIN_WINAPI int Get_Module_Handle_Ex_W(unsigned flags, const void* name,
                                                             void** module) {
  const StandinFpuScope own_fpu;
  constexpr unsigned Pin = 0x1;
  constexpr unsigned From_Address = 0x4;
  if (module != nullptr) *module = nullptr;
  Registered* holder = (flags & From_Address) != 0 ? Module_Holding(name) : nullptr;
  const bool pinned = holder != nullptr && (flags & Pin) != 0;
  if (pinned) holder->pinned = true;
  windows_api::Record_Pin({flags, name, pinned});
  if (holder != nullptr && module != nullptr) *module = holder->image->Base();
  return holder != nullptr ? 1 : 0;
}

STANDIN_HOST_ENTRY STANDIN_WINAPI void* Get_Proc_Address(void* module, const char* name) {
  const StandinFpuScope own_fpu;
  bool handled = false;
  return const_cast<void*>(windows_api::Get_Proc_Address(module, name, &handled));
}

STANDIN_HOST_ENTRY STANDIN_WINAPI int Message_Box_A(void* owner, const char* text,
                                                    const char* caption, unsigned style) {
  const StandinFpuScope own_fpu;
  return windows_api::Message_Box(owner, text, caption, style);
}

STANDIN_HOST_ENTRY STANDIN_WINAPI std::uint32_t Virtual_Query(const void* address, void* buffer,
                                                              std::uint32_t length) {
  const StandinFpuScope own_fpu;
  MemoryBasicInformation info;
  if (buffer == nullptr || length < sizeof info) return 0;
  Describe(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)), &info);
  std::memcpy(buffer, &info, sizeof info);
  return sizeof info;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const void* Resolve(const std::string& library, const std::string& function) {
  struct Provided {
    const char* library;
    const char* function;
    const void* address;
  };
  static const Provided provided[] = {
      {"kernel32.dll", "DisableThreadLibraryCalls",
       reinterpret_cast<const void*>(&Disable_Thread_Library_Calls)},
      {"kernel32.dll", "GetModuleHandleExW",
       reinterpret_cast<const void*>(&Get_Module_Handle_Ex_W)},
      {"kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&Get_Proc_Address)},
      {"kernel32.dll", "VirtualQuery", reinterpret_cast<const void*>(&Virtual_Query)},
      {"user32.dll", "MessageBoxA", reinterpret_cast<const void*>(&Message_Box_A)},
  };
  const std::string wanted_library = Lower(library);
  for (const Provided& entry : provided) {
    if (wanted_library == entry.library && function == entry.function) return entry.address;
  }
  return nullptr;
}

void Register_Module(const PeImage* image) { Modules().push_back({image, false}); }

bool Is_Pinned(const PeImage* image) {
  for (const Registered& module : Modules()) {
    if (module.image == image) return module.pinned;
  }
  return false;
}

void Unregister_Module(const PeImage* image) {
  std::vector<Registered>& modules = Modules();
  for (auto it = modules.begin(); it != modules.end(); ++it) {
    if (it->image == image) {
      modules.erase(it);
      return;
    }
  }
}

}  // namespace standin::pe_windows_api
