#include "standin/loader_traps.h"

#include <cstring>

#include "standin/stub_functions.h"

namespace standin {

namespace {
struct Loader_Trap_Tag;
constexpr unsigned Trap_Count = 17;  // the object's operations, then the callback
using Traps = Stub_Family<Loader_Trap_Tag, Trap_Count>;
}  // namespace

Loader_Traps::Loader_Traps() {
  Traps::Reset_Calls();
  for (unsigned i = 0; i < Operation_Count; ++i) operations_[i] = Traps::Address(i);
  object_.operations = operations_;
  std::memset(object_.members, 0x6B, sizeof object_.members);
}

void* Loader_Traps::Destroy_Callback() const {
  return const_cast<void*>(Traps::Address(Trap_Count - 1));
}

std::uint32_t Loader_Traps::Calls() const {
  std::uint32_t total = 0;
  for (unsigned i = 0; i < Trap_Count; ++i) total += Traps::Calls(i);
  return total;
}

}  // namespace standin
