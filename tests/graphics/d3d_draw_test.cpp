// Drawing through the layer on a headless device: exact pixels where the
// geometry fixes them, reference images for whole scenes.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_Graphics.h"
#include "support/graphics_fixture.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;
constexpr int32_t kGameRed = 0x0000FF, kGameWhite = 0xFFFFFF, kGameBlack = 0;

CBitmap32 Solid(int32_t w, int32_t h, uint32_t colour) { return CBitmap32(w, h, colour); }

// Four quadrants: red, green / blue, white, with a one-pixel yellow left column.
CBitmap32 Quadrants(int32_t size) {
  CBitmap32 image(size, size);
  for (int32_t y = 0; y < size; ++y)
    for (int32_t x = 0; x < size; ++x) {
      const bool right = x >= size / 2, bottom = y >= size / 2;
      uint32_t c = !bottom ? (right ? kGreen : kRed) : (right ? 0xFFFFFFFFu : kBlue);
      if (x == 0) c = 0xFFFFFF00u;
      image.pixels[y * size + x] = c;
    }
  return image;
}

}  // namespace

TEST(D3DColour, ConvertsGameColoursWithAlpha) {
  EXPECT_EQ(D3D_ConvertColour(0x0000FF, 0.5), 0x80FF0000u);  // 127.5 rounds to even
  EXPECT_EQ(D3D_ConvertColour(0x123456, 1.0), 0xFF563412u);
  EXPECT_EQ(D3D_ConvertColour(0x123456, 1.7), 0xFF563412u);
  EXPECT_EQ(D3D_ConvertColour(0x123456, -1.0), 0x00563412u);
  EXPECT_EQ(D3D_ConvertColour(0x01FFFFFF, 1.0), 0xFFFFFFFFu);  // high byte ignored
  EXPECT_EQ(D3D_ConvertColour(0x0, 0.502), 0x80000000u);
}

TEST(D3DGeometry, QuadCornersAndTextureCoordinates) {
  const uint32_t white[4] = {~0u, ~0u, ~0u, ~0u};
  RVertex q[4];
  // A 33 x 20 image in its 64 x 32 texture, origin (10, 5), scale 2 x 3.
  D3D_BuildQuad(q, 64, 32, 0, 0, 33, 20, 100, 50, 10, 5, 2, 3, 0, white);
  EXPECT_FLOAT_EQ(q[0].x, 100 - 20 - 0.5f);
  EXPECT_FLOAT_EQ(q[0].y, 50 - 15 - 0.5f);
  EXPECT_FLOAT_EQ(q[2].x, 100 - 20 - 0.5f + 66);
  EXPECT_FLOAT_EQ(q[2].y, 50 - 15 - 0.5f + 60);
  EXPECT_FLOAT_EQ(q[1].x, q[2].x);
  EXPECT_FLOAT_EQ(q[3].y, q[2].y);
  EXPECT_FLOAT_EQ(q[2].u, 33.0f / 64);
  EXPECT_FLOAT_EQ(q[2].v, 20.0f / 32);
  EXPECT_FLOAT_EQ(q[0].u, 0.0f);

  // Below 0.01 radians the quad stays axis-aligned.
  RVertex r[4];
  D3D_BuildQuad(r, 64, 32, 0, 0, 33, 20, 100, 50, 10, 5, 2, 3, 0.005, white);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(r[i].x, q[i].x);
    EXPECT_FLOAT_EQ(r[i].y, q[i].y);
  }
  // A quarter turn counter-clockwise: the top-right corner goes up-left of
  // the anchor... offset (dx, dy) lands at (x + dy, y - dx).
  D3D_BuildQuad(r, 64, 32, 0, 0, 10, 10, 0, 0, 0, 0, 1, 1, std::acos(-1.0) / 2, white);
  EXPECT_NEAR(r[1].x, -0.5, 1e-5);  // offset (9.5, -0.5)
  EXPECT_NEAR(r[1].y, -9.5, 1e-5);
}

TEST(D3DProjection, MapsTheRoomAreaOntoTheViewport) {
  float m[16];
  D3D_ProjectionMatrix(0, 0, 640, 480, 0, 640, 480, m);
  auto project = [&](double x, double y, double& px, double& py) {
    const double cx = m[0] * x + m[4] * y + m[12], cy = m[1] * x + m[5] * y + m[13];
    px = (cx + 1) / 2 * 640;  // pixel edges from the left
    py = (1 - cy) / 2 * 480;  // from the top (y up in clip space)
  };
  double px, py;
  project(-0.5, -0.5, px, py);  // the corner of pixel (0, 0)
  EXPECT_NEAR(px, 0, 1e-4);
  EXPECT_NEAR(py, 0, 1e-4);
  project(639.5, 479.5, px, py);
  EXPECT_NEAR(px, 640, 1e-3);
  EXPECT_NEAR(py, 480, 1e-3);
}

TEST(TextureFill, RepeatsLastColumnAndRowIntoPaddedTexture) {
  EXPECT_EQ(Texture_DeviceSize(32), 32);
  EXPECT_EQ(Texture_DeviceSize(33), 64);
  EXPECT_EQ(Texture_DeviceSize(20), 32);
  EXPECT_EQ(Texture_DeviceSize(1), 1);

  std::vector<uint32_t> image(33 * 20);
  for (int32_t i = 0; i < 33 * 20; ++i) image[i] = static_cast<uint32_t>(i);
  std::vector<uint32_t> out;
  int32_t b = 0, a = 0;
  Texture_BuildFillBuffer(image.data(), 33, 20, 64, 32, out, b, a);
  ASSERT_EQ(b, 34);
  ASSERT_EQ(a, 21);
  EXPECT_EQ(out[5 * 34 + 7], image[5 * 33 + 7]);
  EXPECT_EQ(out[5 * 34 + 33], image[5 * 33 + 32]);    // column 33 repeats column 32
  EXPECT_EQ(out[20 * 34 + 7], image[19 * 33 + 7]);    // row 20 repeats row 19
  EXPECT_EQ(out[20 * 34 + 33], image[19 * 33 + 32]);  // and the corner

  // Exact width, padded height: no extra column.
  Texture_BuildFillBuffer(image.data(), 32, 20, 32, 32, out, b, a);
  EXPECT_EQ(b, 32);
  EXPECT_EQ(a, 21);
}

TEST_F(GraphicsTest, TextureTableReusesLowestFreeSlot) {
  const int32_t a = TextureFromImage(Solid(32, 32, kRed));
  const int32_t b = TextureFromImage(Solid(33, 20, kGreen));
  const int32_t c = TextureFromImage(Solid(4, 4, kBlue));
  ASSERT_EQ(a, 0);
  ASSERT_EQ(b, 1);
  ASSERT_EQ(c, 2);
  const RTexture* t = Texture_Get(b);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->texture_width, 64);
  EXPECT_EQ(t->texture_height, 32);
  double u = 0, v = 0;
  Texture_Scale(b, u, v);
  EXPECT_DOUBLE_EQ(u, 33.0 / 64);
  EXPECT_DOUBLE_EQ(v, 20.0 / 32);
  Texture_Scale(99, u, v);
  EXPECT_EQ(u, 1.0);
  FreeTexture(a);
  FreeTexture(b);
  EXPECT_FALSE(Texture_Exists(a));
  EXPECT_EQ(TextureFromImage(Solid(2, 2, kRed)), 0);
  EXPECT_EQ(TextureFromImage(Solid(2, 2, kRed)), 1);
  EXPECT_EQ(TextureFromImage(Solid(2, 2, kRed)), 3);
  EXPECT_EQ(TextureFromImage(CBitmap32()), -1);  // no image, no texture
  EXPECT_EQ(CreateTexture(0, 5), -1);
  EXPECT_EQ(CreateTexture(1 << 20, 1), -1);  // beyond the device's limit
  EXPECT_EQ(Texture_Count(), 4);
  FreeTexture(-1);  // invalid ids are ignored
  FreeTexture(1000);
}

TEST_F(GraphicsTest, ImageCoversExactlyItsPixels) {
  const int32_t id = TextureFromImage(Solid(32, 32, kRed));
  D3D_Clear(kGameBlack);
  DrawTexture(id, 10, 10);
  DrawTexture(-1, 0, 0);  // ignored
  const CBitmap32 shot = Grab(64, 64);
  EXPECT_EQ(shot.Pixel(10, 10), kRed);
  EXPECT_EQ(shot.Pixel(41, 41), kRed);
  EXPECT_EQ(shot.Pixel(9, 10), kBlack);
  EXPECT_EQ(shot.Pixel(42, 41), kBlack);
  EXPECT_EQ(shot.Pixel(41, 42), kBlack);
  EXPECT_EQ(shot.Pixel(0, 0), kBlack);
}

TEST_F(GraphicsTest, NonPowerOfTwoImageShowsNoPadding) {
  // Scaled up with interpolation the right and bottom edges must not blend in
  // the transparent padding of the 64 x 32 texture.
  const int32_t id = TextureFromImage(Solid(33, 20, kGreen));
  D3D_SetInterpolation(true);
  D3D_Clear(kGameBlack);
  DrawTextureExt(id, 0, 0, 0, 0, 3, 3, 0, kGameWhite, 1);
  const CBitmap32 shot = Grab(100, 60);
  EXPECT_EQ(shot.Pixel(98, 59), kGreen);
  EXPECT_EQ(shot.Pixel(0, 0), kGreen);
  EXPECT_EQ(shot.Pixel(99, 30), kBlack);
}

TEST_F(GraphicsTest, AlphaIsClampedAndColourModulates) {
  const int32_t id = TextureFromImage(Solid(8, 8, 0xFFFFFFFFu));
  D3D_Clear(kGameBlack);
  DrawTextureExt(id, 0, 0, 0, 0, 1, 1, 0, kGameRed, 1.7);   // opaque red
  DrawTextureExt(id, 10, 0, 0, 0, 1, 1, 0, kGameRed, -1);   // invisible
  DrawTextureExt(id, 20, 0, 0, 0, 1, 1, 0, kGameRed, 0.5);  // half red on black
  const CBitmap32 shot = Grab(32, 8);
  EXPECT_EQ(shot.Pixel(3, 3), kRed);
  EXPECT_EQ(shot.Pixel(13, 3), kBlack);
  EXPECT_NEAR(static_cast<int>((shot.Pixel(23, 3) >> 16) & 0xFF), 128, 2);
  // Texture blending off: the texture's own colour, whatever the vertex says.
  D3D_SetTextureBlending(false);
  DrawTextureExt(id, 0, 0, 0, 0, 1, 1, 0, kGameRed, 1);
  EXPECT_EQ(Grab(8, 8).Pixel(3, 3), 0xFFFFFFFFu);
}

TEST_F(GraphicsTest, BlendModes) {
  const int32_t id = TextureFromImage(Solid(4, 4, 0xFF808080u));
  struct Case {
    int32_t mode;
    int expected;  // red channel drawn on a background of red 0x40
  } cases[] = {{0, 0x80}, {1, 0xC0}, {2, 0x80 + 0x40 * 0x7F / 0xFF}, {3, 0x40 * 0x7F / 0xFF}, {7, 0x80}};
  for (const Case& c : cases) {
    D3D_SetBlendMode(0);
    D3D_Clear(0x000040);
    D3D_SetBlendMode(c.mode);
    DrawTexture(id, 0, 0);
    const int red = static_cast<int>((Grab(4, 4).Pixel(1, 1) >> 16) & 0xFF);
    EXPECT_NEAR(red, c.expected, 2) << "mode " << c.mode;
  }
  EXPECT_EQ(D3D_RenderState().blend_source, BLEND_SRC_ALPHA);  // mode 7 is normal
  EXPECT_EQ(D3D_RenderState().blend_destination, BLEND_INV_SRC_ALPHA);
}

TEST_F(GraphicsTest, TiledDrawingStartsLeftOfTheArea) {
  // A 32-pixel image whose column 0 is yellow, drawn from x = 10 over an area
  // starting at 0: tiles start at -22, so columns 10, 42, 74 are yellow.
  const int32_t id = TextureFromImage(Quadrants(32));
  D3D_Clear(kGameBlack);
  DrawTextureTiled(id, 10, 0, 0, 0, 1, 1, true, false, 0, 0, 100, 100, kGameWhite, 1);
  const CBitmap32 shot = Grab(100, 40);
  for (int32_t x : {10, 42, 74}) EXPECT_EQ(shot.Pixel(x, 2), 0xFFFFFF00u) << x;
  EXPECT_EQ(shot.Pixel(9, 2), kGreen);  // the right half of the tile at -22
  EXPECT_EQ(shot.Pixel(5, 35), kBlack);  // one row only
  // An area reaching left of the first tile is covered as well: tiles step
  // back from -22 to -86 for an area starting at -70 (a view at x = -70).
  D3D_Clear(kGameBlack);
  D3D_Set2DProjection(-70, 0, 640, 480, 0);
  DrawTextureTiled(id, 10, 0, 0, 0, 1, 1, true, false, -70, 0, 100, 100, kGameWhite, 1);
  const CBitmap32 shifted = Grab(100, 4);
  EXPECT_EQ(shifted.Pixel(0, 2), kGreen);             // room x -70: column 16 of the tile at -86
  EXPECT_EQ(shifted.Pixel(-54 + 70, 2), 0xFFFFFF00u);  // the tile at -54 starts at screen x 16
  // A scale that makes tiles vanish draws nothing.
  D3D_Clear(kGameBlack);
  DrawTextureTiled(id, 0, 0, 0, 0, 0.01, 1, true, true, 0, 0, 100, 100, kGameWhite, 1);
  EXPECT_EQ(Grab(4, 4).Pixel(0, 0), kBlack);
}

TEST_F(GraphicsTest, QuadsSharingStateGoInOneDrawCall) {
  const int32_t a = TextureFromImage(Solid(4, 4, kRed));
  const int32_t b = TextureFromImage(Solid(4, 4, kGreen));
  PlatformGL_Flush();
  int64_t before = PlatformGL_DrawCalls();
  for (int i = 0; i < 1000; ++i) DrawTexture(a, i % 100, i / 100);
  PlatformGL_Flush();
  EXPECT_EQ(PlatformGL_DrawCalls() - before, 1);
  before = PlatformGL_DrawCalls();
  for (int i = 0; i < 10; ++i) DrawTexture(i % 2 ? a : b, i, 0);
  PlatformGL_Flush();
  EXPECT_EQ(PlatformGL_DrawCalls() - before, 10);
  // More quads than one batch holds still all arrive.
  D3D_Clear(kGameBlack);
  for (int i = 0; i < 20000; ++i) DrawTexture(a, 0, 0);
  DrawTexture(b, 50, 50);
  const CBitmap32 shot = Grab(64, 64);
  EXPECT_EQ(shot.Pixel(1, 1), kRed);
  EXPECT_EQ(shot.Pixel(51, 51), kGreen);
}

TEST_F(GraphicsTest, SceneMatchesReference) {
  const int32_t quads = TextureFromImage(Quadrants(32));
  const int32_t odd = TextureFromImage(Quadrants(33));
  D3D_Clear(0x402010);
  DrawTexture(quads, 4, 4);
  DrawTextureExt(quads, 80, 40, 16, 16, 1.5, 1.5, std::acos(-1.0) / 6, kGameWhite, 1);
  DrawTextureExt(odd, 120, 4, 0, 0, 2, 1, 0, 0x00FFFF, 0.75);
  DrawTexturePart(quads, 16, 0, 16, 32, 4, 50, 2, 1, 0, kGameWhite, 1);
  DrawTextureGeneral(quads, 0, 0, 32, 32, 200, 60, 2, 2, 0, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 1);
  D3D_SetBlendMode(1);
  DrawTextureExt(quads, 60, 90, 0, 0, 1, 1, 0, kGameWhite, 0.5);
  D3D_SetBlendMode(0);
  D3D_SetInterpolation(true);
  DrawTextureExt(odd, 4, 90, 0, 0, 1.7, 1.3, 0, kGameWhite, 1);
  D3D_SetInterpolation(false);
  DrawTextureTiled(quads, 5, 140, 0, 0, 0.5, 0.5, true, true, 0, 140, 160, 40, kGameWhite, 1);
  // An untextured triangle strip.
  D3D_SetPrimitiveTexture(-1);
  const RVertex strip[4] = {{170, 140, 0, kRed, 0, 0}, {250, 140, 0, kGreen, 0, 0},
                            {170, 180, 0, kBlue, 0, 0}, {250, 180, 0, 0xFFFFFFFFu, 0, 0}};
  D3D_DrawPrimitive(PRIM_TRIANGLESTRIP, strip, 4);
  EXPECT_TRUE(MatchesReference(Grab(256, 192), "scene"));
}

TEST_F(GraphicsTest, ProjectionOfATurnedView) {
  const int32_t quads = TextureFromImage(Quadrants(32));
  D3D_Clear(kGameBlack);
  D3D_SetViewport(0, 0, 128, 128);
  D3D_Set2DProjection(0, 0, 64, 64, 30);
  DrawTexture(quads, 16, 16);
  EXPECT_TRUE(MatchesReference(Grab(128, 128), "turned_view"));
}

TEST_F(GraphicsTest, ScreenSaveWritesTheDrawingArea) {
  const int32_t id = TextureFromImage(Quadrants(32));
  D3D_Clear(kGameBlack);
  DrawTexture(id, 0, 0);
  const std::string path = std::string(VELMORA_BUILD_DIR) + "/screen_save_test.bmp";
  ASSERT_TRUE(D3D_SaveScreen(path, -8, -8, 40, 24));  // clipped to (0, 0, 32, 16)
  CBitmap32 saved;
  ASSERT_TRUE(Bitmap_LoadBMPFile(path, saved));
  EXPECT_EQ(saved.width, 32);
  EXPECT_EQ(saved.height, 16);
  EXPECT_EQ(saved.Pixel(0, 0), 0xFFFFFF00u);
  EXPECT_EQ(saved.Pixel(20, 3), kGreen);
  EXPECT_EQ(saved.Pixel(5, 3), kRed);
  EXPECT_FALSE(D3D_SaveScreen(path, 700, 0, 10, 10));  // nothing left of it
  std::remove(path.c_str());
}

TEST_F(GraphicsTest, RepeatHoldsForPrimitivesUntilAnImageIsDrawn) {
  CBitmap32 halves(4, 4, kRed);
  for (int32_t y = 0; y < 4; ++y) halves.pixels[y * 4 + 2] = halves.pixels[y * 4 + 3] = kGreen;
  const int32_t id = TextureFromImage(halves);
  // A 16-pixel strip with u from 0 to 2.
  const RVertex fan[4] = {{-0.5f, -0.5f, 0, ~0u, 0, 0}, {15.5f, -0.5f, 0, ~0u, 2, 0},
                          {15.5f, 3.5f, 0, ~0u, 2, 1}, {-0.5f, 3.5f, 0, ~0u, 0, 1}};
  D3D_Clear(kGameBlack);
  D3D_SetTextureRepeat(true);
  D3D_SetPrimitiveTexture(id);
  D3D_DrawPrimitive(PRIM_TRIANGLEFAN, fan, 4);
  CBitmap32 shot = Grab(16, 4);
  EXPECT_EQ(shot.Pixel(1, 1), kRed);
  EXPECT_EQ(shot.Pixel(5, 1), kGreen);
  EXPECT_EQ(shot.Pixel(9, 1), kRed);  // wrapped
  EXPECT_EQ(shot.Pixel(13, 1), kGreen);

  DrawTexture(id, 100, 100);  // images clamp, and primitives after them too
  D3D_DrawPrimitive(PRIM_TRIANGLEFAN, fan, 4);
  shot = Grab(16, 4);
  EXPECT_EQ(shot.Pixel(9, 1), kGreen);
  EXPECT_EQ(shot.Pixel(13, 1), kGreen);
  EXPECT_TRUE(D3D_RenderState().texture_repeat);  // the script's choice is kept
}
