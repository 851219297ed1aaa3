// The host heap: the blocks behind Host_Alloc and Host_Free, with the accounting the
// tests read (live blocks, totals, an event log, releases of unknown pointers) and a
// way to make chosen allocations fail. It also catches what a sanitizer would, where
// there is none (the DLL under Wine): guard bytes around every block, fill patterns,
// and a quarantine that keeps released blocks a while to see them written. Damage
// found at a release or a check goes into Errors().
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace standin {

struct HeapEvent {
  enum Kind { Allocate, Allocate_Failed, Release, Release_Null, Release_Unknown };
  Kind kind;
  std::uintptr_t block;
  std::uint32_t bytes;  // requested size; for a release, the size of the block released
};

class HostHeap {
 public:
  HostHeap() = default;
  HostHeap(const HostHeap&) = delete;
  HostHeap& operator=(const HostHeap&) = delete;
  ~HostHeap();

  // Returns a block of `bytes` (filled with 0xCD), or null for an allocation chosen
  // to fail.
  void* Allocate(std::uint32_t bytes);
  // Releases a block; null is accepted as the host's own release does. A pointer the
  // heap never handed out (or already took back) is recorded as an error and left alone.
  // The block's guards are checked, and it waits in the quarantine.
  void Release(void* block);
  // Checks the guards of every live block and every block in the quarantine.
  void Check();

  // Checks run by every heap of the process: full checks, and single blocks checked
  // at their release or on leaving the quarantine.
  static std::uint64_t Full_Checks();
  static std::uint64_t Block_Checks();

  // Makes allocation number `ordinal` (1 for the first since this heap was made) fail.
  void Fail_Allocation(std::uint64_t ordinal) { failing_.insert(ordinal); }
  // Lets every later allocation succeed again.
  void Stop_Failing() { failing_.clear(); }
  // Drops the event log; the live blocks and the totals stay. For long runs.
  void Forget_Log() { log_.clear(); }

  bool Owns(const void* block) const;
  // The requested size of a live block; 0 for a pointer the heap does not own.
  std::uint32_t Size_Of(const void* block) const;
  std::size_t Live_Blocks() const { return live_.size(); }
  std::uint64_t Live_Bytes() const;
  std::uint64_t Allocations() const { return allocations_; }
  std::uint64_t Releases() const { return releases_; }
  const std::vector<HeapEvent>& Log() const { return log_; }
  // One line per release of a pointer the heap does not own, and per damaged block.
  const std::vector<std::string>& Errors() const { return errors_; }

 private:
  struct ReleasedBlock {
    std::uintptr_t block;
    std::uint32_t bytes;
  };
  void Note_Damage(const char* damage, std::uintptr_t block, std::uint32_t bytes);
  void Leave_Quarantine();

  std::map<std::uintptr_t, std::uint32_t> live_;
  std::deque<ReleasedBlock> quarantine_;
  std::set<std::uint64_t> failing_;
  std::uint64_t allocations_ = 0;
  std::uint64_t releases_ = 0;
  std::vector<HeapEvent> log_;
  std::vector<std::string> errors_;
};

}  // namespace standin
