// What the plug-in would decide about a host executable, from the plug-in's own table
// (host/host_builds.h): the signature at each probe address in the plug-in's order, a
// later match winning, and what the build found binds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/quillon_check/pe_image.h"

namespace quillon_check {

// The build the plug-in would pick in this image: host::Build_0, Build_1, Build_4, or
// host::Build_Unresolved when no probe holds the signature.
std::int32_t Decide_Build(const PeImage& image);

// Whether the image holds the signature at `address`.
bool Signature_At(const PeImage& image, std::uint32_t address);

// The entries a known build leaves unbound (address 0 in its column), by name.
std::vector<std::string> Unbound_Entries(std::int32_t build);

}  // namespace quillon_check
