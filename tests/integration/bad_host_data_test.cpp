// Host data that is odd but possible, end to end, from the stand-in's world of odd
// players (World::With_Odd_Players): vehicles whose occupant count says nobody (or less),
// player records that lead to no soldier, and a player the host has removed but still
// lists. The plug-in reads nothing it was not shown to be usable and every command ends
// in its neutral result.
#include <string>
#include <vector>

#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

// Each case runs twice: with the host's yes/no answers clean, and with garbage above
// AL, as code from the host's compiler may leave a bool in EAX.
class BadHostData : public PluginTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    standin::ServerOptions options;
    options.world = standin::StartingWorld::OddPlayers;
    options.dirty_booleans = GetParam();
    Boot(options);
  }

  standin::world::World& World() { return server_->World().Players(); }
};

// With no occupant to read there is no driver: the vehicle is spared, the player is
// removed as a passenger would be. The soldier still sits in it, so no new character.
TEST_P(BadHostData, AVehicleThatReportsNoOccupantsHasNoDriver) {
  const struct {
    std::string id, name;
  } drivers[] = {{"10", "Stowaway"}, {"11", "Minus"}};  // 0 and -1 occupants claimed
  for (const auto& driver : drivers) {
    SCOPED_TRACE(driver.name);
    EXPECT_EQ(Type("killplayer " + driver.id), Lines{driver.name + " has been force-killed.\n"});
    EXPECT_EQ(Actions(), Lines{"Destroy_Object(soldier " + driver.id + ")"});
    EXPECT_EQ(Type("changecharacter " + driver.id + " Sniper"), Lines{});
    EXPECT_EQ(Actions(), Lines{});
  }
}

// A record with no object behaves as no player for the object, but its own record
// still takes a new value; a soldier view or player data that is missing gives no
// name and, for the first, nothing to fly or rebuild.
TEST_P(BadHostData, RecordsThatLeadToNoSoldierGiveNoNameAndNoSoldierAction) {
  // 6 has no object, 7 is no soldier, 8 has no player data.
  EXPECT_EQ(Type("flymode 6"), Lines{"Error: Player not found.\n"});
  EXPECT_EQ(Type("setpoints 6 5"), Lines{"None's points has been set to 5.000000.\n"});
  EXPECT_EQ(Actions(), Lines{"Set_Points(record 6, 5 [0x40A00000])"});

  EXPECT_EQ(Type("flymode 7"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(Actions(), Lines{});
  EXPECT_EQ(Type("changecharacter 7 Sniper"), Lines{});
  EXPECT_EQ(Actions(), Lines{"Find_Definition_By_Name(\"Sniper\", 1)"});
  EXPECT_EQ(Type("killplayer 7"), Lines{"None has been force-killed.\n"});
  EXPECT_EQ(Actions(), Lines{"Apply_Damage(soldier 7, 99999 [0x47C34F80], \"Death\", null)"});

  EXPECT_EQ(Type("flymode 8"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(Actions(), (Lines{"Toggle_Fly_Mode(soldier 8)", "Enable_Collisions(soldier 8)"}));
  EXPECT_EQ(Type("givepoints 8 2"), Lines{"None has been given 2.000000 points.\n"});
  EXPECT_TRUE(World().Errors().empty());
}

// A player whose object the host removed between the lookup and its use (13, Departed): the plug-in
// asks the object nothing but whether it is valid. The handle still goes to the host's
// own functions where a command hands it over unconditionally; the host judges it there.
TEST_P(BadHostData, ARemovedPlayerIsAskedNothingButWhetherItIsValid) {
  const struct {
    const char* line;
    Lines printed;
    Lines actions;
  } cases[] = {
      {"flymode 13", {"Flying mode toggled for player None.\n"}, {}},
      {"changecharacter 13 Sniper", {}, {}},
      {"givepoints 13 3",
       {"None has been given 3.000000 points.\n"},
       {"Give_Points(soldier 13, 3 [0x40400000], 0)"}},
      {"freeze 13", {}, {"Set_Movement_Enabled(soldier 13, 0)"}},
      {"killplayer 13",
       {"None has been force-killed.\n"},
       {"Apply_Damage(soldier 13, 99999 [0x47C34F80], \"Death\", null)"}},
      {"setcredits 13 4",
       {"None's credits has been set to 4.000000.\n"},
       {"Set_Credits(record 13, 4 [0x40800000])"}},
      {"refund 13 5",
       {"None has been refunded 5.000000 credits.\n"},
       {"Give_Credits(soldier 13, 5 [0x40A00000], 0)"}},
      {"teleport 13 1 2 3",
       {"None has been moved to 1.000000 2.000000 3.000000\n"},
       {"Set_Object_Position(soldier 13, 1 [0x3F800000], 2 [0x40000000], 3 [0x40400000])"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Type(c.line), c.printed);
    EXPECT_EQ(Actions(), c.actions);
    for (const std::string& call : Calls()) {
      EXPECT_TRUE(call != "As_Soldier(soldier 13)" && call != "As_Vehicle(soldier 13)") << call;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(HostAnswers, BadHostData, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Dirty" : "Clean"; });

}  // namespace
}  // namespace quillon_test
