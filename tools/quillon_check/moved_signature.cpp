#include "tools/quillon_check/moved_signature.h"

#include <algorithm>
#include <cstring>

#include "host/host_builds.h"
#include "tools/quillon_check/known_builds.h"

namespace quillon_check {

namespace {

constexpr bool Holds_No_Zero(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] == 0) return false;
  }
  return true;
}

static_assert(Holds_No_Zero(host::Build_Signature, host::Build_Signature_Length),
              "the scan skips zero-filled tails: the signature must hold no zero byte");

}  // namespace

SignatureSightings Find_Signature(const PeImage& image) {
  std::vector<Section> sections = image.Sections();
  std::stable_sort(sections.begin(), sections.end(), [](const Section& a, const Section& b) {
    return a.virtual_address < b.virtual_address;
  });
  SignatureSightings found;
  constexpr std::size_t Length = host::Build_Signature_Length;
  const std::uint8_t first_byte = host::Build_Signature[0];
  std::uint64_t scanned_to = 0;  // image offset below which every byte has been looked at
  for (const Section& section : sections) {
    const std::uint64_t start = std::max<std::uint64_t>(section.virtual_address, scanned_to);
    const std::uint64_t end = std::uint64_t{section.virtual_address} + section.file_size;
    if (start >= end) continue;
    scanned_to = std::max<std::uint64_t>(
        scanned_to, std::uint64_t{section.virtual_address} + section.virtual_size);
    const std::uint8_t* bytes = image.File_Bytes(section);
    std::size_t at = static_cast<std::size_t>(start - section.virtual_address);
    const std::size_t stop = section.file_size;
    while (at < stop) {
      const void* next = std::memchr(bytes + at, first_byte, stop - at);
      if (next == nullptr) break;
      at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - bytes);
      const std::uint64_t address =
          image.Image_Base() + std::uint64_t{section.virtual_address} + at;
      bool match = false;
      if (address + Length - 1 <= UINT32_MAX) {
        // Within the section's file bytes a direct compare; across its end the image
        // decides (the next section may continue it).
        match = stop - at >= Length ? std::memcmp(bytes + at, host::Build_Signature, Length) == 0
                                    : Signature_At(image, static_cast<std::uint32_t>(address));
      }
      if (match) {
        if (found.addresses.size() < Moved_Addresses_Kept) {
          found.addresses.push_back(static_cast<std::uint32_t>(address));
        }
        ++found.count;
      }
      ++at;
    }
  }
  return found;
}

}  // namespace quillon_check
