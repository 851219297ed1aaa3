#include "standin/image/host_image.h"

#include <cstring>

#include "standin/platform/platform.h"

namespace standin {

namespace {

constexpr std::uint8_t Int3 = 0xCC;
constexpr std::uint8_t Jmp_Rel32 = 0xE9;
constexpr Address Jmp_Length = 5;

std::uint8_t* Pointer(Address address) {
  return reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(address));
}

}  // namespace

bool HostImage::Open(std::string* error) {
  const platform::HostRange range = platform::Map_Host_Image(error);
  first_ = range.first;
  bytes_ = range.bytes;
  return bytes_ != 0;
}

void HostImage::Reset() {
  Set_Probes_Readable(true);
  std::memset(Pointer(first_), Int3, bytes_);
}

bool HostImage::Contains(Address address, Address bytes) const {
  return address >= first_ && bytes <= bytes_ && address - first_ <= bytes_ - bytes;
}

void HostImage::Write_Bytes(Address address, const void* bytes, Address count) {
  if (Contains(address, count)) std::memcpy(Pointer(address), bytes, count);
}

void HostImage::Write_Byte(Address address, std::uint8_t value) { Write_Bytes(address, &value, 1); }

void HostImage::Write_Jump(Address address, const void* target) {
  const auto destination = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target));
  const std::uint32_t displacement = destination - (address + Jmp_Length);
  std::uint8_t code[Jmp_Length] = {Jmp_Rel32};
  std::memcpy(code + 1, &displacement, sizeof displacement);
  Write_Bytes(address, code, Jmp_Length);
}

std::uint8_t HostImage::Read_Byte(Address address) const {
  return Contains(address, 1) ? *Pointer(address) : 0;
}

bool HostImage::Set_Probes_Readable(bool readable) {
  bool done = true;
  for (Address probe : Signature_Addresses) {
    done = platform::Set_Pages_Accessible(probe, Signature_Length, readable) && done;
  }
  return done;
}

}  // namespace standin
