// Families of distinct host functions: `Count` cdecl functions per `Tag`, each with
// its own address and its own call counter, so a test can tell which one the
// plug-in stored or called. They take no declared arguments: cdecl leaves the
// arguments to the caller, so any call form is safe.
#pragma once

#include <cstdint>
#include <utility>

#include "standin/platform/host_entry.h"

namespace standin {

template <typename Tag, unsigned Count>
class StubFamily {
 public:
  static const void* Address(unsigned index) {
    return index < Count ? Table().addresses[index] : nullptr;
  }
  // The index of the stub at `address`, or Count when it is none of them.
  static unsigned Index_Of(const void* address) {
    for (unsigned i = 0; i < Count; ++i) {
      if (Table().addresses[i] == address) return i;
    }
    return Count;
  }
  static std::uint32_t Calls(unsigned index) { return index < Count ? calls_[index] : 0; }
  static void Reset_Calls() {
    for (auto& calls : calls_) calls = 0;
  }

 private:
  template <unsigned Index>
  static STANDIN_HOST_ENTRY void Stub() {
    const StandinFpuScope own_fpu;
    ++calls_[Index];
  }

  struct Addresses {
    const void* addresses[Count];
  };

  template <unsigned... Index>
  static Addresses Make(std::integer_sequence<unsigned, Index...>) {
    return {{reinterpret_cast<const void*>(&Stub<Index>)...}};
  }

  static const Addresses& Table() {
    static const Addresses table = Make(std::make_integer_sequence<unsigned, Count>());
    return table;
  }

  inline static volatile std::uint32_t calls_[Count] = {};
};

}  // namespace standin
