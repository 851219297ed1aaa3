// A host object as the plug-in sees it: a pointer to a table of thiscall operations at
// byte 0, then data members at fixed byte offsets. The world's players, vehicles and
// presets each own such a block of memory; its layout is the host's, not C++'s.
#pragma once

#include <cstdint>
#include <cstring>

namespace standin::world {

// Large enough for the furthest member the plug-in reads (a vehicle's occupant count
// at byte 2484).
constexpr unsigned Host_Object_Bytes = 2496;

class HostObject {
 public:
  explicit HostObject(const void* const* operations) {
    std::memset(bytes_, 0, sizeof bytes_);
    Put(0, reinterpret_cast<std::uintptr_t>(operations));
  }
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  template <typename T>
  void Put(unsigned offset, T value) {
    std::memcpy(bytes_ + offset, &value, sizeof value);
  }
  template <typename T>
  T Get(unsigned offset) const {
    T value;
    std::memcpy(&value, bytes_ + offset, sizeof value);
    return value;
  }
  void Put_Pointer(unsigned offset, const void* pointer) {
    Put(offset, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer)));
  }

 private:
  alignas(4) unsigned char bytes_[Host_Object_Bytes];
};

}  // namespace standin::world
