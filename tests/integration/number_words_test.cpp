// How the plug-in reads the numbers typed after a keyword, as the host sees it: the
// floats the host receives (by their bits) and the players an id reaches. The same in
// every build of the plug-in and whatever C runtime locale another module of the
// server set: the commands read numbers themselves.
#include <cstdint>
#include <string>
#include <vector>

#include "standin/c_runtime_locale.h"
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

#ifdef _WIN32
constexpr const char* German_Locale = "German_Germany.1252";
#else
constexpr const char* German_Locale = "de_DE.UTF-8";
#endif

class NumberWords : public PluginTest {
 protected:
  void SetUp() override {
    standin::ServerOptions options;
    options.world = standin::StartingWorld::Players;
    Boot(options);
  }
  void TearDown() override {
    standin::Set_C_Runtime_Locale("C");
    PluginTest::TearDown();
  }

  // The bits of the float the host received for one typed line: the "[0x...]" of the
  // first float in the first action it logged.
  std::string Bits_Received(const std::string& line) {
    Type(line);
    const Lines actions = Actions();
    if (actions.empty()) return "no action";
    const std::size_t open = actions[0].find("[0x");
    return open == std::string::npos ? actions[0] : actions[0].substr(open + 1, 10);
  }
};

TEST_F(NumberWords, OnlyDecimalDigitsMakeAnAmount) {
  EXPECT_EQ(Bits_Received("refund 2 1d3"), "0x3F800000") << "no d exponent: 1";
  for (const char* word : {"nan", "inf", "infinity", "-INF", "0x10", "0x1p3", "e5", "."}) {
    EXPECT_EQ(Bits_Received(std::string("givepoints 1 ") + word), "0x00000000") << word;
  }
  EXPECT_EQ(Bits_Received("givepoints 1 .5"), "0x3F000000");
  EXPECT_EQ(Bits_Received("givepoints 1 5.e-1"), "0x3F000000");
  EXPECT_EQ(Bits_Received("givepoints 1 1e+"), "0x3F800000");
  EXPECT_EQ(Bits_Received("givepoints 1 -0"), "0x80000000");
}

TEST_F(NumberWords, AmountsBeyondTheFloatRangeBecomeInfinityOrZero) {
  EXPECT_EQ(Bits_Received("givepoints 1 1e39"), "0x7F800000");
  EXPECT_EQ(Bits_Received("givepoints 1 -1e999999999999"), "0xFF800000");
  EXPECT_EQ(Bits_Received("givepoints 1 -1e-46"), "0x80000000");
  EXPECT_EQ(Bits_Received("givepoints 1 1.4e-45"), "0x00000001") << "the smallest denormal";
  EXPECT_EQ(Bits_Received("givepoints 1 3.4028235e38"), "0x7F7FFFFF");
}

// The nearest double, then the nearest float to that: 16777217 lies halfway between two
// floats and goes to the even one. A text a hair above it is 16777217 exactly as a
// double, so it goes the same way; one a double can tell apart goes up.
TEST_F(NumberWords, AmountsAreTheNearestDoubleNarrowedToTheNearestFloat) {
  EXPECT_EQ(Bits_Received("givepoints 1 16777217"), "0x4B800000");
  EXPECT_EQ(Bits_Received("givepoints 1 16777217.000000000000000000000000000001"), "0x4B800000");
  EXPECT_EQ(Bits_Received("givepoints 1 16777217.000001"), "0x4B800001");
  EXPECT_EQ(Bits_Received("givepoints 1 0.1"), "0x3DCCCCCD");
}

TEST_F(NumberWords, IdsWrapModuloTwoToTheThirtyTwo) {
  server_->Execute_Line("killplayer 4294967297");
  EXPECT_EQ(server_->Console().Printed().back(), "Havoc has been force-killed.\n");
  server_->Execute_Line("flymode -4294967292");  // -4294967292 + 2^32 = 4
  EXPECT_EQ(server_->Console().Printed().back(), "Flying mode toggled for player Ярослав.\n");
}

// Another module switches the C runtime to a locale with a decimal comma: a point
// still separates the fraction, a comma still ends the number.
TEST_F(NumberWords, AGermanLocaleInTheProcessChangesNothing) {
  ASSERT_TRUE(standin::Set_C_Runtime_Locale(German_Locale)) << German_Locale;
  ASSERT_EQ(standin::C_Runtime_Decimal_Point(), ",");
  EXPECT_EQ(Bits_Received("refund 1 12.5"), "0x41480000");
  EXPECT_EQ(Bits_Received("refund 1 12,5"), "0x41400000");
  EXPECT_EQ(Bits_Received("teleport 1 1.25 -2.5e1 ,5"), "0x3FA00000");
  server_->Execute_Line("setpoints 1 0.75");
  EXPECT_EQ(server_->Console().Printed().back(), "Havoc's points has been set to 0.750000.\n");
}

}  // namespace
}  // namespace quillon_test
