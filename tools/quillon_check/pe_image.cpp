#include "tools/quillon_check/pe_image.h"

#include <algorithm>

namespace quillon_check {

namespace {

constexpr std::size_t Dos_Header_Size = 64;
constexpr std::size_t New_Header_Offset_At = 0x3C;
constexpr std::size_t Coff_Header_Size = 20;
constexpr std::size_t Section_Header_Size = 40;
constexpr std::uint16_t Machine_I386 = 0x14C;
constexpr std::uint16_t Magic_Pe32 = 0x10B;
constexpr std::uint16_t Magic_Pe32_Plus = 0x20B;
constexpr std::uint16_t Characteristic_Dll = 0x2000;
constexpr std::size_t Image_Base_At = 28;  // in the optional header

std::uint16_t Read16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Whether `count` bytes from `offset` lie in a file of `size` bytes, without overflow.
bool Fits(std::uint64_t offset, std::uint64_t count, std::size_t size) {
  return offset <= size && count <= size - offset;
}

// A section's name as a reader can print it: its eight bytes up to the first NUL,
// anything but plain printable ASCII shown as '?'.
std::string Section_Name(const std::uint8_t* header) {
  std::string name;
  for (std::size_t i = 0; i < 8 && header[i] != 0; ++i) {
    name += header[i] >= 0x20 && header[i] < 0x7F ? static_cast<char>(header[i]) : '?';
  }
  return name;
}

}  // namespace

bool PeImage::Read(const std::uint8_t* bytes, std::size_t size, std::string* reason) {
  bytes_ = bytes;
  size_ = size;
  image_base_ = 0;
  sections_.clear();
  const auto fail = [&](const char* why) {
    sections_.clear();
    *reason = why;
    return false;
  };
  if (size == 0) return fail("the file is empty");
  const bool mz = size >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
  if (!mz) return fail("not a Windows executable (no MZ header)");
  if (size < Dos_Header_Size) return fail("the file is truncated: its DOS header is cut short");
  const std::uint32_t pe_at = Read32(bytes + New_Header_Offset_At);
  if (!Fits(pe_at, 4, size)) {
    return fail("the file is truncated: its PE header lies past the end of the file");
  }
  const std::uint8_t* pe = bytes + pe_at;
  if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) {
    return fail("not a Windows executable (an MZ header without a PE header)");
  }
  const std::uint64_t coff_at = std::uint64_t{pe_at} + 4;
  const std::uint64_t optional_at = coff_at + Coff_Header_Size;
  if (!Fits(coff_at, Coff_Header_Size + 2, size)) {
    return fail("the file is truncated: its PE header is cut short");
  }
  const std::uint8_t* coff = bytes + coff_at;
  const std::uint16_t machine = Read16(coff);
  const std::uint16_t section_count = Read16(coff + 2);
  const std::uint16_t optional_size = Read16(coff + 16);
  const std::uint16_t characteristics = Read16(coff + 18);
  const std::uint16_t magic = Read16(bytes + optional_at);
  if (magic == Magic_Pe32_Plus) {
    return fail("a 64-bit (PE32+) executable, not the 32-bit server the plug-in runs in");
  }
  if (magic != Magic_Pe32) return fail("not a Windows executable (an unknown optional header)");
  if (machine != Machine_I386) return fail("an executable for another processor, not i386");
  if (optional_size < Image_Base_At + 4) {
    return fail("not a Windows executable (its optional header is too short)");
  }
  if (!Fits(optional_at, optional_size, size)) {
    return fail("the file is truncated: its optional header is cut short");
  }
  if ((characteristics & Characteristic_Dll) != 0) {
    return fail("a DLL, not the server's executable");
  }
  image_base_ = Read32(bytes + optional_at + Image_Base_At);

  const std::uint64_t table_at = optional_at + optional_size;
  if (!Fits(table_at, std::uint64_t{section_count} * Section_Header_Size, size)) {
    return fail("the file is truncated: its section table runs past the end of the file");
  }
  sections_.reserve(section_count);
  for (std::size_t i = 0; i < section_count; ++i) {
    const std::uint8_t* header = bytes + table_at + i * Section_Header_Size;
    const std::uint32_t virtual_size = Read32(header + 8);
    const std::uint32_t raw_size = Read32(header + 16);
    const std::uint32_t raw_at = Read32(header + 20);
    if (raw_size != 0 && !Fits(raw_at, raw_size, size)) {
      *reason = "section " + std::to_string(i + 1) + " (" + Section_Name(header) +
                ")'s data lies past the end of the file";
      sections_.clear();
      return false;
    }
    Section section;
    section.virtual_address = Read32(header + 12);
    // A section without a virtual size takes its file size.
    section.virtual_size = virtual_size != 0 ? virtual_size : raw_size;
    section.file_offset = raw_size != 0 ? raw_at : 0;
    section.file_size = std::min(raw_size, section.virtual_size);
    sections_.push_back(section);
  }
  return true;
}

bool PeImage::Read_Virtual(std::uint32_t address, std::size_t count, std::uint8_t* out) const {
  if (address < image_base_) return false;
  const std::uint64_t first = address - image_base_;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t at = first + i;
    const auto holder = std::find_if(sections_.begin(), sections_.end(), [at](const Section& s) {
      return at >= s.virtual_address && at - s.virtual_address < s.virtual_size;
    });
    if (holder == sections_.end()) return false;
    const std::uint64_t into = at - holder->virtual_address;
    out[i] = into < holder->file_size ? bytes_[holder->file_offset + into] : 0;
  }
  return true;
}

}  // namespace quillon_check
