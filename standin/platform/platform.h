// The little the stand-in needs from the operating system to play the host: the
// host executable's fixed address range, and page protection inside it.
#pragma once

#include <cstdint>
#include <string>

#include "standin/platform/host_address_space.h"

namespace standin::platform {

// The part of the host's address range that the stand-in can write.
struct HostRange {
  Address first = 0;
  Address bytes = 0;
};

// Makes the host's address range readable, writable and executable at its fixed
// place, once per process. Returns an empty range with a reason in `error`.
HostRange Map_Host_Image(std::string* error);

// Switches the whole pages covering [first, first + bytes) between no access and
// read-write-execute.
bool Set_Pages_Accessible(Address first, Address bytes, bool accessible);

// What each operating system provides for the two above.
HostRange Map_Host_Image_Now(std::string* error);  // called once
bool Protect_Whole_Pages(Address start, Address bytes, bool accessible);

}  // namespace standin::platform
