// The ten commands against the stand-in's world of players, bound straight into the
// plug-in: exact host calls (floats by their bits), exact console lines, and every host
// block back before the command returns.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commands/command_words.h"
#include "commands/console_commands.h"
#include "host/game_objects.h"
#include "host/script_commands.h"
#include "standin/world/world.h"
#include "standin/world/world_layout.h"
#include "tests/support/direct_host.h"

namespace {

using namespace commands;
using Lines = std::vector<std::string>;

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() : host_(standin::world::World::With_Odd_Players()) {}

 public:  // the tests take its address through this class
  // Runs a command as the host's call of its Activate does, and returns what it printed.
  template <typename Command>
  Lines Run(const char* arguments) {
    host_.Forget_Printed();
    Run_Command(arguments, Command::Row);
    EXPECT_EQ(host_.Heap().Live_Blocks(), 0u) << Command::Row.name << " '" << arguments << "'";
    EXPECT_TRUE(host_.Heap().Errors().empty());
    return host_.Printed();
  }

 protected:
  standin::world::Player& Player(int id) { return *host_.World().Find_Player(id); }

  direct_host::BoundHost host_;
};

TEST_F(CommandsTest, GivePointsAndRefundAddAndConfirm) {
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("3 50"),
            Lines{"Zoë has been given 50.000000 points.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{"Give_Points(soldier 3, 50 [0x42480000], 0)"});
  EXPECT_EQ(Player(3).points, 50.0f);

  EXPECT_EQ(Run<ConsoleCommand_refund>("4 0.1 ignored words"),
            Lines{"Ярослав has been refunded 0.100000 credits.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{"Give_Credits(soldier 4, 0.1 [0x3DCCCCCD], 0)"});

  // More digits than a float holds: handed over and printed as the nearest float.
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("1 16777217"),
            Lines{"Havoc has been given 16777216.000000 points.\n"});
  EXPECT_EQ(Run<ConsoleCommand_refund>("1 lots"),
            Lines{"Havoc has been refunded 0.000000 credits.\n"});
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("1 -5"),
            Lines{"Havoc has been given -5.000000 points.\n"});
}

TEST_F(CommandsTest, NoSuchPlayerStillConfirmsWithNone) {
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("99 5"),
            Lines{"None has been given 5.000000 points.\n"});
  EXPECT_EQ(Run<ConsoleCommand_setcredits>("99 5"),
            Lines{"None's credits has been set to 5.000000.\n"});
  EXPECT_EQ(Run<ConsoleCommand_teleport>("99 1 2 3"),
            Lines{"None has been moved to 1.000000 2.000000 3.000000\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{});
}

TEST_F(CommandsTest, SetPointsAndCreditsReplaceOnTheRecord) {
  EXPECT_EQ(Run<ConsoleCommand_setpoints>("1 75.5"),
            Lines{"Havoc's points has been set to 75.500000.\n"});
  EXPECT_EQ(Run<ConsoleCommand_setcredits>("1 10"),
            Lines{"Havoc's credits has been set to 10.000000.\n"});
  EXPECT_EQ(host_.Take_Actions(), (Lines{"Set_Points(record 1, 75.5 [0x42970000])",
                                         "Set_Credits(record 1, 10 [0x41200000])"}));
  EXPECT_EQ(Player(1).points, 75.5f);
  EXPECT_EQ(Player(1).credits, 10.0f);
}

// The record's id comes from the whole text: a first word made only of a tab reads as
// 0 for the name but the whole text reads as the number after it.
TEST_F(CommandsTest, SetCreditsTakesTheRecordIdFromTheWholeText) {
  EXPECT_EQ(Run<ConsoleCommand_setcredits>("\t 3 500"),
            Lines{"None's credits has been set to 3.000000.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{"Set_Credits(record 3, 3 [0x40400000])"});
}

TEST_F(CommandsTest, TeleportNeedsThreeCoordinatesAndIgnoresMore) {
  EXPECT_EQ(Run<ConsoleCommand_teleport>("1 10 20"), Lines{});
  EXPECT_EQ(Run<ConsoleCommand_teleport>("1 10 20 30.25 40"),
            Lines{"Havoc has been moved to 10.000000 20.000000 30.250000\n"});
  EXPECT_EQ(host_.Take_Actions(),
            Lines{"Set_Object_Position(soldier 1, 10 [0x41200000], 20 [0x41A00000], 30.25 "
                  "[0x41F20000])"});
  EXPECT_EQ(Player(1).position.z, 30.25f);
}

TEST_F(CommandsTest, FreezeAndUnfreezeAreSilent) {
  EXPECT_EQ(Run<ConsoleCommand_freeze>("3 and more words"), Lines{});
  EXPECT_TRUE(Player(3).frozen);
  EXPECT_EQ(Run<ConsoleCommand_unfreeze>("3"), Lines{});
  EXPECT_FALSE(Player(3).frozen);
  EXPECT_EQ(Run<ConsoleCommand_freeze>("42"), Lines{});
  EXPECT_EQ(host_.Take_Actions(),
            (Lines{"Set_Movement_Enabled(soldier 3, 0)", "Set_Movement_Enabled(soldier 3, 1)"}));
}

TEST_F(CommandsTest, FlymodeTogglesThenRestoresCollisions) {
  EXPECT_EQ(Run<ConsoleCommand_flymode>("77"), Lines{"Error: Player not found.\n"});
  EXPECT_EQ(Run<ConsoleCommand_flymode>("1"), Lines{"Flying mode toggled for player Havoc.\n"});
  EXPECT_EQ(host_.Take_Actions(),
            (Lines{"Toggle_Fly_Mode(soldier 1)", "Enable_Collisions(soldier 1)"}));
  EXPECT_TRUE(Player(1).flying);
  host_.Clear_Extension_Slot("New_Enable_Collisions");
  Run<ConsoleCommand_flymode>("1");
  EXPECT_EQ(host_.Take_Actions(), Lines{"Toggle_Fly_Mode(soldier 1)"});
  EXPECT_FALSE(Player(1).flying);
}

TEST_F(CommandsTest, KillplayerOnFootDriverAndPassenger) {
  EXPECT_EQ(Run<ConsoleCommand_kill>("1"), Lines{"Havoc has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(),
            Lines{"Apply_Damage(soldier 1, 99999 [0x47C34F80], \"Death\", null)"});
  EXPECT_EQ(Player(1).life, standin::world::Life::Killed);

  // A passenger is removed; the vehicle is left alone.
  EXPECT_EQ(Run<ConsoleCommand_kill>("3"), Lines{"Zoë has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{"Destroy_Object(soldier 3)"});

  // The driver takes the vehicle down, then is removed.
  EXPECT_EQ(Run<ConsoleCommand_kill>("2 with words after"),
            Lines{"Sydney has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(),
            (Lines{"Apply_Damage(vehicle 1, 99999 [0x47C34F80], \"Death\", null)",
                   "Destroy_Object(soldier 2)"}));
  EXPECT_EQ(host_.World().Vehicles()[0].life, standin::world::Life::Killed);

  // A driver alone in a one-seat vehicle (an occupant count of 1) is its driver as much.
  standin::world::World& world = host_.World();
  standin::world::Vehicle& bike = world.Add_Vehicle("Buggy", 1);
  world.Seat(world.Add_Player(20, u"Solo", "Soldier_A"), bike, 0);
  EXPECT_EQ(Run<ConsoleCommand_kill>("20"), Lines{"Solo has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(), (Lines{"Apply_Damage(" + world.Describe(bike.object.get()) +
                                             ", 99999 [0x47C34F80], \"Death\", null)",
                                         "Destroy_Object(soldier 20)"}));

  // Once the host has removed the object, the player has no name and no usable object.
  host_.World().End_Frame();
  EXPECT_EQ(Player(3).life, standin::world::Life::Removed);
  EXPECT_EQ(Run<ConsoleCommand_flymode>("3"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{});

  EXPECT_EQ(Run<ConsoleCommand_kill>("  abc"), Lines{"None has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{});
}

TEST_F(CommandsTest, ChangecharacterOnlyRebuildsASoldierOnFootIntoACharacter) {
  EXPECT_EQ(Run<ConsoleCommand_changecharacter>("1 Sniper Engineer"), Lines{});
  EXPECT_EQ(host_.Take_Actions(), (Lines{"Find_Definition_By_Name(\"Sniper\", 1)",
                                         "Reinit_Soldier_From_Definition(soldier 1, preset Sniper)",
                                         "Finish_Reinit(soldier 1)"}));
  EXPECT_EQ(Player(1).preset, "Sniper");

  Run<ConsoleCommand_changecharacter>("2 Engineer");  // seated: the preset is not even looked up
  Run<ConsoleCommand_changecharacter>("1 Buggy");     // no character
  Run<ConsoleCommand_changecharacter>("1 Nobody");
  Run<ConsoleCommand_changecharacter>("1");
  EXPECT_EQ(host_.Take_Actions(), (Lines{"Find_Definition_By_Name(\"Buggy\", 1)",
                                         "Find_Definition_By_Name(\"Nobody\", 1)"}));
  EXPECT_EQ(Player(1).preset, "Sniper");

  // The host side says which of these it refused: a refusal reported as done would
  // send a caller on as if the soldier had been rebuilt.
  const auto object = [&](int id) {
    return reinterpret_cast<host::GameObject*>(Player(id).soldier.get());
  };
  EXPECT_FALSE(host::Change_Character(nullptr, "Engineer"));
  EXPECT_FALSE(host::Change_Character(object(2), "Engineer")) << "seated";
  EXPECT_FALSE(host::Change_Character(object(1), "Buggy")) << "no character";
  EXPECT_FALSE(host::Change_Character(object(1), "Nobody")) << "no such preset";
  EXPECT_FALSE(host::Change_Character(object(7), "Engineer")) << "an object that is no soldier";
  EXPECT_EQ(Player(1).preset, "Sniper");
  EXPECT_TRUE(host::Change_Character(object(1), "Engineer"));
  EXPECT_EQ(Player(1).preset, "Engineer");
  host_.Take_Actions();
}

TEST_F(CommandsTest, EmptyAndBlankArguments) {
  EXPECT_EQ(Run<ConsoleCommand_teleport>(""), Lines{"TELEPORT <id> <vector3>\n"});
  EXPECT_EQ(Run<ConsoleCommand_kill>(""), Lines{"KILLPLAYER <id>\n"});
  EXPECT_EQ(Run<ConsoleCommand_freeze>(nullptr), Lines{});
  for (auto run :
       {&CommandsTest::Run<ConsoleCommand_givepoints>, &CommandsTest::Run<ConsoleCommand_refund>,
        &CommandsTest::Run<ConsoleCommand_setcredits>, &CommandsTest::Run<ConsoleCommand_setpoints>,
        &CommandsTest::Run<ConsoleCommand_teleport>, &CommandsTest::Run<ConsoleCommand_freeze>,
        &CommandsTest::Run<ConsoleCommand_unfreeze>, &CommandsTest::Run<ConsoleCommand_flymode>,
        &CommandsTest::Run<ConsoleCommand_changecharacter>}) {
    EXPECT_EQ((this->*run)("   "), Lines{});
  }
  EXPECT_EQ(host_.Take_Calls(), Lines{});
}

TEST_F(CommandsTest, OddHostDataEndsInNeutralResults) {
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("9 1"), Lines{"None has been given 1.000000 points.\n"});
  EXPECT_EQ(Run<ConsoleCommand_flymode>("5"), Lines{"Error: Player not found.\n"});
  // The driver of a vehicle whose occupant array is missing is no driver: removed only.
  host_.Take_Calls();
  EXPECT_EQ(Run<ConsoleCommand_kill>("12"), Lines{"Arrayless has been force-killed.\n"});
  EXPECT_EQ(host_.Take_Actions(), Lines{"Destroy_Object(soldier 12)"});
  EXPECT_TRUE(host_.World().Errors().empty());
}

// A host table with no Is_Valid_Object: no handle is usable, so nothing is asked of an
// object (no view, no name, no toggle, no new character) and every name is "None".
// The handle still goes to the host's own functions that take any object.
TEST_F(CommandsTest, WithoutAValidityTestNoObjectIsUsable) {
  host_.Clear_Slot(standin::world::layout::Slot_Is_Valid_Object);
  host_.Take_Calls();
  EXPECT_EQ(Run<ConsoleCommand_flymode>("1"), Lines{"Flying mode toggled for player None.\n"});
  EXPECT_EQ(Run<ConsoleCommand_changecharacter>("1 Sniper"), Lines{});
  EXPECT_EQ(Run<ConsoleCommand_givepoints>("1 5"), Lines{"None has been given 5.000000 points.\n"});
  const Lines calls = host_.Take_Calls();
  EXPECT_EQ(standin::world::Actions_Of(calls), Lines{"Give_Points(soldier 1, 5 [0x40A00000], 0)"});
  for (const std::string& call : calls) {
    EXPECT_TRUE(call.rfind("As_", 0) != 0 && call.rfind("Find_Definition", 0) != 0) << call;
  }
  EXPECT_FALSE(Player(1).flying);
}

TEST_F(CommandsTest, TypicalLinesTakeAtMostTwoHostBlocks) {
  struct Case {
    void (*run)(const char*);
    const char* text;
  };
  const Case cases[] = {
      {&ConsoleCommand_givepoints::Run, "1 50"},
      {&ConsoleCommand_refund::Run, "1 50"},
      {&ConsoleCommand_setcredits::Run, "1 50"},
      {&ConsoleCommand_setpoints::Run, "1 50"},
      {&ConsoleCommand_teleport::Run, "1 1 2 3"},
      {&ConsoleCommand_freeze::Run, "1"},
      {&ConsoleCommand_unfreeze::Run, "1"},
      {&ConsoleCommand_flymode::Run, "1"},
      {&ConsoleCommand_changecharacter::Run, "1 Soldier_A"},
      {&ConsoleCommand_kill::Run, "1"},
  };
  for (const Case& c : cases) {
    const std::uint64_t before = host_.Heap().Allocations();
    c.run(c.text);
    EXPECT_LE(host_.Heap().Allocations() - before, 2u) << c.text;
    EXPECT_EQ(host_.Heap().Live_Blocks(), 0u) << c.text;
  }
}

// Each reading fills only the words it names and leaves the others as they were: an
// amount command must not hold its amount's text as a typed word (a host block kept
// through the command's host calls), and a reading must not take an id it was not
// asked for.
TEST_F(CommandsTest, ReadWordsFillsOnlyWhatTheReadingNames) {
  struct Case {
    Reading reading;
    const char* text;
    std::int32_t id, whole_text_id;
    std::uint32_t amount_bits;
    const char* word;
  };
  const std::string long_amount = "3 50.0000000000000000000";
  const Case cases[] = {
      {Reading::Whole_Text_Id, "7 50", 0, 7, 0, ""},
      {Reading::Id, "7 50", 7, 0, 0, ""},
      {Reading::Id_And_Amount, long_amount.c_str(), 3, 0, 0x42480000u, ""},
      {Reading::Id_Whole_Text_Id_Amount, "3 50", 3, 3, 0x42480000u, ""},
      {Reading::Id_And_Position, "3 50 1 2", 3, 0, 0x42480000u, ""},
      {Reading::Id_And_Word, "3 Soldier_A_Long_Name", 3, 0, 0, "Soldier_A_Long_Name"},
  };
  for (const Case& c : cases) {
    CommandWords words;
    ASSERT_TRUE(Read_Words(c.text, c.reading, &words)) << c.text;
    EXPECT_EQ(words.id, c.id) << c.text;
    EXPECT_EQ(words.whole_text_id, c.whole_text_id) << c.text;
    EXPECT_EQ(words.amount().bits, c.amount_bits) << c.text;
    EXPECT_STREQ(words.word.c_str(), c.word) << c.text;
  }
}

// A host table whose Is_Valid_Object slot is empty: no object is usable without the
// host's word for it, so a command finds no player rather than trusting a handle.
TEST_F(CommandsTest, NoValidityAnswerMeansNoUsableObject) {
  auto* object = reinterpret_cast<host::GameObject*>(Player(1).soldier.get());
  ASSERT_TRUE(host::Is_Usable(object));
  alignas(16) std::uint8_t empty_table[standin::Script_Table_Bytes] = {};
  host::ScriptCommandTable* const bound = host::Script_Commands;
  host::Script_Commands = reinterpret_cast<host::ScriptCommandTable*>(empty_table);
  const bool usable = host::Is_Usable(object);
  const char16_t* name = host::Get_Player_Name(object);
  // Before the host has handed over its table at all, every slot is missing too.
  host::Script_Commands = nullptr;
  const bool usable_without_table = host::Is_Usable(object);
  host::Script_Commands = bound;
  EXPECT_FALSE(usable);
  EXPECT_EQ(name, host::No_Player_Name);
  EXPECT_FALSE(usable_without_table);
}

// Build 4: no engine functions and no console print. Every command finds no player,
// calls nothing and prints nothing.
TEST(CommandsWithoutEngine, EveryCommandIsHarmless) {
  direct_host::BoundHost host(standin::world::World::Default(), direct_host::Engine::Absent);
  for (const CommandRow* row : {&ConsoleCommand_givepoints::Row, &ConsoleCommand_refund::Row,
                                &ConsoleCommand_setcredits::Row, &ConsoleCommand_setpoints::Row,
                                &ConsoleCommand_teleport::Row, &ConsoleCommand_freeze::Row,
                                &ConsoleCommand_unfreeze::Row, &ConsoleCommand_flymode::Row,
                                &ConsoleCommand_changecharacter::Row, &ConsoleCommand_kill::Row}) {
    Run_Command("1 2 3 4", *row);
    Run_Command("", *row);
  }
  EXPECT_EQ(host.Take_Calls(), Lines{});
  EXPECT_EQ(host.Printed(), Lines{});
  EXPECT_EQ(host.Heap().Live_Blocks(), 0u);
}

}  // namespace
