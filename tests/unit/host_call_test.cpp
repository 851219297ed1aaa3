// Typed host entries call in their own convention, and an entry a build lacks calls
// nothing and says so.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/calling_convention.h"

namespace {

struct Counter {
  int calls = 0;
  int total = 0;
};

__attribute__((noinline)) HOST_CDECL void Cdecl_Add(Counter* counter, int amount) {
  ++counter->calls;
  counter->total += amount;
}

__attribute__((noinline)) HOST_THISCALL void Thiscall_Add(Counter* counter, int amount) {
  ++counter->calls;
  counter->total += amount;
}

__attribute__((noinline)) HOST_CDECL void Cdecl_Bump(Counter* counter) { ++counter->calls; }

__attribute__((noinline)) HOST_THISCALL void Thiscall_Bump(Counter* counter) { ++counter->calls; }

// A cdecl and a thiscall entry of one prototype, called side by side: each must keep
// its own convention (one compiler has taken both for one template argument).
TEST(HostCallTest, EntriesOfOnePrototypeKeepTheirOwnConvention) {
  const host::Cdecl<void(Counter*, int)> cdecl_add{host::Address_Of(&Cdecl_Add)};
  const host::Thiscall<void(Counter*, int)> thiscall_add{host::Address_Of(&Thiscall_Add)};
  const host::Cdecl<void(Counter*)> cdecl_bump{host::Address_Of(&Cdecl_Bump)};
  const host::Thiscall<void(Counter*)> thiscall_bump{host::Address_Of(&Thiscall_Bump)};
  Counter first, second;
  EXPECT_TRUE(cdecl_add(&first, 2).Called());
  EXPECT_TRUE(thiscall_add(&second, 3).Called());
  EXPECT_TRUE(cdecl_bump(&first).Called());
  EXPECT_TRUE(thiscall_bump(&second).Called());
  EXPECT_EQ(first.calls, 2);
  EXPECT_EQ(first.total, 2);
  EXPECT_EQ(second.calls, 2);
  EXPECT_EQ(second.total, 3);
}

__attribute__((noinline)) HOST_CDECL void* Echo(void* value) { return value; }

TEST(HostCallTest, AMissingEntryCallsNothingAndGivesTheFallback) {
  const host::Cdecl<void*(void*)> missing{};
  const host::Cdecl<void*(void*)> echo{host::Address_Of(&Echo)};
  int here = 0;
  EXPECT_FALSE(missing(&here).Called());
  EXPECT_EQ(missing(&here).Or(nullptr), nullptr);
  EXPECT_EQ(echo(&here).Or(nullptr), &here);
  // The same for entries that return nothing and for member functions: a missing one
  // is never called at address 0, and says it was not called.
  Counter untouched;
  const host::Cdecl<void(Counter*)> missing_bump{};
  const host::Thiscall<void(Counter*)> missing_member_bump{};
  const host::Thiscall<void*(void*)> missing_member{};
  EXPECT_FALSE(missing_bump(&untouched).Called());
  EXPECT_FALSE(missing_member_bump(&untouched).Called());
  EXPECT_FALSE(missing_member(&here).Called());
  EXPECT_EQ(missing_member(&here).Or(nullptr), nullptr);
  EXPECT_EQ(untouched.calls, 0);
  const host::Data<std::uint8_t> no_flag{};
  const std::uint8_t set = 7;
  const host::Data<std::uint8_t> flag{host::Address_Of(&set)};
  EXPECT_EQ(no_flag.Read_Or(0), 0);
  EXPECT_EQ(flag.Read_Or(0), 7);
}

}  // namespace
