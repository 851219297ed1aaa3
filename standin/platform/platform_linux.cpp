#include <sys/mman.h>

#include <cerrno>
#include <cstring>

#include "standin/platform/platform.h"

namespace standin::platform {

namespace {

HostRange Map_Once(std::string* error) {
  void* wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(Host_Image_Base));
  void* got = mmap(wanted, Host_Image_Size, PROT_READ | PROT_WRITE | PROT_EXEC,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (got == MAP_FAILED) {
    *error = std::string("cannot map the host image at 0x400000: ") + std::strerror(errno);
    return {};
  }
  if (got != wanted) {  // a kernel that ignores the no-replace flag places it elsewhere
    munmap(got, Host_Image_Size);
    *error = "the host image range 0x400000 is taken in this process";
    return {};
  }
  return {Host_Image_Base, Host_Image_Size};
}

}  // namespace

HostRange Map_Host_Image_Now(std::string* error) { return Map_Once(error); }

bool Protect_Whole_Pages(Address start, Address bytes, bool accessible) {
  const int protection = accessible ? PROT_READ | PROT_WRITE | PROT_EXEC : PROT_NONE;
  return mprotect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(start)), bytes, protection) ==
         0;
}

}  // namespace standin::platform
