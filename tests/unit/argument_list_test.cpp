#include "commands/argument_list.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "fake_host.h"

namespace {

using commands::ArgumentList;

std::string Arg(const ArgumentList& list, std::size_t index) {
  const commands::Host_Text text = list.Get_Argument(index);
  return std::string(text.data(), text.size());
}

std::vector<std::string> Words(const ArgumentList& list) {
  std::vector<std::string> words;
  for (int i = 1; i <= list.token_count(); ++i) words.push_back(Arg(list, i));
  return words;
}

class ArgumentListTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_host::Bind(); }
  void TearDown() override { fake_host::Unbind(); }
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
    list.Parse(c.text);
    EXPECT_EQ(Arg(list, 0), c.text) << "text '" << c.text << "'";
    EXPECT_EQ(Words(list), c.words) << "text '" << c.text << "'";
    EXPECT_EQ(list.token_count(), static_cast<int>(c.words.size()));
  }
}

TEST_F(ArgumentListTest, ReadingPastTheLastWordGivesEmptyText) {
  ArgumentList list;
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
  for (const char* text : {"1 50", "1 Soldier_A", "1 1 2 3"}) {
    fake_host::Bind();
    {
      ArgumentList list;
      list.Parse(text);
      EXPECT_EQ(Arg(list, 1), "1");
      // The scratch copy has gone back already; the list holds one block.
      EXPECT_EQ(fake_host::Heap().live, 1) << text;
    }
    EXPECT_EQ(fake_host::Heap().allocations, 2) << text;
    EXPECT_EQ(fake_host::Heap().array_allocations, 1) << text;
    EXPECT_EQ(fake_host::Heap().live, 0) << text;
    EXPECT_TRUE(fake_host::Heap().errors.empty());
  }
}

TEST_F(ArgumentListTest, LongWordsLiveInTheHostHeapToo) {
  const std::string word(64, 'w');
  {
    ArgumentList list;
    list.Parse(("1 " + word).c_str());
    EXPECT_EQ(Arg(list, 2), word);
    EXPECT_GT(fake_host::Heap().live, 1);
  }
  EXPECT_EQ(fake_host::Heap().live, 0);
}

TEST_F(ArgumentListTest, ExhaustedHeapAtAnyPointThrowsWithoutLeaking) {
  const std::string text = "3 " + std::string(40, 'p') + " " + std::string(30, 'q');
  for (int k = 1; k <= 8; ++k) {
    fake_host::Bind();
    fake_host::Heap().fail_at = k;
    bool threw = false;
    try {
      ArgumentList list;
      list.Parse(text.c_str());
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    EXPECT_EQ(fake_host::Heap().live, 0) << "failing allocation " << k;
    EXPECT_EQ(threw, k <= fake_host::Heap().allocations) << "failing allocation " << k;
  }
}

}  // namespace
