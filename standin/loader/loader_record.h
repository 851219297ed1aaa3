// A record the loader hands to an export (VersionReport, PluginInfo): filled with a
// known pattern, its string members prepared as empty host strings, so that after
// the call the stand-in can read the strings and list every byte the plug-in had no
// business changing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/loader/host_string_view.h"

namespace standin {

class LoaderRecord {
 public:
  // `strings`: byte offsets of the HostString members; `writable`: single bytes the
  // plug-in may write (a flag).
  LoaderRecord(unsigned bytes, std::vector<unsigned> strings, std::vector<unsigned> writable);

  std::uint8_t* Data() { return bytes_.data(); }
  // Makes the string member at `offset` hold `text` in a host heap block of
  // `capacity` + 1 bytes, as a record the host reuses would.
  void Hold_In_Block(unsigned offset, const std::string& text, std::uint32_t capacity,
                     HostHeap* heap);
  std::uint8_t Byte(unsigned offset) const { return bytes_.at(offset); }
  HostStringContents String_At(unsigned offset, const HostHeap& heap) const;
  // Offsets of changed bytes outside the text, length and capacity of the string
  // members and outside the writable bytes. A string's allocator word counts as
  // foreign: the plug-in never writes it.
  std::vector<unsigned> Foreign_Changes() const;
  // The host releases the strings' blocks with its own allocator when done.
  void Release_Strings(HostHeap* heap);

  static std::uint8_t Pattern(unsigned offset) { return static_cast<std::uint8_t>(0xA5 ^ offset); }

 private:
  bool May_Change(unsigned offset) const;

  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint8_t> pristine_;
  std::vector<unsigned> strings_;
  std::vector<unsigned> writable_;
};

}  // namespace standin
