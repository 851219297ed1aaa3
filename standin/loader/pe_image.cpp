#include "standin/loader/pe_image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace standin {

namespace {

// Offsets into the image's headers, as the PE format lays them out.
namespace pe {
constexpr std::uint32_t Dos_New_Header = 0x3C;  // e_lfanew
constexpr std::uint32_t File_Header = 4;        // after "PE\0\0"
constexpr std::uint32_t Optional_Header = 24;
// In the file header.
constexpr std::uint32_t Machine = File_Header + 0;
constexpr std::uint32_t Section_Count = File_Header + 2;
constexpr std::uint32_t Optional_Header_Size = File_Header + 16;
constexpr std::uint32_t Characteristics = File_Header + 18;
// In the optional header (PE32).
constexpr std::uint32_t Magic = Optional_Header + 0;
constexpr std::uint32_t Entry_Point = Optional_Header + 16;
constexpr std::uint32_t Image_Base = Optional_Header + 28;
constexpr std::uint32_t Section_Alignment = Optional_Header + 32;
constexpr std::uint32_t Image_Size = Optional_Header + 56;
constexpr std::uint32_t Headers_Size = Optional_Header + 60;
constexpr std::uint32_t Directory_Count = Optional_Header + 92;
constexpr std::uint32_t Directories = Optional_Header + 96;
// Data directories.
constexpr std::uint32_t Export_Directory = 0;
constexpr std::uint32_t Import_Directory = 1;
constexpr std::uint32_t Relocation_Directory = 5;
constexpr std::uint32_t Tls_Directory = 9;
// A section header.
constexpr std::uint32_t Section_Header_Size = 40;
constexpr std::uint32_t Section_Virtual_Size = 8;
constexpr std::uint32_t Section_Address = 12;
constexpr std::uint32_t Section_Raw_Size = 16;
constexpr std::uint32_t Section_Raw_Offset = 20;
constexpr std::uint32_t Section_Flags = 36;

constexpr std::uint16_t I386 = 0x14C;
constexpr std::uint16_t Pe32 = 0x10B;
constexpr std::uint16_t Is_Dll = 0x2000;
constexpr std::uint32_t Executable = 0x20000000;
constexpr std::uint32_t Readable = 0x40000000;
constexpr std::uint32_t Writable = 0x80000000;
constexpr std::uint16_t Relocation_Padding = 0;  // IMAGE_REL_BASED_ABSOLUTE
constexpr std::uint16_t Relocation_Highlow = 3;  // IMAGE_REL_BASED_HIGHLOW
constexpr std::uint32_t Import_By_Ordinal = 0x80000000;
}  // namespace pe

// The image's fields, little-endian like this processor, at any alignment.
template <typename Field>
Field Read(const std::uint8_t* at) {
  Field value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::uint16_t Read16(const std::uint8_t* at) { return Read<std::uint16_t>(at); }
std::uint32_t Read32(const std::uint8_t* at) { return Read<std::uint32_t>(at); }

void Write32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, sizeof value); }

std::size_t Page_Size() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

std::size_t Round_Up(std::size_t value, std::size_t step) {
  return (value + step - 1) / step * step;
}

// The terminated string at `at`, at most `limit` bytes long, or empty if unterminated.
std::string String_At(const std::uint8_t* at, std::size_t limit) {
  const void* end = std::memchr(at, 0, limit);
  return end == nullptr ? std::string()
                        : std::string(reinterpret_cast<const char*>(at),
                                      static_cast<const std::uint8_t*>(end) - at);
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

bool PeImage::Looks_Like_Pe(const std::vector<std::uint8_t>& file) {
  return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
}

std::uint8_t* PeImage::At(std::uint32_t rva, std::size_t size) const {
  if (base_ == nullptr || rva > size_ || size > size_ - rva) return nullptr;
  return base_ + rva;
}

bool PeImage::Contains(const void* address) const {
  const auto* byte = static_cast<const std::uint8_t*>(address);
  return base_ != nullptr && byte >= base_ && byte < base_ + size_;
}

bool PeImage::Map(const std::vector<std::uint8_t>& file, const ImportResolver& resolve,
                  std::string* error) {
  Release();
  const bool mapped = Copy_Sections(file, error) && Relocate(error) &&
                      Bind_Imports(resolve, error) && Protect_Sections(error);
  if (!mapped) Release();
  return mapped;
}

void PeImage::Release() {
  if (base_ != nullptr) munmap(base_, size_);
  base_ = nullptr;
  size_ = 0;
  imports_.clear();
}

// Checks the headers against the file and copies headers and sections into a block of
// the image's size; what no section fills stays zero, as the loader leaves it.
bool PeImage::Copy_Sections(const std::vector<std::uint8_t>& file, std::string* error) {
  const auto fits = [&](std::uint64_t offset, std::uint64_t length) {
    return offset <= file.size() && length <= file.size() - offset;
  };
  if (!Looks_Like_Pe(file) || !fits(pe::Dos_New_Header, 4)) {
    *error = "not a Windows image (no MZ header)";
    return false;
  }
  headers_ = Read32(&file[pe::Dos_New_Header]);
  if (!fits(headers_, pe::Directories) || std::memcmp(&file[headers_], "PE\0\0", 4) != 0) {
    *error = "not a Windows image (no PE header)";
    return false;
  }
  const std::uint8_t* nt = &file[headers_];
  if (Read16(nt + pe::Machine) != pe::I386 || Read16(nt + pe::Magic) != pe::Pe32 ||
      (Read16(nt + pe::Characteristics) & pe::Is_Dll) == 0) {
    *error = "not a 32-bit i386 DLL";
    return false;
  }
  const std::size_t page = Page_Size();
  if (Read32(nt + pe::Section_Alignment) % page != 0) {
    *error = "sections aligned below a page cannot be protected one by one";
    return false;
  }
  const std::uint32_t image_size = Read32(nt + pe::Image_Size);
  const std::uint32_t headers_size = Read32(nt + pe::Headers_Size);
  sections_at_ = headers_ + pe::Optional_Header + Read16(nt + pe::Optional_Header_Size);
  section_count_ = Read16(nt + pe::Section_Count);
  if (image_size == 0 || headers_size > image_size || !fits(0, headers_size) ||
      !fits(sections_at_, std::uint64_t{section_count_} * pe::Section_Header_Size) ||
      sections_at_ + std::uint64_t{section_count_} * pe::Section_Header_Size > headers_size) {
    *error = "the image's headers do not fit the file";
    return false;
  }
  size_ = Round_Up(image_size, page);
  void* block = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    *error = "cannot reserve " + std::to_string(size_) + " bytes for the image";
    size_ = 0;
    return false;
  }
  base_ = static_cast<std::uint8_t*>(block);
  std::memcpy(base_, file.data(), headers_size);
  for (std::uint16_t i = 0; i < section_count_; ++i) {
    const std::uint8_t* section = &file[sections_at_ + i * pe::Section_Header_Size];
    const std::uint32_t address = Read32(section + pe::Section_Address);
    const std::uint32_t raw_size = Read32(section + pe::Section_Raw_Size);
    const std::uint32_t raw_offset = Read32(section + pe::Section_Raw_Offset);
    const std::uint32_t virtual_size = Read32(section + pe::Section_Virtual_Size);
    const std::uint32_t copied =
        virtual_size != 0 && virtual_size < raw_size ? virtual_size : raw_size;
    if (!fits(raw_offset, copied) || At(address, copied) == nullptr) {
      *error = "section " + std::to_string(i) + " lies outside the file or the image";
      return false;
    }
    if (copied != 0) std::memcpy(base_ + address, &file[raw_offset], copied);
  }
  return true;
}

// The linker placed the image at its preferred base; each HIGHLOW entry holds an
// absolute address that moves with the block.
bool PeImage::Relocate(std::string* error) {
  const std::uint8_t* nt = base_ + headers_;
  const std::uint32_t delta = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(base_)) -
                              Read32(nt + pe::Image_Base);
  const auto [table, table_size] = Directory(pe::Relocation_Directory);
  if (table == 0 || table_size == 0) {
    if (delta == 0) return true;
    *error = "the image has no relocations and cannot move from its base";
    return false;
  }
  for (std::uint32_t offset = 0; offset + 8 <= table_size;) {
    const std::uint8_t* block = At(table + offset, 8);
    const std::uint32_t page = block != nullptr ? Read32(block) : 0;
    const std::uint32_t block_size = block != nullptr ? Read32(block + 4) : 0;
    if (block == nullptr || block_size < 8 || At(table + offset, block_size) == nullptr) {
      *error = "a relocation block at " + Hex(table + offset) + " is malformed";
      return false;
    }
    for (std::uint32_t at = 8; at + 2 <= block_size; at += 2) {
      const std::uint16_t item = Read16(block + at);
      const std::uint16_t type = item >> 12;
      if (type == pe::Relocation_Padding) continue;
      std::uint8_t* target = At(page + (item & 0xFFF), 4);
      if (type != pe::Relocation_Highlow || target == nullptr) {
        *error = "relocation type " + std::to_string(type) + " at " + Hex(page + (item & 0xFFF)) +
                 " is not one a 32-bit image uses here";
        return false;
      }
      Write32(target, Read32(target) + delta);
    }
    offset += block_size;
  }
  return true;
}

bool PeImage::Bind_Imports(const ImportResolver& resolve, std::string* error) {
  if (Directory(pe::Tls_Directory).address != 0) {
    *error = "the image has thread-local storage, whose callbacks this loader does not run";
    return false;
  }
  const std::uint32_t table = Directory(pe::Import_Directory).address;
  if (table == 0) return true;
  constexpr std::uint32_t Descriptor_Size = 20;
  for (std::uint32_t at = table;; at += Descriptor_Size) {
    const std::uint8_t* descriptor = At(at, Descriptor_Size);
    if (descriptor == nullptr) {
      *error = "the import table runs off the image";
      return false;
    }
    const std::uint32_t name = Read32(descriptor + 12);
    if (name == 0) return true;
    const std::uint32_t names =
        Read32(descriptor) != 0 ? Read32(descriptor) : Read32(descriptor + 16);
    const std::uint32_t slots = Read32(descriptor + 16);
    const std::uint8_t* library_name = At(name);
    const std::string library = library_name ? String_At(library_name, size_ - name) : "";
    for (std::uint32_t i = 0;; ++i) {
      const std::uint8_t* name_entry = At(names + 4 * i, 4);
      std::uint8_t* slot = At(slots + 4 * i, 4);
      if (name_entry == nullptr || slot == nullptr) {
        *error = "the imports of " + library + " run off the image";
        return false;
      }
      const std::uint32_t by_name = Read32(name_entry);
      if (by_name == 0) break;
      const std::uint8_t* hint_and_name =
          (by_name & pe::Import_By_Ordinal) ? nullptr : At(by_name + 2);
      const std::string function = hint_and_name ? String_At(hint_and_name, size_ - by_name - 2)
                                                 : "#" + std::to_string(by_name & 0xFFFF);
      const void* address = resolve(library, function);
      if (address == nullptr) {
        *error = "the image imports " + library + "!" + function + ", which is not provided";
        return false;
      }
      Write32(slot, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
      imports_.push_back(library + "!" + function);
    }
  }
}

// Headers read-only, then each section as its flags say. A section the flags make
// neither readable nor executable is left inaccessible, as Windows leaves it.
bool PeImage::Protect_Sections(std::string* error) {
  const std::uint8_t* nt = base_ + headers_;
  const std::size_t page = Page_Size();
  // Read every section header before the first mprotect takes the headers' write access.
  struct Range {
    std::uint32_t address, size;
    int protection;
  };
  std::vector<Range> ranges;
  ranges.push_back(
      {0, static_cast<std::uint32_t>(Round_Up(Read32(nt + pe::Headers_Size), page)), PROT_READ});
  for (std::uint16_t i = 0; i < section_count_; ++i) {
    const std::uint8_t* section = base_ + sections_at_ + i * pe::Section_Header_Size;
    const std::uint32_t flags = Read32(section + pe::Section_Flags);
    const std::uint32_t extent = std::max(Read32(section + pe::Section_Virtual_Size),
                                          Read32(section + pe::Section_Raw_Size));
    const int protection = ((flags & pe::Readable) ? PROT_READ : 0) |
                           ((flags & pe::Writable) ? PROT_WRITE : 0) |
                           ((flags & pe::Executable) ? PROT_EXEC : 0);
    ranges.push_back({Read32(section + pe::Section_Address),
                      static_cast<std::uint32_t>(Round_Up(extent, page)), protection});
  }
  for (const Range& range : ranges) {
    if (range.size == 0) continue;
    if (At(range.address, range.size) == nullptr ||
        mprotect(base_ + range.address, range.size, range.protection) != 0) {
      *error = "cannot protect the image's pages at " + Hex(range.address);
      return false;
    }
  }
  return true;
}

// An image may list fewer directories than there are kinds: a missing one is empty.
PeImage::DataDirectory PeImage::Directory(std::uint32_t index) const {
  const std::uint8_t* nt = base_ + headers_;
  if (Read32(nt + pe::Directory_Count) <= index) return {0, 0};
  const std::uint8_t* entry = nt + pe::Directories + index * 8;
  return {Read32(entry), Read32(entry + 4)};
}

const void* PeImage::Entry() const {
  if (base_ == nullptr) return nullptr;
  const std::uint32_t entry = Read32(base_ + headers_ + pe::Entry_Point);
  return entry == 0 ? nullptr : At(entry);
}

const void* PeImage::Export(const char* name) const {
  if (base_ == nullptr) return nullptr;
  const std::uint32_t table = Directory(pe::Export_Directory).address;
  const std::uint8_t* directory = table != 0 ? At(table, 40) : nullptr;
  if (directory == nullptr) return nullptr;
  const std::uint32_t functions = Read32(directory + 20);
  const std::uint32_t names = Read32(directory + 24);
  const std::uint8_t* function_table = At(Read32(directory + 28), 4 * std::size_t{functions});
  const std::uint8_t* name_table = At(Read32(directory + 32), 4 * std::size_t{names});
  const std::uint8_t* ordinal_table = At(Read32(directory + 36), 2 * std::size_t{names});
  if (function_table == nullptr || name_table == nullptr || ordinal_table == nullptr) {
    return nullptr;
  }
  for (std::uint32_t i = 0; i < names; ++i) {
    const std::uint32_t name_at = Read32(name_table + 4 * i);
    const std::uint8_t* text = At(name_at);
    if (text == nullptr || String_At(text, size_ - name_at) != name) continue;
    const std::uint16_t index = Read16(ordinal_table + 2 * i);
    return index < functions ? At(Read32(function_table + 4 * index)) : nullptr;
  }
  return nullptr;
}

}  // namespace standin
