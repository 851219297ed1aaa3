#include "fake_host.h"

#include <cstdarg>
#include <cstdlib>
#include <set>

#include "host/calling_convention.h"
#include "host/host_variant.h"
#include "host/host_table.h"
#include "host/script_commands.h"
#include "standin/console_format.h"

namespace fake_host {

namespace {

std::set<void*>& Live_Blocks() {
  static std::set<void*> blocks;
  return blocks;
}

void* Allocate(std::uint32_t bytes, bool array) {
  Heap_Log& log = Heap();
  ++log.allocations;
  if (array) ++log.array_allocations;
  log.sizes.push_back(bytes);
  if (log.fail_at == log.allocations) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  Live_Blocks().insert(block);
  ++log.live;
  return block;
}

void Release(void* block) {
  Heap_Log& log = Heap();
  ++log.releases;
  if (Live_Blocks().erase(block) == 0) {
    log.errors.push_back("release of a block the heap never handed out");
    return;
  }
  --log.live;
  std::free(block);
}

void* HOST_CDECL Host_Alloc(std::uint32_t bytes) { return Allocate(bytes, false); }
void* HOST_CDECL Host_Alloc_Array(std::uint32_t bytes) { return Allocate(bytes, true); }
void HOST_CDECL Host_Free(void* block) { Release(block); }

// The host's own conventions: "%ls" is 16-bit text, whatever wchar_t is here.
int HOST_CDECL Console_Output(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Console_Lines().push_back(standin::Format_Console_Text(format, arguments));
  va_end(arguments);
  return 0;
}

int HOST_CDECL Silent_Console_Output(const char*, ...) { return 0; }

template <typename Function>
host::Address Address_Of(Function* function) {
  return static_cast<host::Address>(reinterpret_cast<std::uintptr_t>(function));
}

}  // namespace

Heap_Log& Heap() {
  static Heap_Log log;
  return log;
}

std::vector<std::string>& Console_Lines() {
  static std::vector<std::string> lines;
  return lines;
}

void Discard_Console_Lines() {
  host::Engine_Addresses.Console_Output = Address_Of(&Silent_Console_Output);
}

void Unbind() {
  // A fresh heap: blocks a test left behind go with the old one.
  for (void* block : Live_Blocks()) std::free(block);
  Live_Blocks().clear();
  host::Engine_Addresses = {};
  host::HostVariant = host::Build_Unresolved;
  host::Script_Commands = nullptr;
  host::Extension_Module = nullptr;
  Heap() = Heap_Log();
  Console_Lines().clear();
}

void Bind() {
  Unbind();
  host::HostVariant = host::Build_0;
  host::Engine_Addresses.Host_Alloc = Address_Of(&Host_Alloc);
  host::Engine_Addresses.Host_Alloc_Array = Address_Of(&Host_Alloc_Array);
  host::Engine_Addresses.Host_Free = Address_Of(&Host_Free);
  host::Engine_Addresses.Host_Free_Array = Address_Of(&Host_Free);
  host::Engine_Addresses.Console_Output = Address_Of(&Console_Output);
}

}  // namespace fake_host
