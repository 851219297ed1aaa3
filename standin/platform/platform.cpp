#include "standin/platform/platform.h"

namespace standin::platform {

HostRange Map_Host_Image(std::string* error) {
  static std::string first_error;
  static const HostRange range = Map_Host_Image_Now(&first_error);
  if (range.bytes == 0) *error = first_error;
  return range;
}

bool Set_Pages_Accessible(Address first, Address bytes, bool accessible) {
  const Address start = first & ~(Host_Page_Size - 1);
  const Address end = (first + bytes + Host_Page_Size - 1) & ~(Host_Page_Size - 1);
  return Protect_Whole_Pages(start, end - start, accessible);
}

}  // namespace standin::platform
