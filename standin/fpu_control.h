// The x87 control word as the host's threads have it. A program built with the
// host's compiler runs with the precision control at 53 bits (0x27F); Linux and
// mingw programs start at 64 bits (0x37F). The plug-in's floating point must give
// the host's results in the host's mode, so the stand-in switches to it before it
// calls into the plug-in.
#pragma once

#include <cstdint>

namespace standin {

constexpr std::uint16_t Host_Fpu_Control = 0x27F;
constexpr std::uint16_t Extended_Fpu_Control = 0x37F;

inline std::uint16_t Fpu_Control() {
  std::uint16_t control;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  return control;
}

inline void Set_Fpu_Control(std::uint16_t control) {
  __asm__ __volatile__("fldcw %0" : : "m"(control));
}

}  // namespace standin
