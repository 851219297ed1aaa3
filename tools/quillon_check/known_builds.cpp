#include "tools/quillon_check/known_builds.h"

#include <cstring>

#include "host/host_builds.h"

namespace quillon_check {

namespace {

struct EntryRow {
  const char* name;
  std::uint32_t build_0;
  std::uint32_t build_1;
  std::uint32_t build_4;
};

#define QUILLON_CHECK_ROW(name, build_0, build_1, build_4, ...) {#name, build_0, build_1, build_4},
constexpr EntryRow Build_Entries[] = {QUILLON_BRIDGE_ENTRIES(QUILLON_CHECK_ROW)
                                          QUILLON_ENGINE_ENTRIES(QUILLON_CHECK_ROW)};
#undef QUILLON_CHECK_ROW

}  // namespace

bool Signature_At(const PeImage& image, std::uint32_t address) {
  std::uint8_t bytes[host::Build_Signature_Length];
  return image.Read_Virtual(address, sizeof bytes, bytes) &&
         std::memcmp(bytes, host::Build_Signature, sizeof bytes) == 0;
}

std::int32_t Decide_Build(const PeImage& image) {
  std::int32_t build = host::Build_Unresolved;
  for (const host::SignatureProbe& probe : host::Signature_Probes) {
    if (Signature_At(image, probe.address)) build = probe.build;
  }
  return build;
}

std::vector<std::string> Unbound_Entries(std::int32_t build) {
  std::vector<std::string> unbound;
  for (const EntryRow& row : Build_Entries) {
    const std::uint32_t address = build == host::Build_0   ? row.build_0
                                  : build == host::Build_1 ? row.build_1
                                  : build == host::Build_4 ? row.build_4
                                                           : 0;
    if (address == 0) unbound.emplace_back(row.name);
  }
  return unbound;
}

}  // namespace quillon_check
