#include "tools/quillon_check/report.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/host_builds.h"
#include "tools/quillon_check/file_bytes.h"
#include "tools/quillon_check/known_builds.h"
#include "tools/quillon_check/moved_signature.h"
#include "tools/quillon_check/pe_image.h"

namespace quillon_check {

namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
  return text;
}

bool Lacks(const std::vector<std::string>& unbound, const char* name) {
  return std::find(unbound.begin(), unbound.end(), name) != unbound.end();
}

Verdict Known(const std::string& name, std::int32_t build) {
  const std::string prefix = name + ": build " + std::to_string(build);
  std::vector<std::string> unbound = Unbound_Entries(build);
  if (unbound.empty())
    return {Known_Build, prefix + ": a build Quillon knows; every command works"};
  // What an operator sees of the entries the build lacks: without the player lookup no
  // command finds its player, without the console output none prints.
  std::string effect = "the commands are registered but";
  const bool no_player = Lacks(unbound, "Find_Player");
  const bool no_output = Lacks(unbound, "Console_Output");
  if (no_player) effect += " find no player";
  if (no_player && no_output) effect += " and";
  if (no_output) effect += " print nothing";
  if (!no_player && !no_output) effect += " some do nothing";
  effect += " (the build lacks";
  for (std::size_t i = 0; i < unbound.size(); ++i) effect += (i == 0 ? " " : ", ") + unbound[i];
  return {Partial_Build, prefix + ": " + effect + ")"};
}

Verdict Unknown(const std::string& name, const PeImage& image) {
  std::string line = name +
                     ": not a build Quillon knows; the plug-in will load and stay idle (no "
                     "console command)";
  const SignatureSightings found = Find_Signature(image);
  if (found.count != 0) {
    line += "; its build signature moved to";
    for (std::size_t i = 0; i < found.addresses.size(); ++i) {
      line += (i == 0 ? " " : ", ") + Hex(found.addresses[i]);
    }
    if (found.count > found.addresses.size()) {
      line += " and " + std::to_string(found.count - found.addresses.size()) + " more";
    }
    line += " (what a maintainer needs to add this build)";
  }
  return {Unknown_Build, line};
}

Verdict Not_Readable(const std::string& name, const std::string& reason) {
  return {Unreadable, name + ": cannot be read as a 32-bit Windows executable: " + reason};
}

}  // namespace

Verdict Check_Bytes(const std::string& name, const std::uint8_t* bytes, std::size_t size) {
  PeImage image;
  std::string reason;
  if (!image.Read(bytes, size, &reason)) return Not_Readable(name, reason);
  const std::int32_t build = Decide_Build(image);
  if (build == host::Build_Unresolved) return Unknown(name, image);
  return Known(name, build);
}

Verdict Check_File(const std::string& path) {
  FileBytes file;
  std::string reason;
  if (!file.Open(path, &reason)) return Not_Readable(path, reason);
  return Check_Bytes(path, file.Data(), file.Size());
}

}  // namespace quillon_check
