// Room transitions: the pictures of the built-in kinds, and a whole
// transition from capture to the last frame.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Transition.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Room_Main.h"

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

}  // namespace
