#include "host/host_memory.h"

#include <gtest/gtest.h>

#include <new>

#include "fake_host.h"
#include "host/host_variant.h"
#include "host/math_tables.h"

namespace {

class HostMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_host::Bind(); }
  void TearDown() override { fake_host::Unbind(); }
};

TEST_F(HostMemoryTest, ElementRequestBeyondThirtyTwoBitsFailsBeforeTheHostIsAsked) {
  EXPECT_EQ(host::Host_Allocate_Elements<std::uint64_t>(0x20000000u), nullptr);  // 8 * 2^29
  EXPECT_EQ(fake_host::Heap().allocations, 0);
  std::uint64_t* block = host::Host_Allocate_Elements<std::uint64_t>(0x1FFFFFFFu / 1024);
  EXPECT_NE(block, nullptr);
  EXPECT_EQ(fake_host::Heap().allocations, 1);
  host::Host_Release(block);
  EXPECT_EQ(fake_host::Heap().live, 0);
}

TEST_F(HostMemoryTest, ZeroElementsAskTheHostForZeroBytes) {
  int* block = host::Host_Allocate_Elements<int>(0);
  ASSERT_EQ(fake_host::Heap().sizes.size(), 1u);
  EXPECT_EQ(fake_host::Heap().sizes[0], 0u);
  host::Host_Release(block);
}

TEST_F(HostMemoryTest, NullFromTheHostIsHandedOnAndTheNextRequestWorks) {
  fake_host::Heap().fail_at = 1;
  EXPECT_EQ(host::Host_Allocate_Elements<char>(64), nullptr);
  EXPECT_EQ(host::Host_Allocate(8) != nullptr, true);  // the next one succeeds
  host::Host_Release(nullptr);                         // ignored, no call
  EXPECT_EQ(fake_host::Heap().releases, 0);
}

TEST_F(HostMemoryTest, ArrayAndSingleFormsUseTheirOwnEntries) {
  void* single = host::Host_Allocate(4);
  void* array = host::Host_Allocate_Array(4);
  EXPECT_EQ(fake_host::Heap().array_allocations, 1);
  host::Host_Release(single);
  host::Host_Release_Array(array);
  EXPECT_EQ(fake_host::Heap().live, 0);
  EXPECT_TRUE(fake_host::Heap().errors.empty());
}

// An unrecognised host: the allocation starts the engine binding, which finds no build,
// creates no math table (its own allocation must not start the binding again) and
// leaves every entry null; the allocation then yields null instead of calling address 0.
TEST(HostMemoryUnbound, AllocationInAnUnknownBuildYieldsNullWithoutRecursion) {
  fake_host::Unbind();
  EXPECT_EQ(host::Host_Allocate(16), nullptr);
  EXPECT_EQ(host::Host_Allocate_Array(16), nullptr);
  EXPECT_EQ(host::HostVariant, 6);
  EXPECT_EQ(host::Engine_Addresses.Host_Alloc, 0u);
  EXPECT_EQ(Vector3_Math, nullptr);
  EXPECT_EQ(Vector4_Math, nullptr);
  EXPECT_EQ(host::Host_Allocate_Elements<char>(1), nullptr);
  // No console print function: the line is dropped, not called through null.
  host::Console_Print("dropped %d\n", 1);
}

}  // namespace
