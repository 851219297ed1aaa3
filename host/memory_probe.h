// Tells whether a range of this process's memory can be read without faulting, so
// the build probes never touch memory an unknown host does not have.
#pragma once

#include <cstddef>

#include "host/calling_convention.h"

namespace host {

bool Is_Readable(Address start, std::size_t length);

}  // namespace host
