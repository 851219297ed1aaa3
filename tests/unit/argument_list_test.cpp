#include "commands/argument_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/support/direct_host.h"

namespace {

using commands::ArgumentList;

std::string Arg(const ArgumentList& list, std::size_t index) {
  commands::HostText text;
  EXPECT_TRUE(list.Get_Argument(index, &text));
  return std::string(text.c_str(), text.size());
}

std::vector<std::string> Words(const ArgumentList& list) {
  std::vector<std::string> words;
  for (int i = 1; i <= list.token_count(); ++i) words.push_back(Arg(list, i));
  return words;
}

class ArgumentListTest : public ::testing::Test {
 protected:
  direct_host::BoundHost host_;
};

TEST_F(ArgumentListTest, SplitsOnSpacesOnlyAndKeepsTheWholeText) {
  struct Case {
    const char* text;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"5", {"5"}},
      {"5  10", {"5", "10"}},
      {" 5", {"5"}},
      {"5 ", {"5"}},
      {"5 abc def", {"5", "abc", "def"}},
      {"   ", {}},
      {"5\t10", {"5\t10"}},
      {"\xff%s %n", {"\xff%s", "%n"}},
  };
  for (const Case& c : cases) {
    ArgumentList list;
    EXPECT_TRUE(list.Parse(c.text));
    EXPECT_EQ(Arg(list, 0), c.text) << "text '" << c.text << "'";
    EXPECT_EQ(Words(list), c.words) << "text '" << c.text << "'";
    EXPECT_EQ(list.token_count(), static_cast<int>(c.words.size()));
  }
}

TEST_F(ArgumentListTest, ReadingPastTheLastWordGivesEmptyText) {
  ArgumentList list;
  // Before any parse the list holds nothing at all, not even the whole text: element 0
  // must not be read from a list block that does not exist.
  EXPECT_EQ(list.token_count(), 0);
  EXPECT_EQ(Arg(list, 0), "");
  EXPECT_EQ(Arg(list, 1), "");
  list.Parse("7 go");
  EXPECT_EQ(Arg(list, 2), "go");
  EXPECT_EQ(Arg(list, 3), "");
  EXPECT_EQ(Arg(list, 1000), "");
}

TEST_F(ArgumentListTest, SecondParseReplacesEverything) {
  ArgumentList list;
  list.Parse("1 2 3 4");
  list.Parse("9");
  EXPECT_EQ(list.token_count(), 1);
  EXPECT_EQ(Arg(list, 0), "9");
  EXPECT_EQ(Arg(list, 2), "");
}

TEST_F(ArgumentListTest, TypicalLineTakesTwoHostBlocksAndReturnsThemAll) {
  const struct {
    const char* text;
    std::size_t elements;  // the whole text and each word
  } cases[] = {{"1 50", 3}, {"1 Soldier_A", 3}, {"1 1 2 3", 5}, {" 1  50 ", 3}};
  for (const auto& [text, elements] : cases) {
    host_.Renew_Heap();
    {
      ArgumentList list;
      list.Parse(text);
      EXPECT_EQ(Arg(list, 1), "1");
      // The scratch copy has gone back already; the list holds one block.
      EXPECT_EQ(host_.Heap().Live_Blocks(), 1u) << text;
    }
    EXPECT_EQ(host_.Heap().Allocations(), 2u) << text;
    EXPECT_EQ(host_.Array_Allocations(), 1u) << text;
    // Each block is the size it needs: the copy the text and its terminator, the list
    // one element for the whole text and one per word. A length or a word count off by
    // one shows here before it overruns a block.
    const std::vector<standin::HeapEvent>& log = host_.Heap().Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, std::strlen(text) + 1) << text;
    EXPECT_EQ(log[1].bytes, elements * sizeof(commands::HostText)) << text;
    EXPECT_EQ(host_.Heap().Live_Blocks(), 0u) << text;
    EXPECT_TRUE(host_.Heap().Errors().empty());
  }
}

// A word of 15 characters, the inline room, takes no block; one of 16 takes one block
// of 17 bytes. A length of no 32-bit size is refused before anything is copied.
TEST_F(ArgumentListTest, HostTextKeepsUpTo15CharactersInPlace) {
  const std::string longest_inline(15, 'i');
  const std::string shortest_long(16, 'l');
  commands::HostText text;
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(text.size(), 0u);
  const std::uint64_t before = host_.Heap().Allocations();
  ASSERT_TRUE(text.Assign(longest_inline.c_str(), longest_inline.size()));
  EXPECT_EQ(host_.Heap().Allocations(), before) << "15 characters stay in place";
  EXPECT_EQ(text.c_str(), longest_inline);
  ASSERT_TRUE(text.Assign(shortest_long.c_str(), shortest_long.size()));
  ASSERT_EQ(host_.Heap().Allocations(), before + 1) << "16 characters take a block";
  EXPECT_EQ(host_.Heap().Log().back().bytes, 17u);
  EXPECT_EQ(text.c_str(), shortest_long);
  EXPECT_FALSE(text.Assign("x", SIZE_MAX)) << "the block size would wrap to 0";
  EXPECT_TRUE(text.empty());
  EXPECT_STREQ(text.c_str(), "");
  EXPECT_EQ(host_.Heap().Allocations(), before + 1);
}

TEST_F(ArgumentListTest, LongWordsLiveInTheHostHeapToo) {
  const std::string word(64, 'w');
  {
    ArgumentList list;
    list.Parse(("1 " + word).c_str());
    EXPECT_EQ(Arg(list, 2), word);
    EXPECT_GT(host_.Heap().Live_Blocks(), 1u);
  }
  EXPECT_EQ(host_.Heap().Live_Blocks(), 0u);
}

// Every allocation of a parse refused in turn: the parse says so, the list is left
// empty and no block stays behind, while the scratch copy was already given back.
TEST_F(ArgumentListTest, ExhaustedHeapAtAnyPointFailsWithoutLeaking) {
  const std::string text = "3 " + std::string(40, 'p') + " " + std::string(30, 'q');
  for (unsigned k = 1; k <= 8; ++k) {
    host_.Renew_Heap();
    host_.Heap().Fail_Allocation(k);
    bool parsed = true;
    {
      ArgumentList list;
      parsed = list.Parse(text.c_str());
      if (!parsed) {
        EXPECT_EQ(list.token_count(), 0) << "failing allocation " << k;
        EXPECT_EQ(host_.Heap().Live_Blocks(), 0u) << "failing allocation " << k;
      }
    }
    EXPECT_EQ(host_.Heap().Live_Blocks(), 0u) << "failing allocation " << k;
    EXPECT_EQ(parsed, k > host_.Heap().Allocations()) << "failing allocation " << k;
  }
}

// A copy of a long word needs a block of its own; when the host refuses it the copy is
// reported as failed and left empty, and the list itself is untouched.
TEST_F(ArgumentListTest, ACopyTheHeapRefusesIsReportedAndLeftEmpty) {
  const std::string word(40, 'w');
  ArgumentList list;
  ASSERT_TRUE(list.Parse(("1 " + word).c_str()));
  // The copy held a short text before: a refused copy must not still show it.
  commands::HostText copy;
  ASSERT_TRUE(copy.Assign("old", 3));
  host_.Heap().Fail_Allocation(host_.Heap().Allocations() + 1);
  EXPECT_FALSE(list.Get_Argument(2, &copy));
  EXPECT_TRUE(copy.empty());
  EXPECT_STREQ(copy.c_str(), "");
  EXPECT_EQ(Arg(list, 2), word);
}

}  // namespace
