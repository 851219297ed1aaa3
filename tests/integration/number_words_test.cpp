// How the plug-in reads the numbers typed after a keyword, as the host sees it: the
// floats the host receives (by their bits) and the players an id reaches. The same in
// every build of the plug-in and whatever C runtime locale another module of the
// server set: the commands read numbers themselves.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "standin/platform/c_runtime_locale.h"
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

// The host thread's floating-point state changes nothing either: each line gives the
// host the nearest float, and the plug-in's lines and the players' listing are those
// of the host state. The first float of each line's first action, by its bits.
struct AmountLine {
  const char* line;
  const char* bits;
};

constexpr AmountLine Amount_Lines[] = {
    {"givepoints 1 0.1", "0x3DCCCCCD"},  // rounds up: toward zero would give ...CC
    {"givepoints 1 -0.3", "0xBE99999A"},
    {"givepoints 1 16777217.000001", "0x4B800001"},
    {"refund 2 1.4e-45", "0x00000001"},  // the smallest denormal, rounded up from 0.999
    {"refund 2 2.5e-45", "0x00000002"},
    {"refund 3 -1e-40", "0x800116C2"},
    {"refund 3 -0", "0x80000000"},
    {"refund 3 -1e-46", "0x80000000"},  // underflows to a zero of the sign typed
    {"setpoints 4 3.4028235e38", "0x7F7FFFFF"},
    {"setcredits 4 -0.3", "0xBE99999A"},
    {"teleport 4 0.1 -1e-40 -0", "0x3DCCCCCD"},
    // Beyond the float range: an infinity, where the x87 flags an overflow.
    {"givepoints 1 1e40", "0x7F800000"},
    {"givepoints 2 -1e40", "0xFF800000"},
    {"setcredits 3 1e39", "0x7F800000"},
    {"teleport 3 1e40 -1e40 3.4028236e38", "0x7F800000"},
};

class NumberWordsInState : public PluginTest, public ::testing::WithParamInterface<std::string> {
 protected:
  struct Session {
    Lines bits;     // per line of Amount_Lines
    Lines printed;  // the plug-in's lines
    Lines listing;  // the server's `players` after them
  };

  Session Run_In(const std::string& fpu) {
    standin::ServerOptions options;
    options.world = standin::StartingWorld::Players;
    options.fpu = fpu;
    Boot(options);
    Session session;
    const std::size_t first = server_->Console().Printed().size();
    for (const AmountLine& amount : Amount_Lines) {
      Type(amount.line);
      const Lines actions = Actions();
      const std::size_t open = actions.empty() ? std::string::npos : actions[0].find("[0x");
      session.bits.push_back(open == std::string::npos ? "no float"
                                                       : actions[0].substr(open + 1, 10));
    }
    session.printed = Printed_Since(*server_, first);
    const std::size_t shown = server_->Operator_Lines().size();
    server_->Execute_Line("players");
    session.listing.assign(server_->Operator_Lines().begin() + static_cast<std::ptrdiff_t>(shown),
                           server_->Operator_Lines().end());
    Finish();
    return session;
  }
};

TEST_P(NumberWordsInState, HostsGetTheNearestFloatAndSeeWhatTheHostStateShows) {
  const Session host = Run_In("host");
  const Session here = Run_In(GetParam());
  ASSERT_EQ(here.bits.size(), std::size(Amount_Lines));
  for (std::size_t i = 0; i < here.bits.size(); ++i) {
    EXPECT_EQ(here.bits[i], Amount_Lines[i].bits) << Amount_Lines[i].line;
  }
  EXPECT_EQ(here.printed, host.printed);
  EXPECT_EQ(here.listing, host.listing);
}

INSTANTIATE_TEST_SUITE_P(EveryFpuState, NumberWordsInState, ::testing::ValuesIn(Fpu_State_Names()),
                         Fpu_State_Test_Name);

}  // namespace
}  // namespace quillon_test
