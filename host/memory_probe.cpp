#include "host/memory_probe.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace host {

#ifdef _WIN32

namespace {

bool Is_Readable_Protection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return (protect & readable) != 0;
}

}  // namespace

// Walks the regions that cover the range: every one must be committed and readable.
bool Is_Readable(Address start, std::size_t length) {
  std::uintptr_t cursor = start;
  const std::uintptr_t end = static_cast<std::uintptr_t>(start) + length;
  while (cursor < end) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<const void*>(cursor), &region, sizeof region) == 0) {
      return false;
    }
    if (region.State != MEM_COMMIT || !Is_Readable_Protection(region.Protect)) return false;
    cursor = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

#else

// Linux: the process's own map lists every mapping with its permissions. Adjacent
// readable mappings may together cover the range.
bool Is_Readable(Address start, std::size_t length) {
  std::FILE* maps = std::fopen("/proc/self/maps", "r");
  if (maps == nullptr) return false;
  std::uintmax_t cursor = start;
  const std::uintmax_t end = static_cast<std::uintmax_t>(start) + length;
  char line[512];
  while (cursor < end && std::fgets(line, sizeof line, maps) != nullptr) {
    // Only the first permission letter matters, so only it is read: no buffer for the
    // rest that a wrong width could overrun.
    unsigned long long low = 0, high = 0;
    char read_permission = 0;
    if (std::sscanf(line, "%llx-%llx %c", &low, &high, &read_permission) != 3) continue;
    if (low <= cursor && cursor < high && read_permission == 'r') cursor = high;
  }
  std::fclose(maps);
  return cursor >= end;
}

#endif

}  // namespace host
