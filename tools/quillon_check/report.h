// The checker's verdict on one file: an exit status a script can use and the one line
// an operator reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon_check {

enum Status : int {
  Known_Build = 0,    // build 0 or 1: every command works
  Partial_Build = 1,  // a known build that lacks entries (build 4)
  Unknown_Build = 2,  // the plug-in loads and stays idle
  Unreadable = 3,     // not a 32-bit Windows executable, or no file to read
};

struct Verdict {
  Status status;
  std::string line;  // without its newline
};

// The verdict on the bytes of the file named `name`.
Verdict Check_Bytes(const std::string& name, const std::uint8_t* bytes, std::size_t size);

// The verdict on the file at `path`, read once.
Verdict Check_File(const std::string& path);

}  // namespace quillon_check
