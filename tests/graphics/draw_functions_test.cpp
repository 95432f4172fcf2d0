// The drawing built-ins on a headless device: colours, shapes with exact
// pixels where the geometry fixes them, user primitives, and sprites and
// backgrounds drawn by script.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/graphics_fixture.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu, kRed = 0xFFFF0000u;

RValue R(double v) { return RValue(v); }

TEST(DrawColours, Arithmetic) {
  EXPECT_EQ(CallByName("make_color_rgb", {R(1), R(2), R(3)}).real, 1 + 2 * 256 + 3 * 65536);
  EXPECT_EQ(CallByName("make_color_hsv", {R(0), R(255), R(255)}).real, 255);        // red
  EXPECT_EQ(CallByName("make_color_hsv", {R(85), R(255), R(255)}).real, 0xFF00);    // green
  EXPECT_EQ(CallByName("make_color_hsv", {R(10), R(0), R(128)}).real, 0x808080);   // grey
  EXPECT_EQ(CallByName("color_get_blue", {R(0x123456)}).real, 0x12);
  EXPECT_EQ(CallByName("color_get_red", {R(0x123456)}).real, 0x56);
  EXPECT_EQ(CallByName("color_get_hue", {R(0xFF0000)}).real, 170);  // blue: 240 degrees
  EXPECT_EQ(CallByName("color_get_saturation", {R(0x808080)}).real, 0);
  EXPECT_EQ(CallByName("color_get_value", {R(0x000080)}).real, 128);
  EXPECT_EQ(CallByName("merge_color", {R(0), R(0xFFFFFF), R(0.5)}).real, 0x808080);
  // The circle precision: a multiple of 4 from 4 to 64.
  const std::pair<int, int> precisions[] = {{30, 28}, {2, 4}, {100, 64}, {24, 24}};
  for (auto [asked, got] : precisions) {
    CallByName("draw_set_circle_precision", {R(asked)});
    EXPECT_EQ(Draw_CirclePrecision(), got) << asked;
  }
  Draw_SetCirclePrecision(24);
}

class DrawFunctions : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    D3D_Clear(0);
    Draw_SetColour(0xFFFFFF);
  }
  void TearDown() override {
    Draw_SetColour(0);
    Sprite_ClearTable();
    Background_ClearTable();
    GraphicsTest::TearDown();
  }
};

TEST_F(DrawFunctions, Shapes) {
  CallByName("draw_rectangle", {R(10), R(10), R(20), R(20), R(true)});   // outline to 20.01
  CallByName("draw_rectangle", {R(30), R(10), R(39), R(19), R(false)});  // filled 30..39
  CallByName("draw_healthbar", {R(50), R(0), R(59), R(39), R(75), R(0), R(0x0000FF), R(0x0000FF), R(3), R(false),
                                R(false)});
  // Kind 4 with 7 vertices: two triangles, the seventh vertex is unused.
  CallByName("draw_primitive_begin", {R(4)});
  const double v[7][2] = {{0, 30}, {8, 30}, {0, 38}, {8, 30}, {8, 38}, {0, 38}, {20, 60}};
  for (auto& p : v) CallByName("draw_vertex", {R(p[0]), R(p[1])});
  CallByName("draw_primitive_end");
  CBitmap32 shot = Grab(64, 64);
  EXPECT_EQ(shot.Pixel(10, 10), kWhite);
  EXPECT_EQ(shot.Pixel(20, 15), kWhite);
  EXPECT_EQ(shot.Pixel(15, 20), kWhite);
  EXPECT_EQ(shot.Pixel(15, 15), kBlack);  // an outline only
  EXPECT_EQ(shot.Pixel(30, 10), kWhite);
  EXPECT_EQ(shot.Pixel(39, 19), kWhite);
  EXPECT_EQ(shot.Pixel(40, 15), kBlack);
  // Three quarters of 40 rows from the bottom: rows 10 to 39.
  EXPECT_EQ(shot.Pixel(55, 8), kBlack);
  EXPECT_EQ(shot.Pixel(55, 12), kRed);
  EXPECT_EQ(shot.Pixel(55, 38), kRed);
  EXPECT_EQ(shot.Pixel(4, 34), kWhite);
  EXPECT_EQ(shot.Pixel(12, 45), kBlack);
}

TEST_F(DrawFunctions, PixelsTexturesAndSmallActions) {
  CallByName("draw_rectangle_color", {R(5), R(5), R(9), R(9), R(0x0000FF), R(0x0000FF), R(0x0000FF), R(0x0000FF),
                                      R(false)});
  EXPECT_EQ(CallByName("draw_getpixel", {R(7), R(7)}).real, 0x0000FF);
  EXPECT_EQ(CallByName("draw_getpixel", {R(20), R(20)}).real, 0);
  EXPECT_EQ(CallByName("draw_getpixel", {R(-5), R(20)}).real, 0);
  // The variable action draws its text: a real with a fraction shows two decimals.
  CallByName("action_draw_variable", {R(2.5), R(30), R(0)});
  CBitmap32 shot = Grab(80, 30);
  int inked = 0;
  for (int y = 0; y < 30; y++)
    for (int x = 30; x < 80; x++) inked += shot.Pixel(x, y) == kWhite;
  EXPECT_GT(inked, 10);
  CallByName("action_sleep", {R(5), R(false)});
  CallByName("set_automatic_draw", {R(false)});
  EXPECT_FALSE(RunState.AutomaticDraw);
  CallByName("set_automatic_draw", {R(true)});
}

TEST_F(DrawFunctions, SpritesAndBackgroundsByScript) {
  Settings.DisplayErrors = false;
  Error_Reset();
  CallByName("draw_sprite", {R(3), R(0), R(0), R(0)});
  EXPECT_NE(Error_Last().find("Trying to draw non-existing sprite."), std::string::npos);
  Error_Reset();
  CallByName("draw_background", {R(3), R(0), R(0)});
  EXPECT_NE(Error_Last().find("Trying to draw non-existing background."), std::string::npos);
  Error_Reset();
  Settings = RSettings{};

  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->width = sprites[0]->height = 2;
  sprites[0]->transparent = false;
  RImageRecord red;
  red.exists = true;
  red.width = red.height = 2;
  for (int i = 0; i < 4; i++) red.pixels.insert(red.pixels.end(), {0, 0, 255, 255});
  sprites[0]->images = {red};
  Sprite_Install(sprites);
  Sprite_CreateAllTextures();
  CallByName("draw_sprite_stretched", {R(0), R(0), R(10), R(10), R(6), R(4)});
  CallByName("draw_sprite_ext", {R(0), R(-1), R(30), R(10), R(3), R(3), R(0), R(0xFFFFFF), R(1)});
  CBitmap32 shot = Grab(40, 20);
  EXPECT_EQ(shot.Pixel(15, 13), kRed);
  EXPECT_EQ(shot.Pixel(16, 13), kBlack);
  EXPECT_EQ(shot.Pixel(35, 15), kRed);
  EXPECT_EQ(shot.Pixel(36, 15), kBlack);
  EXPECT_EQ(CallByName("sprite_get_texture", {R(0), R(0)}).real, Sprite_Get(0)->TextureOf(0));
}

TEST_F(DrawFunctions, Surfaces) {
  const int32_t id = int32_t(CallByName("surface_create", {R(100), R(50)}).real);
  ASSERT_EQ(id, 0);
  EXPECT_EQ(CallByName("surface_get_width", {R(id)}).real, 100);  // its texture is 128 wide
  EXPECT_EQ(CallByName("surface_get_height", {R(7)}).real, -1);
  EXPECT_EQ(CallByName("surface_set_target", {R(id)}).real, 1);
  EXPECT_EQ(CallByName("surface_set_target", {R(id)}).real, 1);  // already the target
  CallByName("draw_clear_alpha", {R(0x0000FF), R(1)});
  CallByName("draw_rectangle_color", {R(10), R(10), R(19), R(19), R(0xFF0000), R(0xFF0000), R(0xFF0000),
                                      R(0xFF0000), R(false)});
  EXPECT_EQ(CallByName("surface_getpixel", {R(id), R(15), R(15)}).real, 0xFF0000);
  EXPECT_EQ(CallByName("surface_getpixel", {R(id), R(5), R(5)}).real, 0x0000FF);
  EXPECT_EQ(CallByName("surface_reset_target").real, 1);
  EXPECT_EQ(CallByName("surface_reset_target").real, 0);

  // Drawn on the screen like a background.
  CallByName("draw_surface", {R(id), R(0), R(0)});
  CBitmap32 shot = Grab(120, 60);
  EXPECT_EQ(shot.Pixel(15, 15), 0xFF0000FFu);
  EXPECT_EQ(shot.Pixel(99, 49), kRed);
  EXPECT_EQ(shot.Pixel(100, 49), kBlack);

  // A negative source x moves the copy right and narrows it.
  const int32_t other = int32_t(CallByName("surface_create", {R(40), R(40)}).real);
  CallByName("surface_set_target", {R(other)});
  CallByName("draw_clear_alpha", {R(0), R(1)});
  CallByName("surface_copy_part", {R(other), R(0), R(0), R(id), R(-5), R(10), R(20), R(5)});
  CallByName("surface_free", {R(other)});  // the target: drawing returns to the screen
  EXPECT_EQ(CallByName("surface_exists", {R(other)}).real, 0);
  EXPECT_EQ(CallByName("surface_set_target", {R(id)}).real, 1);
  EXPECT_EQ(CallByName("surface_reset_target").real, 1);

  Settings.DisplayErrors = false;
  Error_Reset();
  CallByName("draw_surface", {R(5), R(0), R(0)});
  EXPECT_NE(Error_Last().find("Trying to use non-existing surface."), std::string::npos);
  Error_Reset();
  Settings = RSettings{};

  // A new device frees every surface.
  D3D_ReleaseDevice();
  ASSERT_TRUE(D3D_CreateDevice(640, 480, false));
  EXPECT_EQ(CallByName("surface_exists", {R(id)}).real, 0);
}

TEST_F(DrawFunctions, SurfaceCopyClipping) {
  const int32_t a = int32_t(CallByName("surface_create", {R(20), R(20)}).real);
  const int32_t b = int32_t(CallByName("surface_create", {R(20), R(20)}).real);
  CallByName("surface_set_target", {R(a)});
  CallByName("draw_clear_alpha", {R(0x0000FF), R(1)});
  CallByName("surface_set_target", {R(b)});
  CallByName("draw_clear_alpha", {R(0x00FF00), R(1)});
  CallByName("surface_reset_target");
  // xs = -5: lands at x + 5 with 5 columns less.
  CallByName("surface_copy_part", {R(b), R(2), R(0), R(a), R(-5), R(0), R(10), R(4)});
  EXPECT_EQ(CallByName("surface_getpixel", {R(b), R(6), R(1)}).real, 0x00FF00);
  EXPECT_EQ(CallByName("surface_getpixel", {R(b), R(7), R(1)}).real, 0x0000FF);
  EXPECT_EQ(CallByName("surface_getpixel", {R(b), R(11), R(1)}).real, 0x0000FF);
  EXPECT_EQ(CallByName("surface_getpixel", {R(b), R(12), R(1)}).real, 0x00FF00);
  EXPECT_EQ(CallByName("surface_getpixel", {R(b), R(8), R(4)}).real, 0x00FF00);
}

}  // namespace
