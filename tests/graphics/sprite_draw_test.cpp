// Sprites and backgrounds drawn on the headless device: textures made when
// graphics are prepared, frame selection, origins and scales, exact pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Graphics.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Instance_Class.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kBlack = 0xFF000000u;
constexpr int32_t kGameWhite = 0xFFFFFF;

// Sprite 0: 4 x 4, origin (2, 2), frames red (with a clear top-left pixel)
// and green. Background 0: 2 x 2 blue.
void InstallTables() {
  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->name = "spr";
  sprites[0]->width = sprites[0]->height = 4;
  sprites[0]->xOrigin = sprites[0]->yOrigin = 2;
  sprites[0]->images = {TestWorld_SolidImage(4, 4, kRed), TestWorld_SolidImage(4, 4, kGreen)};
  sprites[0]->images[0].pixels[3] = 0;  // alpha of pixel (0, 0)
  Sprite_Install(sprites);
  RSlots<RBackgroundRecord> backgrounds(1);
  backgrounds[0].emplace();
  backgrounds[0]->width = backgrounds[0]->height = 2;
  backgrounds[0]->hasImage = true;
  backgrounds[0]->image = TestWorld_SolidImage(2, 2, kBlue);
  Background_Install(backgrounds);
  // As the preparation does: backgrounds first, then sprites.
  Background_CreateAllTextures();
  Sprite_CreateAllTextures();
}

}  // namespace

TEST_F(GraphicsTest, SpriteTexturesAreMadeAtPreparation) {
  InstallTables();
  const CSprite& s = *Sprite_Get(0);
  EXPECT_EQ(Background_Get(0)->Texture(), 0);
  ASSERT_EQ(s.textures.size(), 2u);
  EXPECT_EQ(s.textures[0], 1);
  EXPECT_EQ(s.textures[1], 2);
  EXPECT_EQ(s.TextureOf(-1), 2);
  EXPECT_EQ(s.TextureOf(4), 1);
  // Rebuilding frees the old textures first; clearing frees them all.
  Sprite_Get(0)->CreateTextures();
  EXPECT_EQ(s.textures[0], 1);
  Sprite_ClearTable();
  Background_ClearTable();
  EXPECT_FALSE(Texture_Exists(0));
  EXPECT_FALSE(Texture_Exists(2));
}

TEST_F(GraphicsTest, SpriteDrawingPlacesTheFrameAtItsOrigin) {
  InstallTables();
  const CSprite& s = *Sprite_Get(0);
  D3D_Clear(0);
  s.Draw(1, 10, 10);                                        // green at 8..11
  s.Draw(0, 20, 10);                                        // red at 18..21, (18, 8) clear
  s.DrawExt(0, 40, 10, 2, 2, 0, kGameWhite, 1);             // red at 36..43
  s.DrawStretched(1, 50, 20, 8, 2, kGameWhite, 1);          // green at 50..57 x 20..21
  s.DrawPart(1, 0, 0, 2, 1, 0, 30, 1, 1, kGameWhite, 1);    // green at 0..1 x 30
  s.DrawStretched(1, 0, 40, 0, 5, kGameWhite, 1);           // nothing: zero width
  Background_Get(0)->Draw(60, 0);                           // blue at 60..61
  Background_Get(0)->DrawTiled(false, true, 1, kGameWhite, 0, 0, 100, 6, 1, 1, 70, 0);  // 70..71, rows 0..5
  const CBitmap32 shot = Grab(80, 48);
  EXPECT_EQ(shot.Pixel(8, 8), kGreen);
  EXPECT_EQ(shot.Pixel(11, 11), kGreen);
  EXPECT_EQ(shot.Pixel(7, 8), kBlack);
  EXPECT_EQ(shot.Pixel(12, 11), kBlack);
  EXPECT_EQ(shot.Pixel(18, 8), kBlack);
  EXPECT_EQ(shot.Pixel(19, 8), kRed);
  EXPECT_EQ(shot.Pixel(37, 7), kBlack);  // the clear pixel, doubled
  EXPECT_EQ(shot.Pixel(36, 8), kRed);
  EXPECT_EQ(shot.Pixel(38, 6), kRed);
  EXPECT_EQ(shot.Pixel(43, 13), kRed);
  EXPECT_EQ(shot.Pixel(44, 13), kBlack);
  EXPECT_EQ(shot.Pixel(57, 21), kGreen);
  EXPECT_EQ(shot.Pixel(58, 21), kBlack);
  EXPECT_EQ(shot.Pixel(50, 22), kBlack);
  EXPECT_EQ(shot.Pixel(1, 30), kGreen);
  EXPECT_EQ(shot.Pixel(2, 30), kBlack);
  EXPECT_EQ(shot.Pixel(0, 40), kBlack);
  EXPECT_EQ(shot.Pixel(61, 1), kBlue);
  EXPECT_EQ(shot.Pixel(62, 1), kBlack);
  EXPECT_EQ(shot.Pixel(71, 5), kBlue);
  EXPECT_EQ(shot.Pixel(72, 5), kBlack);
  EXPECT_EQ(shot.Pixel(70, 6), kBlack);
}

TEST_F(GraphicsTest, InstanceDrawsItsSpriteByDefault) {
  InstallTables();
  const CSprite& s = *Sprite_Get(0);
  RInstanceState plain;
  plain.x = 10.4, plain.y = 10;
  plain.image_index = 1.9;  // image 1
  RInstanceState scaled = plain;
  scaled.x = 30;
  scaled.image_xscale = -1;  // mirrored: the clear pixel at the right
  scaled.image_index = -2;   // image 0
  RInstanceState faded = plain;
  faded.x = 50;
  faded.image_alpha = 0;
  D3D_Clear(0);
  CImageBatch batch;
  Sprite_DrawInstance(batch, s, plain);
  Sprite_DrawInstance(batch, s, scaled);
  Sprite_DrawInstance(batch, s, faded);
  const CBitmap32 shot = Grab(60, 20);
  EXPECT_EQ(shot.Pixel(8, 8), kGreen);
  EXPECT_EQ(shot.Pixel(11, 11), kGreen);
  EXPECT_EQ(shot.Pixel(31, 8), kBlack);
  EXPECT_EQ(shot.Pixel(28, 8), kRed);
  EXPECT_EQ(shot.Pixel(30, 11), kRed);
  EXPECT_EQ(shot.Pixel(49, 9), kBlack);
  EXPECT_EQ(Sprite_ImageIndex(1.9), 1);
  EXPECT_EQ(Sprite_ImageIndex(-0.5), -1);
  EXPECT_EQ(Sprite_ImageIndex(0.0 / 0.0), 0);
  EXPECT_EQ(Sprite_ImageIndex(1e300), INT32_MAX);
}

TEST_F(GraphicsTest, BatchedImagesLandOnTheSamePixelsAsSingleOnes) {
  InstallTables();
  // Whole images of three textures at fractional places, plain and with
  // scales, turns (some below the 0.01 that counts as turned), blends and
  // alphas, in runs of one texture; every fifth one is drawn otherwise,
  // with another texture, between two batched ones of the same.
  struct RItem {
    int32_t texture;
    double x, y, xs, ys, angle;
    int32_t colour;
    double alpha;
  };
  std::vector<RItem> items;
  for (int32_t k = 0; k < 48; k++) {
    const double scale[] = {1, -1, 1.5, 0.5, 2.25, 1};
    const double angle[] = {0, 0, 0.005, 0.4, 2.1, 0};
    const int32_t texture = (k / 10 + (k % 5 == 4 ? 1 : 0)) % 3;
    items.push_back({texture, 2.3 + (k % 8) * 9.71, 3.5 + (k / 8) * 8.26, scale[k % 6], scale[(k + 2) % 6],
                     angle[k % 6], k % 4 == 0 ? kGameWhite : 0x40A0F0 + k, k % 7 == 0 ? 0.5 : 1});
  }
  const auto plain = [](const RItem& it) {
    return it.xs == 1 && it.ys == 1 && it.angle == 0 && it.colour == kGameWhite && it.alpha == 1;
  };
  D3D_Clear(0);
  for (const RItem& it : items) {
    if (plain(it))
      DrawTexture(it.texture, it.x, it.y);
    else
      DrawTextureExt(it.texture, it.x, it.y, 1, 2, it.xs, it.ys, it.angle, it.colour, it.alpha);
  }
  const CBitmap32 single = Grab(90, 60);
  D3D_Clear(0);
  CImageBatch batch;
  for (size_t k = 0; k < items.size(); k++) {
    const RItem& it = items[k];
    if (k % 5 == 4) {
      DrawTextureExt(it.texture, it.x, it.y, 1, 2, it.xs, it.ys, it.angle, it.colour, it.alpha);
      batch.Forget();
    } else if (plain(it)) {
      batch.Draw(it.texture, it.x, it.y);
    } else {
      batch.DrawExt(it.texture, it.x, it.y, 1, 2, it.xs, it.ys, it.angle, it.colour, it.alpha);
    }
  }
  batch.Draw(99, 0, 0);  // no such texture: nothing
  const CBitmap32 batched = Grab(90, 60);
  EXPECT_TRUE(batched.pixels == single.pixels);
  EXPECT_NE(std::count(single.pixels.begin(), single.pixels.end(), kBlack), 90 * 60);
}

TEST_F(GraphicsTest, PointSpritesDrawTheSamePixelsAsTriangles) {
  // Noise on 32 x 32 texels and on 12 x 12 (padded on the device), in runs of
  // sixteen at whole, half and fractional places, plain, mirrored and at
  // scales where a pixel spans whole texels or a texel whole pixels (and one
  // where neither holds), white and tinted, on the back buffer and on a
  // surface.
  const auto noise = [](int32_t side, uint32_t seed) {
    CBitmap32 image(side, side);
    for (uint32_t& p : image.pixels) {
      seed = seed * 1664525u + 1013904223u;
      p = (seed >> 8) | (seed % 7 == 0 ? 0u : 0xFF000000u);
    }
    return image;
  };
  const int32_t textures[2] = {TextureFromImage(noise(32, 1)), TextureFromImage(noise(12, 2))};
  const double scales[] = {1, -1, 0.125, 0.5, 2, 3, 0.25, 0.375};
  const auto draw = [&] {
    D3D_Clear(0);
    for (int32_t k = 0; k < 512; ++k) {
      const int32_t run = k / 16;
      const double place = run % 3 == 0 ? 0 : run % 3 == 1 ? 0.5 : 0.0137 * (k % 16) + 0.29;
      const double scale = scales[run % 8];
      DrawTextureExt(textures[run / 8 % 2], (k * 37) % 200 + place, (k * 53) % 120 + place * 0.7, 0, 0, scale,
                     std::abs(scale), 0, run % 4 == 3 ? 0x80C0FF : kGameWhite, run % 5 == 4 ? 0.5 : 1);
    }
    // Runs that share their side and texture rectangle: the whole texture,
    // and part of one.
    for (int32_t k = 0; k < 64; ++k)
      DrawTextureExt(textures[k / 32], (k * 29) % 220 + 0.3, (k * 31) % 140 + 0.6, 0, 0, 0.5, 0.5, 0, kGameWhite, 1);
  };
  const auto compare = [&](const char* where, const auto& grab, const auto& scene) {
    PlatformGL_AllowPointSprites(false);
    scene();
    const CBitmap32 triangles = grab();
    PlatformGL_AllowPointSprites(true);
    const int64_t before = PlatformGL_PointSprites();
    scene();
    const CBitmap32 points = grab();
    EXPECT_GT(PlatformGL_PointSprites() - before, 48) << where;
    EXPECT_TRUE(points.pixels == triangles.pixels) << where;
  };
  const auto back_buffer = [&] { return Grab(240, 160); };
  compare("back buffer", back_buffer, draw);
  const int32_t surface = Surface_Create(240, 160);
  ASSERT_TRUE(Surface_SetTarget(surface));
  compare(
      "surface",
      [&] {
        CBitmap32 image;
        Surface_Read(surface, 0, 0, 240, 160, image);
        return image;
      },
      draw);
  // A surface drawn into half transparent has texels of any alpha.
  const int32_t square = Surface_Create(32, 32);
  ASSERT_TRUE(Surface_SetTarget(square));
  D3D_Clear(0);
  DrawTextureExt(textures[0], 0, 0, 0, 0, 1, 1, 0, kGameWhite, 0.5);
  Surface_ResetTarget();
  compare("drawn surface", back_buffer, [&] {
    D3D_Clear(0xFFFFFF);
    for (int32_t k = 0; k < 64; ++k)
      DrawTextureExt(Surface_Get(square)->texture, (k * 29) % 200, (k * 31) % 120, 0, 0, 1, 1, 0, kGameWhite, 1);
  });
}
