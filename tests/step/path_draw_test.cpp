// Drawing paths and motion grids on a headless device.
#include <gtest/gtest.h>

#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "step/Motion_Grid.h"
#include "step/Path_Main.h"
#include "support/Builtin_Call.h"
#include "support/graphics_fixture.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF008000u;

RValue R(double v) { return RValue(v); }

class PathDraw : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    D3D_Clear(0);
    Draw_SetColour(0xFFFFFF);
    Path_Install({});
    Motion_Reset();
  }
  void TearDown() override {
    Draw_SetColour(0);
    Path_Install({});
    Motion_Reset();
    GraphicsTest::TearDown();
  }
};

TEST_F(PathDraw, PathsAsLineStrips) {
  const double p = CallByName("path_add").real;
  CallByName("path_set_closed", {R(p), R(0)});
  CallByName("path_add_point", {R(p), R(10.5), R(10.5), R(100)});
  CallByName("path_add_point", {R(p), R(50.5), R(10.5), R(100)});
  CallByName("path_add_point", {R(p), R(50.5), R(40.5), R(100)});
  CallByName("draw_path", {R(p), R(0), R(0), R(1)});  // absolute
  CallByName("draw_path", {R(p), R(10.5), R(50.5), R(0)});  // starting at (10.5, 50.5)
  // Shorter than 2 pixels: nothing.
  const double dot = CallByName("path_add").real;
  CallByName("path_add_point", {R(dot), R(60.5), R(5.5), R(100)});
  CallByName("path_add_point", {R(dot), R(61.5), R(5.5), R(100)});
  CallByName("path_set_closed", {R(dot), R(0)});
  CallByName("draw_path", {R(dot), R(0), R(0), R(1)});
  CBitmap32 shot = Grab(80, 90);
  EXPECT_EQ(shot.Pixel(30, 10), kWhite);
  EXPECT_EQ(shot.Pixel(50, 25), kWhite);
  EXPECT_EQ(shot.Pixel(30, 12), kBlack);
  EXPECT_EQ(shot.Pixel(30, 50), kWhite);
  EXPECT_EQ(shot.Pixel(50, 70), kWhite);
  EXPECT_EQ(shot.Pixel(60, 5), kBlack);
}

TEST_F(PathDraw, GridsInRedAndGreen) {
  const double g = CallByName("mp_grid_create", {R(10), R(10), R(3), R(2), R(8), R(8)}).real;
  CallByName("mp_grid_add_cell", {R(g), R(1), R(0)});
  const double p = CallByName("path_add").real;
  EXPECT_EQ(CallByName("mp_grid_path", {R(g), R(p), R(12), R(12), R(30), R(12), R(0)}).real, 1);
  CallByName("mp_grid_draw", {R(g)});
  CBitmap32 shot = Grab(40, 30);
  EXPECT_EQ(shot.Pixel(10, 10), kGreen);
  EXPECT_EQ(shot.Pixel(17, 25), kGreen);
  EXPECT_EQ(shot.Pixel(18, 10), kRed);
  EXPECT_EQ(shot.Pixel(25, 17), kRed);
  EXPECT_EQ(shot.Pixel(26, 18), kGreen);  // the search left no marks
  EXPECT_EQ(shot.Pixel(33, 25), kGreen);
  EXPECT_EQ(shot.Pixel(34, 26), kGreen);  // rectangles include their far edge
  EXPECT_EQ(shot.Pixel(35, 27), kBlack);
  EXPECT_EQ(shot.Pixel(9, 9), kBlack);
}

}  // namespace
