#include "standin/loader/loader_traps.h"

#include <cstring>

#include "standin/image/stub_functions.h"

namespace standin {

namespace {
struct LoaderTrapTag;
constexpr unsigned Trap_Count = 17;  // the object's operations, then the callback
using Traps = StubFamily<LoaderTrapTag, Trap_Count>;
}  // namespace

LoaderTraps::LoaderTraps() {
  Traps::Reset_Calls();
  for (unsigned i = 0; i < Operation_Count; ++i) operations_[i] = Traps::Address(i);
  object_.operations = operations_;
  std::memset(object_.members, 0x6B, sizeof object_.members);
}

void* LoaderTraps::Destroy_Callback() const {
  return const_cast<void*>(Traps::Address(Trap_Count - 1));
}

std::uint32_t LoaderTraps::Calls() const {
  std::uint32_t total = 0;
  for (unsigned i = 0; i < Trap_Count; ++i) total += Traps::Calls(i);
  return total;
}

}  // namespace standin
