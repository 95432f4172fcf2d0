// The built-in variables: their ids in registration order, conversions,
// array indices, read-only entries, and the side effects of writing them.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "world/Run_Global.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestBuiltins.h"
#include "support/TestWorld.h"
#include "variables/Variable_BuiltIn.h"
#include "variables/Variable_Main.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Main.h"

namespace {

class BuiltinVariableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1,
                                      {{EV_OTHER, 6, "global.log += 'L'"}, {EV_OTHER, 9, "global.log += 'H'"}})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    room.caption = "cap";
    room.speed = 30;
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(Instance_NewId(), 0, 0, 0);
    Game = RGameGlobals();
    RunState.PendingRoom = REQUEST_NONE;
    TestWorld_ClearLog();
  }
  void TearDown() override { TestWorld_Clear(); }

  // Runs `code` for self, then returns string(expr).
  std::string After(const std::string& code, const std::string& expr) {
    EXPECT_TRUE(TestWorld_Run(code, self)) << code << ": " << RecordedError();
    ClearRecordedError();
    TestWorld_ClearLog();
    EXPECT_TRUE(TestWorld_Run("global.log = string(" + expr + ")", self)) << expr << ": " << RecordedError();
    return TestWorld_Log();
  }

  CRoom room;
  CInstance* self = nullptr;
};

TEST_F(BuiltinVariableTest, RegisteredInOrder) {
  // The engine registers 151; the tests' own follow them.
  TestBuiltins_Register();
  EXPECT_EQ(BuiltinIndexOf(kFirstTestVariable), 151);
  struct {
    const char* name;
    int32_t id;
  } ids[] = {{"x", 0},           {"timeline_speed", 48}, {"argument_relative", 49}, {"argument", 50},
             {"argument15", 66}, {"room", 67},           {"background_color", 86},  {"view_object", 119},
             {"mouse_x", 120},   {"fps", 135},           {"error_last", 150}};
  for (const auto& c : ids) EXPECT_EQ(BuiltinIndexOf(c.name), c.id) << c.name;
  EXPECT_EQ(BuiltinNameOf(Variable_BuiltinCount()), "<unknown built-in variable>");
}

TEST_F(BuiltinVariableTest, ConversionsAndSideEffects) {
  struct {
    const char* code;
    const char* expr;
    const char* value;
  } cases[] = {
      {"x = 'abc'", "x", "0"},
      {"room_caption = 5", "room_caption", ""},
      {"visible = 0.5", "visible", "0"},
      {"visible = 0.6", "visible", "1"},
      {"visible = -1", "visible", "0"},
      {"direction = 370", "direction", "10"},
      {"direction = -90", "direction", "270"},
      {"hspeed = 3; vspeed = -4", "speed", "5"},
      {"speed = 2; direction = 180", "hspeed", "-2"},
      {"alarm[12] = 5", "alarm[0]", "5"},
      {"alarm[3] = 2.5", "alarm[3]", "2"},
      {"", "instance_id[instance_count]", "-4"},
      {"", "instance_id[0] == id", "1"},
      {"argument3 = 7", "argument[3]", "7"},
      {"argument0 = 9", "argument[20]", "9"},
      {"score = 2.5", "score", "2"},
      {"score = 2; score += 0.5", "score", "2"},
      {"score = 4", "other.score", "4"},
      {"score = 4; global.score = 1", "score", "4"},
      {"image_single = 3", "image_speed + image_index", "3"},
      {"image_single = -1", "image_single", "-1"},
      {"path_position = 2", "path_position", "1"},
      {"transition_steps = 0", "transition_steps", "1"},
      {"mouse_button = 4", "mouse_button", "0"},
      {"mouse_button = 2", "mouse_button", "2"},
      {"keyboard_lastchar = 'xy'", "keyboard_lastchar", "x"},
      {"keyboard_lastchar = ''", "keyboard_lastchar", "x"},
      {"keyboard_key = 300", "keyboard_key", "0"},
      {"error_occurred = 0.5", "error_occurred", "1"},
      {"background_x[3] = 5", "background_x[3] + background_x[9]", "5"},
      {"view_xview[9] = 7", "view_xview[0]", "7"},
      {"room_persistent = 1", "room_persistent", "1"},
      {"", "room_width", "640"},
      {"", "sprite_width", "0"},
      {"", "current_weekday >= 1 && current_weekday <= 7", "1"},
      {"", "caption_lives", "Lives: "},
  };
  for (const auto& c : cases) EXPECT_EQ(After(c.code, c.expr), c.value) << c.code << " -> " << c.expr;
}

TEST_F(BuiltinVariableTest, AReadIntoAUsedValueIsFresh) {
  // Getters set only the real; the text the value held must not stay beside it.
  self->x = 3;
  RValue out("left over");
  ASSERT_TRUE(GetInstanceVariable(self, BuiltinIndexOf("x"), 0, out));
  EXPECT_TRUE(out.IsReal() && out.real == 3 && out.str.empty());
}

TEST_F(BuiltinVariableTest, ReadOnlyAndRefusedValues) {
  Error_Reset();
  EXPECT_FALSE(TestWorld_Run("id = 5", self));
  EXPECT_NE(RecordedError().find("Cannot assign to the variable"), std::string::npos) << RecordedError();
  ClearRecordedError();
  // room_speed = 0 reports its own message and then fails the assignment.
  EXPECT_FALSE(TestWorld_Run("room_speed = 0", self));
  EXPECT_EQ(ReportedError(), "Trying to set the room speed to a value <= 0.");
  EXPECT_NE(RecordedError().find("Cannot assign to the variable"), std::string::npos) << RecordedError();
  ClearRecordedError();
  EXPECT_EQ(room.speed, 30);
}

TEST_F(BuiltinVariableTest, LivesAndHealthRunningOut) {
  Game.lives = 3;
  EXPECT_EQ(After("lives = 0; lives = -1", "lives"), "-1");
  TestWorld_ClearLog();
  ASSERT_TRUE(TestWorld_Run("lives = 0", self));  // from -1: not again
  ASSERT_TRUE(TestWorld_Run("lives = 2; lives -= 2; health = 0; health = -5", self));
  EXPECT_EQ(TestWorld_Log(), "LH");
}

TEST_F(BuiltinVariableTest, RoomAndEventContext) {
  EXPECT_EQ(After("", "room_first == 0 && room_last == 0 && room == 0"), "1");
  ASSERT_TRUE(TestWorld_Run("room = 0", self));
  EXPECT_EQ(RunState.PendingRoom, 0);
  RunState.PendingRoom = REQUEST_NONE;
  Error_Reset();
  TestWorld_Run("room = 5", self);
  EXPECT_EQ(ReportedError(), "Unexisting room number: 5");
  RunState.PendingRoom = REQUEST_NONE;
  EventContext = REventContext{7, 4, 0, 2};
  EXPECT_EQ(After("", "string(event_type) + string(event_number) + string(event_object) + string(event_action)"),
            "7402");
}

TEST_F(BuiltinVariableTest, BoxFollowsPositionWrites) {
  // Writing x goes through the instance, so its position really changes.
  ASSERT_TRUE(TestWorld_Run("x = 12; y = x + 1", self));
  EXPECT_EQ(self->x, 12);
  EXPECT_EQ(self->y, 13);
}

}  // namespace
