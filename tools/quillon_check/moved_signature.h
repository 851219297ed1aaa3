// Where the build signature lies in an image other than at the probes: in a build
// whose code moved, these are the addresses a maintainer needs to add it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/quillon_check/pe_image.h"

namespace quillon_check {

constexpr std::size_t Moved_Addresses_Kept = 8;

struct SignatureSightings {
  std::vector<std::uint32_t> addresses;  // the first Moved_Addresses_Kept, lowest first
  std::size_t count = 0;                 // all of them
};

// Scans every byte of the image once, each section's part once even where the table
// lets sections overlap. Only bytes from the file can hold the signature: it has no
// zero byte, so no zero-filled tail does.
SignatureSightings Find_Signature(const PeImage& image);

}  // namespace quillon_check
