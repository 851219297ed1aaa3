#include "plugin/host_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/support/direct_host.h"
#include "tests/support/plugin_state.h"

namespace {

using plugin::HostString;

HostString Empty_Inline() {
  HostString s{};
  s.allocator_word = 0xA5A5A5A5;
  s.capacity = 15;
  return s;
}

class HostStringTest : public ::testing::Test {
 protected:
  direct_host::BoundHost host_;
};

TEST_F(HostStringTest, ShortTextStaysInlineAndTouchesNoHeap) {
  HostString s = Empty_Inline();
  plugin::Assign(s, "Quillon Plugin");
  EXPECT_STREQ(s.text.inline_text, "Quillon Plugin");
  EXPECT_EQ(s.length, 14u);
  EXPECT_EQ(s.capacity, 15u);
  EXPECT_EQ(s.allocator_word, 0xA5A5A5A5u);
  EXPECT_EQ(host_.Heap().Allocations(), 0u);
}

TEST_F(HostStringTest, LongTextTakesAHostBlockSizedByTheGrowthRule) {
  HostString s = Empty_Inline();
  // 20 characters: 20 | 15 = 31 beats 15 + 7 = 22.
  plugin::Assign(s, "abcdefghijklmnopqrst");
  EXPECT_EQ(s.capacity, 31u);
  EXPECT_EQ(s.length, 20u);
  EXPECT_STREQ(s.text.block, "abcdefghijklmnopqrst");
  EXPECT_EQ(host_.Requested_Sizes(), std::vector<std::uint32_t>{32});

  // 40 characters: 40 | 15 = 47 beats one and a half times 31 (46).
  plugin::Assign(s, std::string(40, 'x').c_str());
  EXPECT_EQ(s.capacity, 47u);
  // 50 characters into 47: 47 + 23 = 70 beats 50 | 15 = 63.
  plugin::Assign(s, std::string(50, 'y').c_str());
  EXPECT_EQ(s.capacity, 70u);
  EXPECT_EQ(std::string(s.text.block), std::string(50, 'y'));
  // Every replaced block went back; only the current one is alive.
  EXPECT_EQ(host_.Heap().Live_Blocks(), 1u);
  EXPECT_TRUE(host_.Heap().Errors().empty());
}

TEST_F(HostStringTest, TextThatFitsReusesTheCurrentBlock) {
  HostString s = Empty_Inline();
  plugin::Assign(s, std::string(30, 'a').c_str());
  char* block = s.text.block;
  plugin::Assign(s, "2.0.2");
  EXPECT_EQ(s.text.block, block);
  EXPECT_STREQ(s.text.block, "2.0.2");
  EXPECT_EQ(s.length, 5u);
  EXPECT_EQ(s.capacity, 31u);
  EXPECT_EQ(host_.Heap().Allocations(), 1u);
}

// Text that exactly fills its storage: the 15 inline characters, a block grown to
// exactly the length (31 | 15 = 31), and that block reused at exactly its capacity.
// Each is done, and no byte goes past the terminator.
TEST_F(HostStringTest, TextThatExactlyFillsItsStorage) {
  HostString s = Empty_Inline();
  EXPECT_TRUE(plugin::Assign(s, std::string(15, 'i').c_str()));
  EXPECT_EQ(s.capacity, 15u);
  EXPECT_EQ(host_.Heap().Allocations(), 0u);
  EXPECT_TRUE(plugin::Assign(s, std::string(31, 'b').c_str()));
  EXPECT_EQ(s.capacity, 31u);
  char* block = s.text.block;
  EXPECT_TRUE(plugin::Assign(s, std::string(31, 'c').c_str()));
  EXPECT_EQ(s.text.block, block) << "an exact fit reuses the block";
  EXPECT_EQ(std::string(s.text.block), std::string(31, 'c'));
  EXPECT_EQ(host_.Heap().Allocations(), 1u);
  host_.Heap().Check();
  EXPECT_TRUE(host_.Heap().Errors().empty());
}

TEST_F(HostStringTest, FailedAllocationLeavesTheRecordAsItWas) {
  HostString s = Empty_Inline();
  plugin::Assign(s, "old");
  host_.Heap().Fail_Allocation(1);
  EXPECT_FALSE(plugin::Assign(s, std::string(20, 'z').c_str()));
  EXPECT_STREQ(s.text.inline_text, "old");
  EXPECT_EQ(s.length, 3u);
  EXPECT_EQ(s.capacity, 15u);
}

TEST_F(HostStringTest, ZeroedRecordIsTreatedAsAnEmptyInlineString) {
  HostString s{};
  plugin::Assign(s, "1.0");
  EXPECT_STREQ(plugin::Text_Of(s), "1.0");
  EXPECT_EQ(s.capacity, 15u);
  EXPECT_EQ(host_.Heap().Allocations(), 0u);
}

TEST_F(HostStringTest, UnboundHostMeansNoBlockAndNoCall) {
  plugin_state::Reset();
  HostString s = Empty_Inline();
  EXPECT_FALSE(plugin::Assign(s, std::string(16, 'q').c_str()));
  EXPECT_EQ(s.length, 0u);
}

}  // namespace
