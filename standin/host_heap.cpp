#include "standin/host_heap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

// The fill patterns of the host's debug heap: fresh memory and released memory.
constexpr int Fresh_Fill = 0xCD;
constexpr int Released_Fill = 0xDD;

std::string Describe_Unknown(std::uintptr_t block) {
  char text[64];
  std::snprintf(text, sizeof text, "release of unknown block 0x%08lx",
                static_cast<unsigned long>(block));
  return text;
}

}  // namespace

Host_Heap::~Host_Heap() {
  for (const auto& [block, bytes] : live_) std::free(reinterpret_cast<void*>(block));
}

void* Host_Heap::Allocate(std::uint32_t bytes) {
  ++allocations_;
  if (failing_.count(allocations_) != 0) {
    log_.push_back({Heap_Event::Allocate_Failed, 0, bytes});
    return nullptr;
  }
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) {
    log_.push_back({Heap_Event::Allocate_Failed, 0, bytes});
    return nullptr;
  }
  std::memset(block, Fresh_Fill, bytes);
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  live_[address] = bytes;
  log_.push_back({Heap_Event::Allocate, address, bytes});
  return block;
}

void Host_Heap::Release(void* block) {
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  if (block == nullptr) {
    log_.push_back({Heap_Event::Release_Null, 0, 0});
    return;
  }
  const auto found = live_.find(address);
  if (found == live_.end()) {
    log_.push_back({Heap_Event::Release_Unknown, address, 0});
    errors_.push_back(Describe_Unknown(address));
    return;
  }
  ++releases_;
  log_.push_back({Heap_Event::Release, address, found->second});
  std::memset(block, Released_Fill, found->second);
  live_.erase(found);
  std::free(block);
}

bool Host_Heap::Owns(const void* block) const {
  return live_.count(reinterpret_cast<std::uintptr_t>(block)) != 0;
}

std::uint32_t Host_Heap::Size_Of(const void* block) const {
  const auto found = live_.find(reinterpret_cast<std::uintptr_t>(block));
  return found == live_.end() ? 0 : found->second;
}

std::uint64_t Host_Heap::Live_Bytes() const {
  std::uint64_t total = 0;
  for (const auto& entry : live_) total += entry.second;
  return total;
}

}  // namespace standin
