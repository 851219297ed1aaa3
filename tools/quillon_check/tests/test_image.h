// Server images the tests make themselves: a PE32 header and section table built field
// by field, sections at chosen addresses, and bytes written at virtual addresses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon_check::testing {

constexpr std::uint32_t Server_Base = 0x400000;

struct TestSection {
  std::string name;
  std::uint32_t virtual_address;  // relative to the base
  std::uint32_t virtual_size;
  std::uint32_t file_size;  // bytes in the file, from the section's start; padded there
  std::uint32_t characteristics = 0x60000020;  // code, readable, executable
};

class TestImage {
 public:
  // A server like the host's: code from 0x1000 up to past every probe, data after it.
  static TestImage Server();

  explicit TestImage(std::vector<TestSection> sections, std::uint32_t base = Server_Base);

  // Writes into the file bytes that hold virtual address `address` (which must be in a
  // section's file part or the padding after it).
  void Write(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
  void Write_Signature(std::uint32_t address);

  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  // The file offset of a header field, for tests that spoil one.
  std::size_t Pe_Header_At() const { return Pe_At; }
  std::size_t Section_Header_At(std::size_t index) const;

  static constexpr std::size_t Pe_At = 0x80;

 private:
  std::vector<TestSection> sections_;
  std::vector<std::uint32_t> file_offsets_;
  std::uint32_t base_;
  std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> Signature();

}  // namespace quillon_check::testing
