// A float by its bits: "0x" and eight upper-case hexadecimal digits, the same text on
// every platform and in every locale. The world's call log and the exact listing both
// show floats this way.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace standin::world {

inline std::string Float_Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  static const char digits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text.push_back(digits[(bits >> shift) & 0xF]);
  return text;
}

}  // namespace standin::world
