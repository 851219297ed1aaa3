// The `players` view and the help listing as laid out for the operator's console: in
// 80 columns and wider, with values too large for two decimals, and under a C runtime
// locale with a decimal comma.
#include "standin/world/player_listing.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "standin/console/console_format.h"
#include "standin/platform/c_runtime_locale.h"
#include "standin/world/world.h"

namespace quillon_test {
namespace {

using standin::Text_Columns;
using Lines = std::vector<std::string>;

// The default world after a few commands: frozen, flying, the buggy killed, a removal.
std::unique_ptr<standin::world::World> Changed_World() {
  auto world = standin::world::World::Default();
  auto& players = const_cast<std::deque<standin::world::Player>&>(world->Players());
  players[0].frozen = true;
  players[3].flying = true;
  players[1].life = standin::world::Life::Removed;
  players[2].vehicle->life = standin::world::Life::Killed;
  return world;
}

// The column (in characters) where `word` starts in `line`.
std::size_t Column_Of(const std::string& line, const std::string& word) {
  const std::size_t at = line.find(word);
  return at == std::string::npos ? std::string::npos : Text_Columns(line.substr(0, at));
}

void Expect_At_Most(const Lines& lines, std::size_t width) {
  for (const std::string& line : lines) {
    EXPECT_LE(Text_Columns(line), width) << line;
    EXPECT_NE(line.back(), ' ') << "trailing blanks: '" << line << "'";
  }
}

TEST(PlayerListing, In80ColumnsPutsTheStateEarlyAndWhatIsSetOnALineBelow) {
  const Lines lines = standin::world::List_Players(*Changed_World());
  Expect_At_Most(lines, 80);
  const Lines expected = {
      " id name      state      points   credits        x        y        z  preset",
      "  1 Havoc     alive      120.00    300.00    10.00     0.00     5.00  Soldier_A",
      "      frozen",
      "  2 Sydney    removed      0.00      0.00    40.00    12.00     2.00  Sniper",
      "      Buggy #1 driver (killed)",
      "  3 Zoë       alive        0.00      0.00    40.00    12.00     2.00  Soldier_B",
      "      Buggy #1 seat 1 (killed)",
      "  4 Ярослав   alive        0.00      0.00   -20.00     3.00     0.00  Engineer",
      "      flying",
  };
  EXPECT_EQ(lines, expected);
  // Frozen and flying at once, in a vehicle: one line below, all three.
  auto world = Changed_World();
  auto& zoe = const_cast<standin::world::Player&>(world->Players()[2]);
  zoe.frozen = zoe.flying = true;
  EXPECT_EQ(standin::world::List_Players(*world)[6],
            "      frozen, flying, Buggy #1 seat 1 (killed)");
}

TEST(PlayerListing, AWideConsoleGetsOneLinePerPlayerWithEveryColumn) {
  const Lines lines = standin::world::List_Players(*Changed_World(), 140);
  Expect_At_Most(lines, 140);
  ASSERT_EQ(lines.size(), 5u);
  const std::size_t vehicle = Column_Of(lines[0], "vehicle");
  EXPECT_EQ(Column_Of(lines[0], "frozen"), Column_Of(lines[1], "yes"));
  EXPECT_EQ(Column_Of(lines[1], "on foot"), vehicle);
  EXPECT_EQ(Column_Of(lines[3], "Buggy #1 seat 1 (killed)"), vehicle);
  EXPECT_EQ(Column_Of(lines[4], "yes"), Column_Of(lines[0], "flying"));
  // Just too narrow for that: the 80-column layout, not a cut one.
  const std::size_t whole = Text_Columns(lines[3]);
  const Lines narrower = standin::world::List_Players(*Changed_World(), whole - 1);
  EXPECT_EQ(narrower, standin::world::List_Players(*Changed_World()));
  EXPECT_EQ(standin::world::List_Players(*Changed_World(), whole).size(), 5u);
}

TEST(PlayerListing, ValuesTooLargeForTwoDecimalsKeepTheirColumns) {
  auto world = Changed_World();
  auto& players = const_cast<std::deque<standin::world::Player>&>(world->Players());
  players[0].points = 1e38f;
  players[0].credits = -std::numeric_limits<float>::max();
  players[0].position = {-std::numeric_limits<float>::infinity(), 123456789.0f,
                         std::numeric_limits<float>::quiet_NaN()};
  players[3].points = -1e-30f;
  for (std::size_t width : {80u, 160u}) {
    const Lines lines = standin::world::List_Players(*world, width);
    Expect_At_Most(lines, width);
    const std::size_t preset = Column_Of(lines[0], "preset");
    EXPECT_EQ(Column_Of(lines[1], "Soldier_A"), preset) << lines[1];
    EXPECT_NE(lines[1].find("    1e+38  -3.4e+38     -inf 1.23e+08      nan"), std::string::npos)
        << lines[1];
    EXPECT_NE(lines[width == 80 ? 7 : 4].find("   -0.00 "), std::string::npos);
  }
}

TEST(PlayerListing, ShowsAPointWhateverTheCRuntimesLocale) {
#ifdef _WIN32
  const char* german = "German_Germany.1252";
#else
  const char* german = "de_DE.UTF-8";
#endif
  if (!standin::Set_C_Runtime_Locale(german)) GTEST_SKIP() << "no locale " << german;
  const Lines lines = standin::world::List_Players(*Changed_World());
  standin::Set_C_Runtime_Locale("C");
  EXPECT_EQ(lines[1],
            "  1 Havoc     alive      120.00    300.00    10.00     0.00     5.00  Soldier_A");
}

TEST(ConsoleWidth, ComesFromColumnsThenTheConsoleAndIsNeverBelow80) {
  EXPECT_EQ(standin::Console_Width("132", 100), 132u);
  EXPECT_EQ(standin::Console_Width(nullptr, 100), 100u);
  EXPECT_EQ(standin::Console_Width(nullptr, 0), 80u);
  EXPECT_EQ(standin::Console_Width("40", 0), 80u);
  for (const char* not_a_width : {"", "0", "12x", "-100", " 120", "999999", "1e3"}) {
    EXPECT_EQ(standin::Console_Width(not_a_width, 90), 90u) << "'" << not_a_width << "'";
  }
}

TEST(HelpListing, IndentsByTwoUnlessThatCarriesTheLinePastTheConsole) {
  const std::string fits(78, 'a');
  EXPECT_EQ(standin::Indented_Help(fits + "\n", 80), "  " + fits + "\n");
  EXPECT_EQ(standin::Indented_Help(fits + "b\n", 80), " " + fits + "b\n");
  EXPECT_EQ(standin::Indented_Help(fits + "bcd\n", 80), fits + "bcd\n");
  // Counted in characters: 78 two-byte letters fit with the indent.
  std::string accented;
  for (int i = 0; i < 78; ++i) accented += "\xC3\xAB";
  EXPECT_EQ(standin::Indented_Help(accented + "\n", 80), "  " + accented + "\n");
  EXPECT_EQ(standin::Indented_Help("\n", 80), "  \n");
}

}  // namespace
}  // namespace quillon_test
