// The drawing layer's built-ins through the function registry.
#include <gtest/gtest.h>

#include <cstdio>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "support/graphics_fixture.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

namespace {

RValue Call(const char* name, std::initializer_list<RValue> arguments = {}) {
  Builtins_RegisterAll();
  const int32_t id = Function_BuiltinIdOf(name);
  EXPECT_GE(id, 0) << name;
  RValue args[MAX_ARGUMENTS];
  int argc = 0;
  for (const RValue& a : arguments) args[argc++] = a;
  RValue result;
  if (id >= 0) Function_Callback(id)(nullptr, nullptr, argc, args, result);
  return result;
}

RValue R(double v) { return RValue(v); }

}  // namespace

TEST_F(GraphicsTest, BuiltinsReachTheLayer) {
  const int32_t id = TextureFromImage(CBitmap32(33, 20, 0xFFFFFFFFu));
  EXPECT_EQ(Call("texture_exists", {R(id)}).real, 1);
  EXPECT_EQ(Call("texture_exists", {R(id + 5)}).real, 0);
  EXPECT_DOUBLE_EQ(Call("texture_get_width", {R(id)}).real, 33.0 / 64);
  EXPECT_DOUBLE_EQ(Call("texture_get_height", {R(id)}).real, 20.0 / 32);
  EXPECT_EQ(Call("texture_get_width", {R(-1)}).real, 1);

  Call("draw_set_blend_mode_ext", {R(BLEND_ONE), R(BLEND_ZERO)});
  EXPECT_EQ(D3D_RenderState().blend_source, BLEND_ONE);
  Call("draw_set_blend_mode", {R(1)});
  EXPECT_EQ(D3D_RenderState().blend_destination, BLEND_ONE);
  Call("texture_set_interpolation", {R(0.5)});  // flags are true from 0.5
  EXPECT_TRUE(D3D_RenderState().interpolation);
  Call("texture_set_repeat", {R(0.49)});
  EXPECT_FALSE(D3D_RenderState().texture_repeat);

  Call("draw_clear", {R(0x00FF00)});
  EXPECT_EQ(Grab(2, 2).Pixel(1, 1), 0xFF00FF00u);

  Call("window_set_region_scale", {R(1), R(1)});
  Call("window_set_region_size", {R(200), R(150), R(1)});
  EXPECT_EQ(Call("window_get_region_width").real, 200);
  EXPECT_EQ(Call("window_get_width").real, 200);
  EXPECT_EQ(Call("window_get_region_scale").real, 1);
  Call("window_set_caption", {RValue(std::string("Level 2"))});
  EXPECT_EQ(Call("window_get_caption").str, "Level 2");
  Call("window_set_color", {R(0x123456)});
  EXPECT_EQ(Call("window_get_color").real, 0x123456);
  EXPECT_GT(Call("display_get_width").real, 0);
  EXPECT_EQ(Call("display_get_colordepth").real, 32);
}

TEST_F(GraphicsTest, ScreenSaveChecksItsFileName) {
  Error_Reset();
  Settings.DisplayErrors = false;
  Call("screen_save", {RValue(std::string())});
  EXPECT_TRUE(Error_Occurred());
  EXPECT_NE(Error_Last().find("Trying to save screen to empty image file name."), std::string::npos);

  const std::string path = std::string(VELMORA_BUILD_DIR) + "/screen_save_builtin.bmp";
  Call("draw_clear", {R(0x0000FF)});
  Call("screen_save_part", {RValue(path), R(0), R(0), R(8), R(4)});
  CBitmap32 saved;
  ASSERT_TRUE(Bitmap_LoadBMPFile(path, saved));
  EXPECT_EQ(saved.width, 8);
  EXPECT_EQ(saved.Pixel(3, 3), 0xFFFF0000u);
  std::remove(path.c_str());
}
