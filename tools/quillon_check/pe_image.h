// A 32-bit Windows executable read from its bytes, never run: the headers, the section
// table, and the image as the loader lays it out at the preferred base the file
// declares. Every read stays inside the bytes given, whatever the headers claim.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon_check {

// One section as the loader maps it: `virtual_size` bytes from `virtual_address`
// (relative to the base), the first `file_size` of them from the file at
// `file_offset`, the rest zeros.
struct Section {
  std::uint32_t virtual_address;
  std::uint32_t virtual_size;
  std::uint32_t file_offset;
  std::uint32_t file_size;  // never more than virtual_size
};

class PeImage {
 public:
  // Reads `size` bytes at `bytes`, which must outlive the image. On failure returns
  // false and says why in plain words in `reason`.
  bool Read(const std::uint8_t* bytes, std::size_t size, std::string* reason);

  std::uint32_t Image_Base() const { return image_base_; }
  const std::vector<Section>& Sections() const { return sections_; }  // in table order

  // Copies `count` bytes of the image at virtual address `address` (the base
  // included) to `out`: false if any of them is outside every section.
  bool Read_Virtual(std::uint32_t address, std::size_t count, std::uint8_t* out) const;

  // The bytes a section takes from the file.
  const std::uint8_t* File_Bytes(const Section& section) const {
    return bytes_ + section.file_offset;
  }

 private:
  const std::uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::uint32_t image_base_ = 0;
  std::vector<Section> sections_;
};

}  // namespace quillon_check
