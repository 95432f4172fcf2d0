// Display modes headless, the display plan of the load, cursor shapes, and
// sprites and backgrounds grabbed from surfaces.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Graphics.h"
#include "support/Builtin_Call.h"
#include "support/graphics_fixture.h"

namespace {

RValue R(double v) { return RValue(v); }

class DisplayTest : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    Settings.DisplayErrors = false;
    Error_Reset();
  }
  void TearDown() override {
    Sprite_ClearTable();
    Background_ClearTable();
    Error_Reset();
    Settings = RSettings{};
    GraphicsTest::TearDown();
  }
};

TEST_F(DisplayTest, HeadlessDisplayRefusesEveryChangeAndKeepsTheDevice) {
  const double w = CallByName("display_get_width").real, h = CallByName("display_get_height").real;
  ASSERT_GT(w, 0);
  const int32_t surface = int32_t(CallByName("surface_create", {R(16), R(16)}).real);
  ASSERT_GE(surface, 0);
  // Even the mode the display is in: nobody is there to see a change.
  EXPECT_EQ(CallByName("display_test_all", {R(w), R(h), R(0), R(0)}).real, 0);
  EXPECT_EQ(CallByName("display_set_size", {R(640), R(480)}).real, 0);
  EXPECT_EQ(CallByName("display_set_colordepth", {R(16)}).real, 0);
  EXPECT_EQ(CallByName("display_set_frequency", {R(60)}).real, 0);
  EXPECT_EQ(CallByName("display_set_all", {R(800), R(600), R(60), R(32)}).real, 0);
  EXPECT_EQ(CallByName("display_reset").real, 0);  // nothing to undo
  EXPECT_FALSE(PlatformDisplay_ModeChanged());
  // A refused change resets nothing: the surface lives on.
  EXPECT_EQ(CallByName("surface_exists", {R(surface)}).real, 1);
  EXPECT_EQ(CallByName("display_get_width").real, w);
  CallByName("display_mouse_set", {R(10), R(10)});
  EXPECT_FALSE(Error_Occurred());
}

TEST(DisplayPlan, SettingCodesAndTheColourDepthQuestion) {
  int asked = 0;
  auto yes = [&] { ++asked; return true; };
  auto no = [&] { ++asked; return false; };
  RSettings s;
  // Off: no change, and no question on a usable desktop.
  RDisplayPlan plan = Display_Plan(s, 32, yes);
  EXPECT_TRUE(plan.run);
  EXPECT_FALSE(plan.change);
  EXPECT_EQ(asked, 0);

  s.ChangeResolution = true;
  s.ColorDepth = 2;
  s.Resolution = 4;
  s.Frequency = 3;
  plan = Display_Plan(s, 24, no);
  EXPECT_TRUE(plan.change);
  EXPECT_EQ(asked, 0);  // a depth was asked for: no question
  EXPECT_EQ(plan.bits, 32);
  EXPECT_EQ(plan.width, 1024);
  EXPECT_EQ(plan.height, 768);
  EXPECT_EQ(plan.frequency, 85);

  // Resolution 0 changes only what else was asked; codes outside the tables
  // mean no change.
  s.Resolution = 0;
  s.Frequency = 9;
  s.ColorDepth = 1;
  plan = Display_Plan(s, 32, yes);
  EXPECT_EQ(plan.width, 0);
  EXPECT_EQ(plan.frequency, 0);
  EXPECT_EQ(plan.bits, 16);

  // A 24-bit desktop without a depth asked for: Yes switches to 16 bits,
  // keeping the rest; No stops the game.
  s = RSettings{};
  plan = Display_Plan(s, 24, yes);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(plan.run);
  EXPECT_TRUE(plan.change);
  EXPECT_EQ(plan.bits, 16);
  EXPECT_EQ(plan.width, 0);
  plan = Display_Plan(s, 8, no);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(plan.run);
}

TEST(CursorShapes, ConstantsMapOntoTheDesktopsCursors) {
  EXPECT_EQ(Window_CursorShape(0), ESystemCursor::Arrow);
  EXPECT_EQ(Window_CursorShape(-2), ESystemCursor::Arrow);
  EXPECT_EQ(Window_CursorShape(-3), ESystemCursor::Cross);
  EXPECT_EQ(Window_CursorShape(-4), ESystemCursor::Beam);
  EXPECT_EQ(Window_CursorShape(-6), ESystemCursor::SizeNESW);
  EXPECT_EQ(Window_CursorShape(-9), ESystemCursor::SizeWE);
  EXPECT_EQ(Window_CursorShape(-11), ESystemCursor::Wait);
  EXPECT_EQ(Window_CursorShape(-18), ESystemCursor::No);
  EXPECT_EQ(Window_CursorShape(-19), ESystemCursor::WaitArrow);
  EXPECT_EQ(Window_CursorShape(-21), ESystemCursor::Hand);
  EXPECT_EQ(Window_CursorShape(-22), ESystemCursor::SizeAll);
  EXPECT_EQ(Window_CursorShape(-23), ESystemCursor::Arrow);  // unknown codes
  EXPECT_EQ(Window_CursorShape(5), ESystemCursor::Arrow);
}

TEST_F(DisplayTest, WindowSetCursorKeepsTheCodeAndShowsOrHides) {
  CallByName("window_set_cursor", {R(-21)});
  EXPECT_EQ(CallByName("window_get_cursor").real, -21);
  EXPECT_TRUE(Settings.ShowCursor);
  CallByName("window_set_cursor", {R(-1)});
  EXPECT_FALSE(Settings.ShowCursor);
  CallByName("window_set_cursor", {R(0)});
  EXPECT_TRUE(Settings.ShowCursor);
}

TEST_F(DisplayTest, SpritesAndBackgroundsFromSurfacesKeepTheirAlpha) {
  const int32_t id = int32_t(CallByName("surface_create", {R(32), R(16)}).real);
  ASSERT_GE(id, 0);
  CallByName("surface_set_target", {R(id)});
  CallByName("draw_clear_alpha", {R(0x0000FF), R(0.5)});  // red, half transparent
  CallByName("surface_reset_target");

  const int32_t spr = int32_t(CallByName("sprite_create_from_surface", {R(id), R(-4), R(0), R(20), R(8), R(0), R(0),
                                                                       R(0), R(0), R(3), R(4)})
                                  .real);
  const CSprite* s = Sprite_Get(spr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->width, 16);  // clipped at the surface's left edge
  EXPECT_EQ(s->height, 8);
  EXPECT_EQ(s->xorigin, 3);
  EXPECT_EQ(s->yorigin, 4);
  EXPECT_NEAR(int(s->images[0].Pixel(5, 5) >> 24), 128, 2);  // alpha kept, unlike a screen grab
  EXPECT_EQ(s->images[0].Pixel(5, 5) & 0xFFFFFF, 0xFF0000u);

  // Added as a frame of the sprite's size.
  CallByName("sprite_add_from_surface", {R(spr), R(id), R(0), R(0), R(32), R(16)});
  ASSERT_EQ(Sprite_Get(spr)->ImageCount(), 2);
  EXPECT_EQ(Sprite_Get(spr)->images[1].width, 16);

  const int32_t back =
      int32_t(CallByName("background_create_from_surface", {R(id), R(0), R(0), R(32), R(16), R(0), R(0), R(0)}).real);
  ASSERT_NE(Background_Get(back), nullptr);
  EXPECT_EQ(Background_Get(back)->width, 32);
  EXPECT_NEAR(int(Background_Get(back)->image.Pixel(0, 0) >> 24), 128, 2);
  EXPECT_FALSE(Error_Occurred());

  // A missing surface is reported; a missing sprite is reported first.
  const int32_t sprites = Sprite_Count();
  EXPECT_EQ(CallByName("sprite_create_from_surface",
                       {R(9), R(0), R(0), R(4), R(4), R(0), R(0), R(0), R(0), R(0), R(0)})
                .real,
            -1);
  EXPECT_EQ(ReportedError(), "Trying to use non-existing surface.");
  EXPECT_EQ(Sprite_Count(), sprites);
  Error_Reset();
  EXPECT_EQ(CallByName("background_create_from_surface", {R(9), R(0), R(0), R(4), R(4), R(0), R(0), R(0)}).real, -1);
  EXPECT_EQ(ReportedError(), "Trying to use non-existing surface.");
  Error_Reset();
  CallByName("sprite_add_from_surface", {R(99), R(9), R(0), R(0), R(4), R(4)});
  EXPECT_EQ(ReportedError(), "Trying to add to non-existing sprite.");
}

}  // namespace
