// The plug-in's commands typed on the host console of a server with no players:
// the keyword picks the command, the rest of the line reaches Activate, and each
// command reports a missing player as an operator expects.
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

class ConsoleSession : public PluginTest {
 protected:
  void SetUp() override { Boot(); }
};

TEST_F(ConsoleSession, KeywordsMatchWithoutRegardToCase) {
  EXPECT_EQ(Type("FREEZE"), Lines{"FREEZE <id>\n"});
  EXPECT_EQ(Type("KillPlayer"), Lines{"KILLPLAYER <id>\n"});
  EXPECT_EQ(Type("teleport "), Lines{"TELEPORT <id> <vector3>\n"});
}

TEST_F(ConsoleSession, UnknownKeywordsAndHelpAreTheServersOwn) {
  EXPECT_EQ(Type("bogus 1 2"), Lines());
  EXPECT_EQ(server_->Operator_Lines().back(), "Unknown command: bogus\n");
  const std::size_t first = server_->Operator_Lines().size();
  EXPECT_EQ(Type("help"), Lines());
  Lines expected = {"Plug-in commands:\n"};
  for (const KnownCommand& command : Known_Commands)
    expected.push_back(std::string("  ") + command.help);
  const Lines& shown = server_->Operator_Lines();
  ASSERT_GE(shown.size(), first + expected.size());
  EXPECT_EQ(Lines(shown.begin() + static_cast<std::ptrdiff_t>(first),
                  shown.begin() + static_cast<std::ptrdiff_t>(first + expected.size())),
            expected);
  EXPECT_EQ(shown[first + expected.size()], "Server commands:\n");
}

TEST_F(ConsoleSession, AMissingPlayerIsReportedTheWayEachCommandDoes) {
  EXPECT_EQ(Type("flymode 3"), Lines{"Error: Player not found.\n"});
  EXPECT_EQ(Type("freeze 3"), Lines());
  EXPECT_EQ(Type("unfreeze 3 and more"), Lines());
  EXPECT_EQ(Type("changecharacter 3 Mutant_Soldier extra"), Lines());
  EXPECT_EQ(Type("killplayer 7 now"), Lines{"None has been force-killed.\n"});
  EXPECT_EQ(Type("givepoints 3 50"), Lines{"None has been given 50.000000 points.\n"});
  EXPECT_EQ(Type("refund 3 abc"), Lines{"None has been refunded 0.000000 credits.\n"});
  EXPECT_EQ(Type("setcredits 3 -12.5"), Lines{"None's credits has been set to -12.500000.\n"});
  EXPECT_EQ(Type("setpoints 3 0.1"), Lines{"None's points has been set to 0.100000.\n"});
  EXPECT_EQ(Type("teleport 3 1 2 3 9"),
            Lines{"None has been moved to 1.000000 2.000000 3.000000\n"});
  // Nothing of the table is called for a player who is not there.
  for (unsigned offset : {60u, 88u, 92u, 284u, 616u, 636u, 644u}) {
    EXPECT_EQ(standin::ScriptTable::Original_Calls(offset), 0u) << "slot " << offset;
  }
}

TEST_F(ConsoleSession, AmountsTravelAs32BitFloats) {
  // 16777217 has no 32-bit float; the nearest is 16777216.
  EXPECT_EQ(Type("givepoints 1 16777217"), Lines{"None has been given 16777216.000000 points.\n"});
  EXPECT_EQ(Type("teleport 1 0.1 1e-3 16777217"),
            Lines{"None has been moved to 0.100000 0.001000 16777216.000000\n"});
}

TEST_F(ConsoleSession, MissingWordsEndACommandSilently) {
  for (const char* line : {"givepoints 3", "refund  ", "setcredits 3", "setpoints   ",
                           "teleport 3 1 2", "changecharacter 3", "freeze    "}) {
    EXPECT_EQ(Type(line), Lines()) << line;
  }
  EXPECT_TRUE(server_->World().Calls().empty()) << "no player is looked up without all words";
}

TEST_F(ConsoleSession, TheTextAfterTheKeywordAndOneSpaceReachesTheCommand) {
  // killplayer converts the whole text: leading spaces are skipped, a letter gives 0.
  Type("killplayer    12");
  Type("killplayer x5");
  Type("setpoints  4 1");
  EXPECT_EQ(server_->World().Calls(),
            (Lines{"Find_Player(12)", "Find_Player(0)", "Find_Player(4)", "Find_Player(4)"}));
}

TEST_F(ConsoleSession, QuitIsTheServersOwn) {
  EXPECT_FALSE(server_->Quit_Requested());
  EXPECT_EQ(Type("QUIT"), Lines());
  EXPECT_TRUE(server_->Quit_Requested());
}

}  // namespace
}  // namespace quillon_test
