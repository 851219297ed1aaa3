#include <windows.h>

#include "standin/platform/platform.h"

// The host image is a section of the stand-in executable itself, linked to start at
// 0x401000 right after the headers of an image based at 0x400000: Wine will not hand
// out that range through VirtualAlloc, because the executable is loaded there. The
// host addresses in use all lie between 0x401000 and 0x900000.
__attribute__((section(".hostimg"), used))
std::uint8_t Host_Image_Section[standin::Host_Image_Size];

namespace standin::platform {

namespace {

HostRange Map_Once(std::string* error) {
  const auto wanted = static_cast<std::uintptr_t>(Host_Image_Base + Host_Page_Size);
  if (reinterpret_cast<std::uintptr_t>(Host_Image_Section) != wanted) {
    *error = "the stand-in was linked without the host image section at 0x401000";
    return {};
  }
  DWORD old = 0;
  if (!VirtualProtect(Host_Image_Section, sizeof Host_Image_Section, PAGE_EXECUTE_READWRITE,
                      &old)) {
    *error = "cannot make the host image section executable";
    return {};
  }
  return {static_cast<Address>(wanted), sizeof Host_Image_Section};
}

}  // namespace

HostRange Map_Host_Image_Now(std::string* error) { return Map_Once(error); }

bool Protect_Whole_Pages(Address start, Address bytes, bool accessible) {
  DWORD old = 0;
  return VirtualProtect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(start)), bytes,
                        accessible ? PAGE_EXECUTE_READWRITE : PAGE_NOACCESS, &old) != 0;
}

}  // namespace standin::platform
