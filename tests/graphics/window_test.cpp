// The region rectangle, the mouse mapping from window to room, and the
// window settings on a headless window.
#include <gtest/gtest.h>

#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "support/graphics_fixture.h"

#include <filesystem>
#include <fstream>

TEST(WindowRegion, RectangleForEachScaleKind) {
  struct Case {
    int32_t cw, ch, rw, rh;
    double s;
    RRegionRect expected;
  } cases[] = {
      {1000, 600, 640, 480, -1, {100, 0, 800, 600}},  // keep aspect: f = 1.25
      {800, 600, 640, 480, 0, {0, 0, 800, 600}},      // fill
      {800, 600, 640, 480, 1, {80, 60, 640, 480}},    // fixed, centred
      {640, 480, 640, 480, 2, {-320, -240, 1280, 960}},
      {101, 100, 50, 50, 1, {25, 25, 50, 50}},        // (101 - 50) div 2 = 25
      {99, 100, 100, 50, 1, {0, 25, 100, 50}},        // (-1) div 2 truncates to 0
      {640, 480, 0, 0, -1, {320, 240, 0, 0}},         // empty region: factor 0
  };
  for (const Case& c : cases) {
    const RRegionRect r = Window_RegionRectangle(c.cw, c.ch, c.rw, c.rh, c.s);
    EXPECT_EQ(r.left, c.expected.left) << c.cw << "x" << c.ch << " s=" << c.s;
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
  }
}

TEST(WindowRegion, ClientToRegionAndBack) {
  int32_t x = 0, y = 0;
  Window_ClientToRegion(400, 300, 800, 600, 640, 480, 0, x, y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
  Window_ClientToRegion(100, 0, 1000, 600, 640, 480, -1, x, y);  // the region's corner
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  Window_ClientToRegion(900, 600, 1000, 600, 640, 480, -1, x, y);
  EXPECT_EQ(x, 640);
  EXPECT_EQ(y, 480);
  Window_ClientToRegion(90, 70, 800, 600, 640, 480, 1, x, y);  // fixed scale, centred
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 10);
  Window_ClientToRegion(5, 5, 100, 100, 0, 0, -1, x, y);  // factor 0
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  Window_RegionToClient(320, 240, 1000, 600, 640, 480, -1, x, y);
  EXPECT_EQ(x, 500);
  EXPECT_EQ(y, 300);
  Window_RegionToClient(320, 240, 800, 600, 640, 480, 0, x, y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);
}

TEST(WindowRegion, RegionToRoomThroughViews) {
  std::array<RWindowView, WINDOW_VIEW_SLOTS> views{};
  int32_t x = 0, y = 0;
  Window_RegionToRoom(views, 12, 34, x, y);  // no views: the region point
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);

  // View 0: the whole 320 x 240 port shows room (1000, 500, 160, 120).
  views[0] = {true, 1000, 500, 160, 120, 0, 0, 320, 240, 0};
  // View 1: a mini-map port at (240, 0, 80, 60) showing room (0, 0, 800, 600).
  views[1] = {true, 0, 0, 800, 600, 240, 0, 80, 60, 0};
  Window_RegionToRoom(views, 100, 100, x, y);  // outside the mini-map's mapping: view 1 maps to (-1400, 1000)
  EXPECT_EQ(x, 1050);
  EXPECT_EQ(y, 550);
  Window_RegionToRoom(views, 250, 10, x, y);  // inside the mini-map
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);

  // A point that no view contains falls back on the lowest used slot.
  views[0].view_x = 5000;
  Window_RegionToRoom(views, 0, 200, x, y);
  EXPECT_EQ(x, 5000);
  EXPECT_EQ(y, 600);

  // A degenerate view gives the region point itself.
  RWindowView flat{true, 0, 0, 0, 100, 0, 0, 100, 100, 0};
  Window_RegionToView(flat, 7, 8, x, y);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 8);
}

TEST(WindowRegion, TurnedViewMapsBothWays) {
  const RWindowView v{true, 100, 100, 200, 100, 0, 0, 400, 200, 30};
  // The port's centre is the view's centre whatever the angle.
  int32_t x = 0, y = 0;
  Window_RegionToView(v, 200, 100, x, y);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 150);
  for (auto [px, py] : {std::pair{40, 60}, std::pair{350, 20}, std::pair{210, 190}}) {
    Window_RegionToView(v, px, py, x, y);
    int32_t bx = 0, by = 0;
    Window_ViewToRegion(v, x, y, bx, by);
    EXPECT_NEAR(bx, px, 2);  // rounding in room pixels is two region pixels
    EXPECT_NEAR(by, py, 2);
  }
  // A quarter turn shows the room turned counter-clockwise: a point right of
  // the port's centre lies below the view's centre (y grows downwards).
  const RWindowView q{true, 0, 0, 100, 100, 0, 0, 100, 100, 90};
  Window_RegionToView(q, 80, 50, x, y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 80);
}

TEST_F(GraphicsTest, WindowFollowsRegionAndScale) {
  Window_SetRegionScale(2, true);
  Window_SetRegionSize(160, 120, true);
  EXPECT_EQ(Window_GetWidth(), 320);
  EXPECT_EQ(Window_GetHeight(), 240);
  Window_SetRegionSize(0, 100, true);  // width stays
  EXPECT_EQ(Window_GetRegionWidth(), 160);
  EXPECT_EQ(Window_GetHeight(), 200);
  Window_SetSize(100, 100);  // not below the scaled region
  EXPECT_EQ(Window_GetWidth(), 320);
  EXPECT_EQ(Window_GetHeight(), 200);
  Window_SetSize(400, 300);
  Window_SetRegionSize(100, 50, false);  // without adapt the window only grows
  EXPECT_EQ(Window_GetWidth(), 400);
  Window_SetRegionScale(-1, true);  // keep aspect: the client stays
  EXPECT_EQ(Window_GetWidth(), 400);
  const RRegionRect r = Window_CurrentRegionRectangle();
  EXPECT_EQ(r.width, 400);
  EXPECT_EQ(r.height, 200);
  EXPECT_EQ(r.top, 50);
}

TEST_F(GraphicsTest, SettingsAreAppliedToTheWindow) {
  RSettings s;
  s.Scale = 200;
  s.Sizeable = true;
  s.StayOnTop = true;
  s.NoBorder = true;
  s.NoButtons = true;
  s.WindowColor = 0x00FF00;
  s.ShowCursor = false;
  ASSERT_TRUE(Window_ApplySettings(s));
  EXPECT_EQ(Window_GetRegionWidth(), 8);
  EXPECT_EQ(Window_GetWidth(), 16);
  EXPECT_DOUBLE_EQ(Window_GetRegionScale(), 2.0);
  EXPECT_TRUE(Window_GetSizeable());
  EXPECT_TRUE(Window_GetStayOnTop());
  EXPECT_FALSE(Window_GetShowBorder());
  EXPECT_FALSE(Window_GetShowIcons());
  EXPECT_EQ(Window_GetColour(), 0x00FF00);
  EXPECT_EQ(Window_GetCursor(), -1);
  // Full screen covers the display without a border; leaving restores the rectangle.
  Window_SetRectangle(30, 40, 200, 100);
  Window_SetFullScreen(true);
  EXPECT_TRUE(Window_GetFullScreen());
  EXPECT_EQ(Window_GetX(), 0);
  EXPECT_EQ(Window_GetY(), 0);
  EXPECT_EQ(Window_GetWidth(), Display_GetWidth());
  EXPECT_EQ(Window_GetHeight(), Display_GetHeight());
  EXPECT_FALSE(Window_GetShowBorder());  // the setting itself is kept
  Window_SetRegionSize(10, 10, true);    // no adapting while full screen
  EXPECT_EQ(Window_GetWidth(), Display_GetWidth());
  Window_ToggleFullScreen();
  EXPECT_FALSE(Window_GetFullScreen());
  EXPECT_EQ(Window_GetX(), 30);
  EXPECT_EQ(Window_GetY(), 40);
  EXPECT_EQ(Window_GetWidth(), 200);
  EXPECT_EQ(Window_GetHeight(), 100);
  Window_SetCaption("Score: 10");
  EXPECT_EQ(Window_GetCaption(), "Score: 10");
}

TEST_F(GraphicsTest, RoomRegionSetsDrawingSizeAndPresentShowsIt) {
  Window_SetRegionScale(1, true);
  Window_SetRegionForRoom(320, 200);
  EXPECT_EQ(D3D_DrawingWidth(), 320);
  EXPECT_EQ(D3D_DrawingHeight(), 200);
  EXPECT_EQ(Window_GetWidth(), 320);
  Window_SetRegionForRoom(100000, 100000);  // limited to the display
  EXPECT_EQ(D3D_DrawingWidth(), Display_GetWidth());
  EXPECT_EQ(D3D_DrawingHeight(), Display_GetHeight());
  D3D_Clear(0x0000FF);
  D3D_Present();  // presenting keeps the frame in the back buffer
  EXPECT_EQ(Grab(4, 4).Pixel(2, 2), 0xFFFF0000u);
}

TEST_F(GraphicsTest, ScreenshotTakesTheFirstFreeNumber) {
  const std::filesystem::path dir = std::filesystem::path(VELMORA_BUILD_DIR) / "screenshot_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream((dir / "screenshot100.bmp").string()) << "x";
  EXPECT_EQ(Display_ScreenshotName(dir.string()), (dir / "screenshot101.bmp").string());
  D3D_Clear(0x00FF00);
  ASSERT_TRUE(Display_SaveScreenshot(dir.string()));
  CBitmap32 shot;
  ASSERT_TRUE(Bitmap_LoadBMPFile((dir / "screenshot101.bmp").string(), shot));
  EXPECT_EQ(shot.width, D3D_DrawingWidth());
  EXPECT_EQ(shot.Pixel(0, 0), 0xFF00FF00u);
  std::filesystem::remove_all(dir);
}
