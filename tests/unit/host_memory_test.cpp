#include "host/host_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

#include "host/math_tables.h"
#include "tests/support/direct_host.h"
#include "tests/support/plugin_state.h"

namespace {

class HostMemoryTest : public ::testing::Test {
 protected:
  direct_host::BoundHost host_;
};

TEST_F(HostMemoryTest, ElementRequestBeyondThirtyTwoBitsFailsBeforeTheHostIsAsked) {
  EXPECT_EQ(host::Host_Allocate_Elements<std::uint64_t>(0x20000000u), nullptr);  // 8 * 2^29
  EXPECT_EQ(host_.Heap().Allocations(), 0u);
  std::uint64_t* block = host::Host_Allocate_Elements<std::uint64_t>(0x1FFFFFFFu / 1024);
  EXPECT_NE(block, nullptr);
  EXPECT_EQ(host_.Heap().Allocations(), 1u);
  host::Host_Release(block);
  EXPECT_EQ(host_.Heap().Live_Blocks(), 0u);
  // The largest count whose bytes still fit in 32 bits is the host's to refuse, not ours
  // (the heap here refuses it, as a real one would).
  host_.Heap().Fail_Allocation(2);
  EXPECT_EQ(host::Host_Allocate_Elements<std::uint64_t>(0x1FFFFFFFu), nullptr);
  ASSERT_EQ(host_.Requested_Sizes().size(), 2u);
  EXPECT_EQ(host_.Requested_Sizes().back(), 0xFFFFFFF8u);
}

TEST_F(HostMemoryTest, ZeroElementsAskTheHostForZeroBytes) {
  int* block = host::Host_Allocate_Elements<int>(0);
  EXPECT_EQ(host_.Requested_Sizes(), std::vector<std::uint32_t>{0});
  host::Host_Release(block);
}

TEST_F(HostMemoryTest, NullFromTheHostIsHandedOnAndTheNextRequestWorks) {
  host_.Heap().Fail_Allocation(1);
  EXPECT_EQ(host::Host_Allocate_Elements<char>(64), nullptr);
  EXPECT_EQ(host::Host_Allocate(8) != nullptr, true);  // the next one succeeds
  host::Host_Release(nullptr);                         // ignored, no call
  EXPECT_EQ(host_.Release_Calls(), 0u);
}

TEST_F(HostMemoryTest, ArrayAndSingleFormsUseTheirOwnEntries) {
  void* single = host::Host_Allocate(4);
  void* array = host::Host_Allocate_Array(4);
  EXPECT_EQ(host_.Array_Allocations(), 1u);
  host::Host_Release(single);
  host::Host_Release_Array(array);
  EXPECT_EQ(host_.Heap().Live_Blocks(), 0u);
  EXPECT_TRUE(host_.Heap().Errors().empty());
}

// An unrecognised host: the allocation starts the engine binding, which finds no build,
// creates no math table (its own allocation must not start the binding again) and
// leaves every entry null; the allocation then yields null instead of calling address 0.
TEST(HostMemoryUnbound, AllocationInAnUnknownBuildYieldsNullWithoutRecursion) {
  plugin_state::Reset();
  EXPECT_EQ(host::Host_Allocate(16), nullptr);
  EXPECT_EQ(host::Host_Allocate_Array(16), nullptr);
  EXPECT_EQ(plugin_state::Build(), 6);
  EXPECT_EQ(plugin_state::Bound_Entries(),
            plugin_state::Expected_Entries(standin::HostBuild::None));
  EXPECT_EQ(Vector3_Math, nullptr);
  EXPECT_EQ(Vector4_Math, nullptr);
  EXPECT_EQ(host::Host_Allocate_Elements<char>(1), nullptr);
  // No console print function: the line is dropped, not called through null.
  host::Console_Print("dropped %d\n", 1);
}

}  // namespace
