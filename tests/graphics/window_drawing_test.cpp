// The back buffer held in the window's own framebuffer while the region fills
// the window: the same pixels as in the off-screen one, kept from frame to
// frame, and handed back intact when the window cannot hold it.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform_Graphics.h"
#include "support/graphics_fixture.h"

namespace {

constexpr int32_t kWidth = 160, kHeight = 120;

// Blended triangles off the pixel centres, lines, points and a turned,
// scaled texture: the edges where a changed orientation would show.
void DrawScene(int32_t texture) {
  D3D_Clear(0x404040);
  const auto v = [](float x, float y, uint32_t c) { return RVertex{x, y, 0, c, 0, 0}; };
  const RVertex triangles[] = {v(3.3f, 2.5f, 0xC0FF0000u), v(150.5f, 20.7f, 0xC000FF00u), v(40.5f, 110.5f, 0xC00000FFu),
                               v(100, 10, 0x80FFFF00u),    v(155, 115, 0x80FF00FFu),    v(60, 90, 0x8000FFFFu)};
  D3D_SetPrimitiveTexture(-1);
  D3D_DrawPrimitive(PRIM_TRIANGLELIST, triangles, 6);
  const RVertex lines[] = {v(0.5f, 119.5f, 0xFFFFFFFFu), v(159.5f, 0.5f, 0xFFFFFFFFu), v(10, 60.5f, 0xFFFF8000u),
                           v(150, 61, 0xFFFF8000u)};
  D3D_DrawPrimitive(PRIM_LINELIST, lines, 4);
  const RVertex points[] = {v(1.5f, 1.5f, 0xFF00FF00u), v(158.5f, 118.5f, 0xFFFF0000u)};
  D3D_DrawPrimitive(PRIM_POINTLIST, points, 2);
  DrawTextureExt(texture, 80.3, 60.6, 8, 8, 2.5, 1.5, 0.7, 0xFFFFFF, 0.75);
  // Upright squares go as point sprites, whose texture runs top down too.
  for (int32_t k = 0; k < 12; ++k) DrawTextureExt(texture, 4.3 + k * 12.9, 96.2 - k * 3.1, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
}

int32_t Checker() {
  CBitmap32 image(16, 16);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) image.pixels[y * 16 + x] = ((x ^ y) & 1) ? 0xFFFF2020u : 0x8020FF20u;
  return TextureFromImage(image);
}

bool Same(const CBitmap32& a, const CBitmap32& b) { return a.width == b.width && a.pixels == b.pixels; }

}  // namespace

TEST_F(GraphicsTest, WindowHoldsTheBackBufferWithTheSamePixels) {
  // A window made at its size: headless displays do not grow the surface.
  D3D_ReleaseDevice();
  PlatformWindow_Destroy();
  ASSERT_TRUE(PlatformWindow_Create(kWidth, kHeight));
  ASSERT_TRUE(D3D_CreateDevice(640, 480, false));
  Window_SetRegionScale(1, true);
  Window_SetRegionForRoom(kWidth, kHeight);
  const int32_t texture = Checker();
  ASSERT_GE(texture, 0);
  ASSERT_FALSE(PlatformGL_DrawsInWindow());  // nothing presented yet
  DrawScene(texture);
  const CBitmap32 off_screen = Grab(kWidth, kHeight);

  D3D_Present();
  if (!PlatformGL_DrawsInWindow()) GTEST_SKIP() << "this display cannot hold the back buffer";
  // The frame just shown is still there to draw on.
  EXPECT_TRUE(Same(Grab(kWidth, kHeight), off_screen));
  DrawScene(texture);
  const CBitmap32 in_window = Grab(kWidth, kHeight);
  EXPECT_TRUE(Same(in_window, off_screen));
  // A frame shown later is shown before the next read.
  D3D_PresentLater();
  EXPECT_TRUE(Same(Grab(kWidth, kHeight), off_screen));
  EXPECT_TRUE(PlatformGL_DrawsInWindow());

  // Copies out of and into the back buffer keep their rows the right way up.
  const uint32_t copy = PlatformGL_CreateTexture(32, 32);
  ASSERT_NE(copy, 0u);
  PlatformGL_CopyRect(0, 70, 50, 32, 32, copy, 0, 0);
  PlatformGL_CopyRect(copy, 0, 0, 32, 16, 0, 0, 100);
  EXPECT_TRUE(PlatformGL_DrawsInWindow());
  const CBitmap32 copied = Grab(kWidth, kHeight);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 32; ++x) ASSERT_EQ(copied.Pixel(x, 100 + y), off_screen.Pixel(70 + x, 50 + y)) << x << "," << y;
  ASSERT_TRUE(PlatformGL_SetTarget(copy));
  uint32_t corner = 0;
  ASSERT_TRUE(PlatformGL_ReadPixels(3, 2, 1, 1, &corner));
  EXPECT_EQ(corner, off_screen.Pixel(73, 52));
  ASSERT_TRUE(PlatformGL_SetTarget(0));
  PlatformGL_FreeTexture(copy);

  // A depth buffer is more than the window holds: the frame moves back out.
  ASSERT_TRUE(PlatformGL_SetDepthBuffer(true));
  EXPECT_FALSE(PlatformGL_DrawsInWindow());
  EXPECT_TRUE(Same(Grab(kWidth, kHeight), copied));
  ASSERT_TRUE(PlatformGL_SetDepthBuffer(false));
  D3D_Present();
  ASSERT_TRUE(PlatformGL_DrawsInWindow());

  // So are pixels beyond the window, which the back buffer has.
  uint32_t row[8];
  ASSERT_TRUE(PlatformGL_ReadPixels(kWidth - 4, 5, 8, 1, row));
  EXPECT_FALSE(PlatformGL_DrawsInWindow());
  for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(row[x] | 0xFF000000u, copied.Pixel(kWidth - 4 + x, 5));

  // A scaled region is copied to the window again.
  D3D_Present();
  ASSERT_TRUE(PlatformGL_DrawsInWindow());
  Window_SetRegionScale(2, true);
  D3D_Present();
  EXPECT_FALSE(PlatformGL_DrawsInWindow());
  EXPECT_TRUE(Same(Grab(kWidth, kHeight), copied));
  FreeTexture(texture);
}
