// The host executable's memory as the plug-in sees it: the build signature at its
// probe address, `jmp` instructions at the host function addresses leading into the
// stand-in, and data bytes such as the SSE flag.
#pragma once

#include <cstdint>
#include <string>

#include "standin/image/host_layout.h"

namespace standin {

class HostImage {
 public:
  // Maps the range on first use. False, with a reason, when the range is unusable.
  bool Open(std::string* error);

  // Refills the whole range with int3, so a call to an address the stand-in did not
  // bind traps at once, and makes every page accessible again.
  void Reset();

  bool Contains(Address address, Address bytes) const;
  void Write_Bytes(Address address, const void* bytes, Address count);
  void Write_Byte(Address address, std::uint8_t value);
  // `jmp rel32` from `address` to `target`: the host function at `address` becomes
  // `target`, with whatever calling convention `target` was declared with.
  void Write_Jump(Address address, const void* target);
  std::uint8_t Read_Byte(Address address) const;

  // Makes the pages that hold the three build probes unreadable, or readable again.
  bool Set_Probes_Readable(bool readable);

 private:
  Address first_ = 0;
  Address bytes_ = 0;
};

template <typename Function>
const void* Code_Address(Function* function) {
  return reinterpret_cast<const void*>(function);
}

}  // namespace standin
