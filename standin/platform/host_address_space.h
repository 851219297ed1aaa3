// The host executable's place in its 32-bit process: the range the platform layer
// maps at its fixed address, and the pages it protects inside it.
#pragma once

#include <cstdint>

namespace standin {

using Address = std::uint32_t;

// The address range the host executable occupies in its process.
constexpr Address Host_Image_Base = 0x400000;
constexpr Address Host_Image_Size = 0x500000;
constexpr Address Host_Page_Size = 0x1000;

}  // namespace standin
