#include "standin/heap/host_heap.h"

#include <cstdio>

#include "standin/heap/guarded_block.h"

namespace standin {

namespace {

// Released blocks wait this long before going back to the C library: long enough to
// see a command write into what it gave back, short enough for a fuzzing run.
constexpr std::size_t Quarantine_Blocks = 256;

std::uint64_t Full_Checks_Run = 0;
std::uint64_t Block_Checks_Run = 0;

std::string Describe_Unknown(std::uintptr_t block) {
  char text[64];
  std::snprintf(text, sizeof text, "release of unknown block 0x%08lx",
                static_cast<unsigned long>(block));
  return text;
}

void* As_Block(std::uintptr_t address) { return reinterpret_cast<void*>(address); }

}  // namespace

HostHeap::~HostHeap() {
  for (const auto& [block, bytes] : live_) guarded_block::Free(As_Block(block), bytes);
  for (const ReleasedBlock& released : quarantine_) {
    guarded_block::Free(As_Block(released.block), released.bytes);
  }
}

std::uint64_t HostHeap::Full_Checks() { return Full_Checks_Run; }
std::uint64_t HostHeap::Block_Checks() { return Block_Checks_Run; }

void HostHeap::Note_Damage(const char* damage, std::uintptr_t block, std::uint32_t bytes) {
  if (damage == nullptr) return;
  char text[160];
  std::snprintf(text, sizeof text, "block 0x%08lx of %lu bytes: %s",
                static_cast<unsigned long>(block), static_cast<unsigned long>(bytes), damage);
  errors_.push_back(text);
}

void HostHeap::Leave_Quarantine() {
  const ReleasedBlock oldest = quarantine_.front();
  quarantine_.pop_front();
  ++Block_Checks_Run;
  Note_Damage(guarded_block::Released_Damage(As_Block(oldest.block), oldest.bytes), oldest.block,
              oldest.bytes);
  guarded_block::Free(As_Block(oldest.block), oldest.bytes);
}

void HostHeap::Check() {
  ++Full_Checks_Run;
  for (const auto& [block, bytes] : live_) {
    Note_Damage(guarded_block::Live_Damage(As_Block(block), bytes), block, bytes);
  }
  for (const ReleasedBlock& released : quarantine_) {
    Note_Damage(guarded_block::Released_Damage(As_Block(released.block), released.bytes),
                released.block, released.bytes);
  }
}

void* HostHeap::Allocate(std::uint32_t bytes) {
  ++allocations_;
  if (failing_.count(allocations_) != 0) {
    log_.push_back({HeapEvent::Allocate_Failed, 0, bytes});
    return nullptr;
  }
  void* block = guarded_block::Allocate(bytes);
  if (block == nullptr) {
    log_.push_back({HeapEvent::Allocate_Failed, 0, bytes});
    return nullptr;
  }
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  live_[address] = bytes;
  log_.push_back({HeapEvent::Allocate, address, bytes});
  return block;
}

void HostHeap::Release(void* block) {
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  if (block == nullptr) {
    log_.push_back({HeapEvent::Release_Null, 0, 0});
    return;
  }
  const auto found = live_.find(address);
  if (found == live_.end()) {
    log_.push_back({HeapEvent::Release_Unknown, address, 0});
    errors_.push_back(Describe_Unknown(address));
    return;
  }
  ++releases_;
  const std::uint32_t bytes = found->second;
  log_.push_back({HeapEvent::Release, address, bytes});
  live_.erase(found);
  ++Block_Checks_Run;
  Note_Damage(guarded_block::Live_Damage(block, bytes), address, bytes);
  guarded_block::Mark_Released(block, bytes);
  quarantine_.push_back({address, bytes});
  if (quarantine_.size() > Quarantine_Blocks) Leave_Quarantine();
}

bool HostHeap::Owns(const void* block) const {
  return live_.count(reinterpret_cast<std::uintptr_t>(block)) != 0;
}

std::uint32_t HostHeap::Size_Of(const void* block) const {
  const auto found = live_.find(reinterpret_cast<std::uintptr_t>(block));
  return found == live_.end() ? 0 : found->second;
}

std::uint64_t HostHeap::Live_Bytes() const {
  std::uint64_t total = 0;
  for (const auto& entry : live_) total += entry.second;
  return total;
}

}  // namespace standin
