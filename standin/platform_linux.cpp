#include <sys/mman.h>

#include <cerrno>
#include <cstring>

#include "standin/platform.h"

namespace standin::platform {

namespace {

Host_Range Map_Once(std::string* error) {
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

Host_Range Map_Host_Image(std::string* error) {
  static std::string first_error;
  static const Host_Range range = Map_Once(&first_error);
  if (range.bytes == 0) *error = first_error;
  return range;
}

bool Set_Pages_Accessible(Address first, Address bytes, bool accessible) {
  const Address start = first & ~(Host_Page_Size - 1);
  const Address end = (first + bytes + Host_Page_Size - 1) & ~(Host_Page_Size - 1);
  const int protection = accessible ? PROT_READ | PROT_WRITE | PROT_EXEC : PROT_NONE;
  return mprotect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(start)), end - start,
                  protection) == 0;
}

}  // namespace standin::platform
