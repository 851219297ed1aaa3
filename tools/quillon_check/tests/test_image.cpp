#include "tools/quillon_check/tests/test_image.h"

#include <cstring>
#include <stdexcept>

#include "host/host_builds.h"

namespace quillon_check::testing {

namespace {

constexpr std::size_t Optional_Size = 224;
constexpr std::uint32_t File_Alignment = 0x200;

void Put16(std::vector<std::uint8_t>* bytes, std::size_t at, std::uint16_t value) {
  (*bytes)[at] = static_cast<std::uint8_t>(value);
  (*bytes)[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>* bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Aligned(std::size_t size) {
  return static_cast<std::uint32_t>((size + File_Alignment - 1) / File_Alignment * File_Alignment);
}

}  // namespace

std::vector<std::uint8_t> Signature() {
  return {host::Build_Signature, host::Build_Signature + host::Build_Signature_Length};
}

TestImage TestImage::Server() {
  return TestImage({{".text", 0x1000, 0x3A0000, 0x3A0000},
                    {".rdata", 0x3A1000, 0x20000, 0x20000, 0x40000040},
                    {".data", 0x3C1000, 0x90000, 0x10000, 0xC0000040}});
}

TestImage::TestImage(std::vector<TestSection> sections, std::uint32_t base)
    : sections_(std::move(sections)), base_(base) {
  const std::size_t table_at = Pe_At + 4 + 20 + Optional_Size;
  std::uint32_t offset = Aligned(table_at + 40 * sections_.size());
  for (const TestSection& section : sections_) {
    file_offsets_.push_back(offset);
    offset += Aligned(section.file_size);
  }
  bytes_.assign(offset, 0);
  bytes_[0] = 'M';
  bytes_[1] = 'Z';
  Put32(&bytes_, 0x3C, Pe_At);
  std::memcpy(&bytes_[Pe_At], "PE\0\0", 4);
  const std::size_t coff = Pe_At + 4;
  Put16(&bytes_, coff, 0x14C);
  Put16(&bytes_, coff + 2, static_cast<std::uint16_t>(sections_.size()));
  Put16(&bytes_, coff + 16, Optional_Size);
  Put16(&bytes_, coff + 18, 0x0102);  // an executable image for a 32-bit machine
  const std::size_t optional = coff + 20;
  Put16(&bytes_, optional, 0x10B);
  Put32(&bytes_, optional + 28, base_);
  Put32(&bytes_, optional + 32, 0x1000);  // section alignment
  Put32(&bytes_, optional + 36, File_Alignment);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const std::size_t at = Section_Header_At(i);
    std::memcpy(&bytes_[at], sections_[i].name.data(),
                std::min<std::size_t>(8, sections_[i].name.size()));
    Put32(&bytes_, at + 8, sections_[i].virtual_size);
    Put32(&bytes_, at + 12, sections_[i].virtual_address);
    Put32(&bytes_, at + 16, sections_[i].file_size);
    Put32(&bytes_, at + 20, sections_[i].file_size == 0 ? 0 : file_offsets_[i]);
    Put32(&bytes_, at + 36, sections_[i].characteristics);
  }
}

std::size_t TestImage::Section_Header_At(std::size_t index) const {
  return Pe_At + 4 + 20 + Optional_Size + 40 * index;
}

void TestImage::Write(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint32_t rva = address + static_cast<std::uint32_t>(i) - base_;
    bool written = false;
    for (std::size_t s = 0; s < sections_.size() && !written; ++s) {
      const std::uint32_t into = rva - sections_[s].virtual_address;
      if (rva >= sections_[s].virtual_address && into < Aligned(sections_[s].file_size)) {
        bytes_[file_offsets_[s] + into] = bytes[i];
        written = true;
      }
    }
    if (!written) throw std::logic_error("a test writes outside every section's file bytes");
  }
}

void TestImage::Write_Signature(std::uint32_t address) { Write(address, Signature()); }

}  // namespace quillon_check::testing
