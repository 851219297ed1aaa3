// Host data that is odd but possible, end to end: vehicles whose occupant count says
// nobody (or less), player records that lead to no soldier, and players the host has
// removed but still lists. The plug-in reads nothing it was not shown to be usable and
// every command ends in its neutral result.
#include <string>
#include <vector>

#include "standin/world/world_layout.h"
#include "tests/integration/test_support.h"

namespace quillon_test {
namespace {

using standin::world::PlayerQuirks;

// Each case runs twice: with the host's yes/no answers clean, and with garbage above
// AL, as code from the host's compiler may leave a bool in EAX.
class BadHostData : public PluginTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    standin::ServerOptions options;
    options.players = true;
    options.dirty_booleans = GetParam();
    Boot(options);
  }

  standin::world::World& World() { return server_->World().Players(); }

  // Seats a new player as the driver of a one-seat vehicle whose data then claims
  // `count` occupants.
  void Seat_Driver_With_Count(int id, std::int32_t count) {
    standin::world::Vehicle& vehicle = World().Add_Vehicle("Buggy", 1);
    World().Seat(World().Add_Player(id, u"Driver", "Soldier_A"), vehicle, 0);
    vehicle.object->Put(standin::world::layout::Vehicle_Occupant_Count, count);
  }
};

// With no occupant to read there is no driver: the vehicle is spared, the player is
// removed as a passenger would be. The soldier still sits in it, so no new character.
TEST_P(BadHostData, AVehicleThatReportsNoOccupantsHasNoDriver) {
  Seat_Driver_With_Count(20, 0);
  Seat_Driver_With_Count(21, -1);
  for (const char* id : {"20", "21"}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Type(std::string("killplayer ") + id), Lines{"Driver has been force-killed.\n"});
    EXPECT_EQ(Actions(), Lines{"Destroy_Object(soldier " + std::string(id) + ")"});
    EXPECT_EQ(Type(std::string("changecharacter ") + id + " Sniper"), Lines{});
    EXPECT_EQ(Actions(), Lines{});
  }
}

// A record with no object behaves as no player for the object, but its own record
// still takes a new value; a soldier view or player data that is missing gives no
// name and, for the first, nothing to fly or rebuild.
TEST_P(BadHostData, RecordsThatLeadToNoSoldierGiveNoNameAndNoSoldierAction) {
  PlayerQuirks no_object, not_a_soldier, no_player_data;
  no_object.no_object = true;
  not_a_soldier.not_a_soldier = true;
  no_player_data.no_player_data = true;
  World().Add_Player(30, u"Empty", "Soldier_A", no_object);
  World().Add_Player(31, u"Turret", "Soldier_A", not_a_soldier);
  World().Add_Player(32, u"Anonymous", "Soldier_A", no_player_data);

  EXPECT_EQ(Type("flymode 30"), Lines{"Error: Player not found.\n"});
  EXPECT_EQ(Type("setpoints 30 5"), Lines{"None's points has been set to 5.000000.\n"});
  EXPECT_EQ(Actions(), Lines{"Set_Points(record 30, 5 [0x40A00000])"});

  EXPECT_EQ(Type("flymode 31"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(Actions(), Lines{});
  EXPECT_EQ(Type("changecharacter 31 Sniper"), Lines{});
  EXPECT_EQ(Actions(), Lines{"Find_Definition_By_Name(\"Sniper\", 1)"});
  EXPECT_EQ(Type("killplayer 31"), Lines{"None has been force-killed.\n"});
  EXPECT_EQ(Actions(), Lines{"Apply_Damage(soldier 31, 99999 [0x47C34F80], \"Death\", null)"});

  EXPECT_EQ(Type("flymode 32"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(Actions(), (Lines{"Toggle_Fly_Mode(soldier 32)", "Enable_Collisions(soldier 32)"}));
  EXPECT_EQ(Type("givepoints 32 2"), Lines{"None has been given 2.000000 points.\n"});
  EXPECT_TRUE(World().Errors().empty());
}

// A player whose object the host removed between the lookup and its use: the plug-in
// asks the object nothing but whether it is valid. The handle still goes to the host's
// own functions where a command hands it over unconditionally; the host judges it there.
TEST_P(BadHostData, ARemovedPlayerIsAskedNothingButWhetherItIsValid) {
  World().Find_Player(1)->life = standin::world::Life::Removed;
  const struct {
    const char* line;
    Lines printed;
    Lines actions;
  } cases[] = {
      {"flymode 1", {"Flying mode toggled for player None.\n"}, {}},
      {"changecharacter 1 Sniper", {}, {}},
      {"givepoints 1 3",
       {"None has been given 3.000000 points.\n"},
       {"Give_Points(soldier 1, 3 [0x40400000], 0)"}},
      {"freeze 1", {}, {"Set_Movement_Enabled(soldier 1, 0)"}},
      {"killplayer 1",
       {"None has been force-killed.\n"},
       {"Apply_Damage(soldier 1, 99999 [0x47C34F80], \"Death\", null)"}},
      {"setcredits 1 4",
       {"None's credits has been set to 4.000000.\n"},
       {"Set_Credits(record 1, 4 [0x40800000])"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Type(c.line), c.printed);
    EXPECT_EQ(Actions(), c.actions);
    for (const std::string& call : Calls()) {
      EXPECT_TRUE(call != "As_Soldier(soldier 1)" && call != "As_Vehicle(soldier 1)") << call;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(HostAnswers, BadHostData, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Dirty" : "Clean"; });

}  // namespace
}  // namespace quillon_test
