// Room transitions: the pictures of the built-in kinds, and a whole
// transition from capture to the last frame.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "code/Script_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Transition.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Global.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;
constexpr int32_t W = 40, H = 20;

class Transitions : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    a_ = Filled(0x0000FF);  // red
    b_ = Filled(0xFF0000);  // blue
  }
  void TearDown() override {
    Transition_Reset();
    TestWorld_Clear();
    GraphicsTest::TearDown();
  }
  int32_t Filled(int32_t colour) {
    int32_t id = Surface_Create(W, H);
    Surface_SetTarget(id);
    D3D_Clear(colour);
    Surface_ResetTarget();
    return id;
  }
  CBitmap32 Picture(int32_t kind, double f, int32_t steps = 80) {
    D3D_Clear(0x00FF00);
    Transition_Draw(kind, steps, f, a_, b_, W, H);
    return Grab(W, H);
  }
  int32_t a_ = -1, b_ = -1;
};

TEST_F(Transitions, BuiltInPictures) {
  CBitmap32 p = Picture(1, 0.25);  // B from the left, 10 columns
  EXPECT_EQ(p.Pixel(9, 5), kBlue);
  EXPECT_EQ(p.Pixel(10, 5), kRed);
  p = Picture(4, 0.5);  // from the bottom, 10 rows
  EXPECT_EQ(p.Pixel(5, 9), kRed);
  EXPECT_EQ(p.Pixel(5, 10), kBlue);
  p = Picture(7, 0.5);  // slides in from the right
  EXPECT_EQ(p.Pixel(19, 5), kRed);
  EXPECT_EQ(p.Pixel(20, 5), kBlue);
  p = Picture(14, 0.25);  // pushes from the left: A moved 10 to the right
  EXPECT_EQ(p.Pixel(9, 5), kBlue);
  EXPECT_EQ(p.Pixel(10, 5), kRed);
  p = Picture(20, 0.5);  // cross-fade: half of each
  EXPECT_NEAR(int((p.Pixel(5, 5) >> 16) & 0xFF), 128, 2);
  EXPECT_NEAR(int(p.Pixel(5, 5) & 0xFF), 128, 2);
  EXPECT_EQ(Picture(21, 0.5).Pixel(5, 5), kBlack);  // A with alpha 0 on black
  EXPECT_EQ(Picture(10, 1.0).Pixel(5, 5), kBlue);   // interlaced, at the end: B whole
  p = Picture(10, 0.0, 4);  // at the start only stripe 0 (columns 0 to 9) of B shows
  EXPECT_EQ(p.Pixel(5, 5), kBlue);
  EXPECT_EQ(p.Pixel(15, 5), kRed);
  p = Picture(18, 1.0);  // grown to full size and turned a whole turn
  EXPECT_EQ(p.Pixel(20, 10), kBlue);
  p = Picture(18, 0.0);  // nothing of B yet
  EXPECT_EQ(p.Pixel(20, 10), kRed);
}

TEST_F(Transitions, KindsAndUserFunctions) {
  EXPECT_EQ(CallByName("transition_exists", {RValue(21)}).real, 1);
  EXPECT_EQ(CallByName("transition_exists", {RValue(22)}).real, 0);
  EXPECT_EQ(CallByName("transition_define", {RValue(22), Str("no_such_function")}).real, 0);
  EXPECT_EQ(CallByName("transition_define", {RValue(22), Str("draw_clear")}).real, 1);
  EXPECT_EQ(CallByName("transition_exists", {RValue(22)}).real, 1);
  EXPECT_EQ(CallByName("transition_define", {RValue(0), Str("draw_clear")}).real, 1);  // found, not recorded
  EXPECT_EQ(CallByName("transition_exists", {RValue(0)}).real, 0);
}

TEST_F(Transitions, AWholeTransitionEndsOnTheNewRoom) {
  Surface_Free(a_);
  Surface_Free(b_);
  RTestWorld world;
  RRoomRecord room;
  room.name = "rm";
  room.backgroundColor = 0x0000FF;
  world.rooms.push_back(room);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  Transition_Begin(22, 2);  // no such kind: nothing happens
  EXPECT_FALSE(Transition_Waiting());
  Transition_Begin(20, 2);
  ASSERT_TRUE(Transition_Waiting());
  const int32_t picture = Surface_Target();  // the new room draws into the second picture
  ASSERT_GE(picture, 0);
  D3D_Clear(0xFF0000);
  Transition_Finish();
  EXPECT_FALSE(Transition_Waiting());
  EXPECT_EQ(Surface_Target(), -1);
  EXPECT_EQ(Surface_Get(picture), nullptr);
  EXPECT_EQ(Grab(W, H).Pixel(5, 5), kBlue);  // the last frame is the new room
}

// Two rooms of loggers: C create, G game start, S room start, D draw; the
// first room's two instances get depths -5 and 5 from their creation codes.
// Script scr_frame logs T for every frame of the transition it draws.
class RoomEntry : public Transitions {
 protected:
  void SetUp() override {
    Transitions::SetUp();
    Surface_Free(a_);
    Surface_Free(b_);
    RTestWorld world;
    world.objects = {TestWorld_Object("Logger", -1,
                                      {{EV_CREATE, 0, "global.log += 'C'"},
                                       {EV_OTHER, EV_GAME_START, "global.log += 'G'"},
                                       {EV_OTHER, EV_ROOM_START, "global.log += 'S'"},
                                       {EV_DRAW, 0, "global.log += 'D'"}})};
    world.rooms.resize(2);
    world.rooms[0].instances = {TestWorld_Instance(0, 100001, 0, 0, "depth = -5"),
                                TestWorld_Instance(0, 100002, 0, 0, "depth = 5")};
    world.rooms[1].instances = {TestWorld_Instance(0, 100003)};
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    ClearScripts();
    AddScript("scr_frame", "global.log += 'T'");
    ASSERT_TRUE(CompileScripts());
    ASSERT_TRUE(Transition_Define(30, "scr_frame"));
    Game = RGameGlobals();
  }
  void TearDown() override {
    RunState.AutomaticDraw = true;
    ClearScripts();
    Transitions::TearDown();
  }
  std::string Take() {
    std::string log = TestWorld_Log();
    TestWorld_ClearLog();
    return log;
  }
};

// Entering a room draws its first picture before any step: after room
// start, in depth order, ending the transition from the room left, which
// is then used up.
TEST_F(RoomEntry, TheFirstPictureIsDrawnOnEntry) {
  StartGame();
  EXPECT_EQ(Take(), "CCGGSSDD");
  ASSERT_EQ(Room_Current()->Instances().size(), 2u);
  EXPECT_EQ(Room_Current()->Instances()[0]->id, 100002);  // depth 5 first

  Game.transition_kind = 30;
  Game.transition_steps = 2;
  ChangeRoom(1);
  EXPECT_EQ(Take(), "DDCSDTTT");  // the old room captured, the new one drawn, 3 frames
  EXPECT_FALSE(Transition_Waiting());
  EXPECT_EQ(Surface_Target(), -1);
  EXPECT_EQ(Game.transition_kind, 0);
  ChangeRoom(0);
  EXPECT_EQ(Take(), "CCSSDD");  // no transition the second time

  // A game that draws for itself gets its pictures on the screen: no
  // transition waits for a first picture the room never draws.
  RunState.AutomaticDraw = false;
  Game.transition_kind = 20;
  ChangeRoom(1);
  EXPECT_FALSE(Transition_Waiting());
  EXPECT_EQ(Surface_Target(), -1);
  EndGame();
}

// A restart leaves the room as a room change does: its transition plays
// into the first room of the new game.
TEST_F(RoomEntry, ARestartPlaysTheTransition) {
  StartGame();
  Game.transition_kind = 30;
  Game.transition_steps = 1;
  RunState.PendingRoom = REQUEST_RESTART;
  EXPECT_FALSE(CarryOutRequest());
  EXPECT_EQ(Take(), "CCGGSSDDTT");
  EXPECT_EQ(Game.transition_kind, 0);
  EndGame();
}

}  // namespace
