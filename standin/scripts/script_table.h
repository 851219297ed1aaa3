// The host's script command table: an 816-byte record with its size and version
// fields, then 202 slots. Every slot starts out holding a distinct stand-in stub,
// so tests can tell exactly which slots the plug-in overwrote.
#pragma once

#include <cstdint>
#include <vector>

#include "standin/image/host_layout.h"

namespace standin {

class ScriptTable {
 public:
  // Fills the record: size, version (overridable for refusal tests), stubs.
  explicit ScriptTable(std::uint32_t size = Script_Table_Bytes,
                       std::uint32_t version = Script_Table_Version);
  ScriptTable(const ScriptTable&) = delete;
  ScriptTable& operator=(const ScriptTable&) = delete;

  // The location the host passes to Set_Script_Commands: a variable that holds the
  // table pointer.
  void** Location() { return &pointer_; }
  std::uint8_t* Record() { return record_; }

  std::uint32_t Field(unsigned offset) const;
  // The slot at byte `offset` as it stands, and as the host filled it.
  std::uint32_t Slot(unsigned offset) const { return Field(offset); }
  static std::uint32_t Original_Slot(unsigned offset);
  // Byte offsets of the slots that no longer hold the host's entry.
  std::vector<unsigned> Changed_Slots() const;
  // Installs a host function in a slot (the world of players uses this).
  void Set_Slot(unsigned offset, const void* function);
  // How often the plug-in called the host's own entry of a slot.
  static std::uint32_t Original_Calls(unsigned offset);

 private:
  alignas(16) std::uint8_t record_[Script_Table_Bytes];
  void* pointer_;
};

}  // namespace standin
