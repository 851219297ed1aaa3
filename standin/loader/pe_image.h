// A 32-bit Windows DLL mapped into a Linux i386 process, as the Windows loader maps it:
// the headers and every section at their offsets in one private block, the base
// relocations applied for wherever the block landed, every import bound through a
// resolver the caller gives, each section then left with the protection its flags ask
// for. The code is the file's own bytes: the DLL an operator gets runs here unchanged,
// where no Windows and no Wine can.
//
// Only what a plain DLL of this processor uses: PE32, i386, HIGHLOW relocations,
// imports by name. Anything else is refused with a reason, never half mapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

class PeImage {
 public:
  // The address to bind `function` of `library` (as the import table names both) to,
  // or null when there is none: the image is then refused.
  using ImportResolver =
      std::function<const void*(const std::string& library, const std::string& function)>;

  PeImage() = default;
  PeImage(const PeImage&) = delete;
  PeImage& operator=(const PeImage&) = delete;
  ~PeImage() { Release(); }

  // Maps the file's bytes. On failure nothing stays mapped and `error` says why.
  bool Map(const std::vector<std::uint8_t>& file, const ImportResolver& resolve,
           std::string* error);
  // Unmaps the block (a pinned module is simply never released by its owner).
  void Release();
  // Forgets the block without unmapping it: a pinned module stays until the process ends.
  void Abandon() { base_ = nullptr; }

  bool Mapped() const { return base_ != nullptr; }
  // The module handle: on Windows, the address the image is mapped at.
  void* Base() const { return base_; }
  std::size_t Size() const { return size_; }
  bool Contains(const void* address) const;
  // The entry point (DllMain as the linker named it), or null when the image has none.
  const void* Entry() const;
  const void* Export(const char* name) const;
  // The imports bound, as "LIBRARY!Function".
  const std::vector<std::string>& Imports() const { return imports_; }

  // Whether the bytes start like a Windows executable image ("MZ").
  static bool Looks_Like_Pe(const std::vector<std::uint8_t>& file);

 private:
  bool Copy_Sections(const std::vector<std::uint8_t>& file, std::string* error);
  bool Relocate(std::string* error);
  bool Bind_Imports(const ImportResolver& resolve, std::string* error);
  bool Protect_Sections(std::string* error);
  struct DataDirectory {
    std::uint32_t address, size;
  };
  DataDirectory Directory(std::uint32_t index) const;
  // A pointer `size` bytes long at `rva` inside the image, or null if it leaves it.
  std::uint8_t* At(std::uint32_t rva, std::size_t size = 1) const;

  std::uint8_t* base_ = nullptr;
  std::size_t size_ = 0;
  std::uint32_t headers_ = 0;      // offset of the NT headers
  std::uint32_t sections_at_ = 0;  // offset of the section table
  std::uint16_t section_count_ = 0;
  std::vector<std::string> imports_;
};

}  // namespace standin
