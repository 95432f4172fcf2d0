// Image operations on CBitmap32: sub-images, solid colours and gradients,
// resizing, and the processing of new pictures (transparency, colour
// bleeding, edge smoothing).
#include <gtest/gtest.h>

#include "graphics/Graphics_Bitmap32.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF00u, kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;

// An image of the given rows of pixels.
CBitmap32 Image(int32_t w, int32_t h, std::vector<uint32_t> pixels) {
  CBitmap32 image(w, h);
  image.pixels = std::move(pixels);
  return image;
}

uint32_t Alpha(uint32_t p) { return p >> 24; }

}  // namespace

TEST(ImageOps, SubImageSolidAndResize) {
  const CBitmap32 src = Image(3, 2, {1, 2, 3, 4, 5, 6});
  const CBitmap32 sub = Bitmap_SubImage(src, 1, 0, 2, 2);
  ASSERT_TRUE(sub.exists);
  EXPECT_EQ(sub.pixels, (std::vector<uint32_t>{2, 3, 5, 6}));
  EXPECT_FALSE(Bitmap_SubImage(src, 2, 0, 2, 1).exists);   // past the right edge
  EXPECT_FALSE(Bitmap_SubImage(src, -1, 0, 1, 1).exists);
  EXPECT_FALSE(Bitmap_SubImage(CBitmap32(), 0, 0, 0, 0).exists);

  const CBitmap32 solid = Bitmap_Solid(0, 2, 0x0000FF);  // game red; width raised to 1
  EXPECT_EQ(solid.width, 1);
  EXPECT_EQ(solid.Pixel(0, 1), kRed);

  // Nearest pixel: target x takes source floor(x * sw / w).
  const CBitmap32 up = Bitmap_Resize(src, 6, 4);
  EXPECT_EQ(up.Pixel(5, 3), 6u);
  EXPECT_EQ(up.Pixel(1, 1), 1u);
  EXPECT_EQ(up.Pixel(2, 2), 5u);
  const CBitmap32 down = Bitmap_Resize(Image(4, 1, {1, 2, 3, 4}), 3, 1);
  EXPECT_EQ(down.pixels, (std::vector<uint32_t>{1, 2, 3}));  // 0, 4/3, 8/3
  EXPECT_FALSE(Bitmap_Resize(CBitmap32(), 2, 2).exists);
}

TEST(ImageOps, Gradients) {
  // Black to game red (0x0000FF): the red channel is round(255 f).
  auto red = [](const CBitmap32& g, int32_t x, int32_t y) { return (g.Pixel(x, y) >> 16) & 0xFF; };
  const CBitmap32 h = Bitmap_Gradient(4, 2, 0, 0, 0x0000FF);
  EXPECT_EQ(h.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(red(h, 1, 1), 64u);   // 63.75
  EXPECT_EQ(red(h, 2, 0), 128u);  // 127.5
  EXPECT_EQ(red(h, 3, 0), 191u);
  const CBitmap32 v = Bitmap_Gradient(1, 2, 1, 0, 0x0000FF);
  EXPECT_EQ(red(v, 0, 1), 128u);
  const CBitmap32 box = Bitmap_Gradient(5, 5, 2, 0, 0x0000FF);  // n = 2
  EXPECT_EQ(red(box, 0, 3), 0u);
  EXPECT_EQ(red(box, 1, 3), 128u);
  EXPECT_EQ(red(box, 2, 2), 255u);
  const CBitmap32 ellipse = Bitmap_Gradient(5, 5, 3, 0, 0x0000FF);
  EXPECT_EQ(red(ellipse, 0, 0), 0u);    // outside every ellipse
  EXPECT_EQ(red(ellipse, 2, 2), 255u);  // inside the innermost
  EXPECT_EQ(red(ellipse, 2, 0), 0u);    // on the outermost only
  const CBitmap32 dh = Bitmap_Gradient(4, 1, 4, 0, 0x0000FF);  // n = 2: columns i and 4 - i
  EXPECT_EQ(red(dh, 0, 0), 0u);
  EXPECT_EQ(red(dh, 1, 0), 128u);
  EXPECT_EQ(red(dh, 2, 0), 255u);
  EXPECT_EQ(red(dh, 3, 0), 128u);
  const CBitmap32 dv = Bitmap_Gradient(1, 5, 5, 0, 0x0000FF);
  EXPECT_EQ(red(dv, 0, 4), 128u);  // n = 2: row 4 is row 5 - 1, f = 1 / 2
  EXPECT_EQ(red(dv, 0, 2), 255u);
  const CBitmap32 tiny = Bitmap_Gradient(1, 1, 2, 0x0000FF, 0);  // n = 0: colour 1
  EXPECT_EQ(tiny.Pixel(0, 0), kRed);
  for (const CBitmap32* g : {&h, &v, &box, &ellipse, &dh})
    for (uint32_t p : g->pixels) EXPECT_EQ(Alpha(p), 255u);
}

TEST(ImageOps, TransparencyBleedingAndSmoothing) {
  // The lower-left colour is the key; its pixels become transparent and take
  // the colour of an opaque neighbour (left, right, above, below).
  CBitmap32 ring = Image(3, 3, {kKey, kKey, kKey, kKey, kRed, kKey, kKey, kKey, kKey});
  Bitmap_Process(ring, false, false, true);
  EXPECT_EQ(ring.Pixel(1, 1), kRed);
  EXPECT_EQ(ring.Pixel(1, 0), 0x00FF0000u);  // from below
  EXPECT_EQ(ring.Pixel(0, 1), 0x00FF0000u);  // from the right
  EXPECT_EQ(ring.Pixel(0, 0), kKey & 0xFFFFFFu);  // no opaque neighbour: keeps its colour

  // Smoothing: 32 of alpha per transparent neighbour while at least 32 is left.
  CBitmap32 eight = Image(3, 3, {kKey, kKey, kKey, kKey, kRed, kKey, kKey, kKey, kKey});
  Bitmap_Process(eight, false, true, true);
  EXPECT_EQ(Alpha(eight.Pixel(1, 1)), 31u);
  CBitmap32 three = Image(2, 2, {kKey, kKey, kKey, kBlue});
  Bitmap_Process(three, false, true, true);
  EXPECT_EQ(Alpha(three.Pixel(1, 1)), 159u);

  // Without transparency only the alpha is made opaque; kept alpha stays.
  CBitmap32 plain = Image(2, 1, {0x12345678u, kKey});
  Bitmap_Process(plain, false, true, false);
  EXPECT_EQ(plain.pixels, (std::vector<uint32_t>{0xFF345678u, kKey}));
  CBitmap32 kept = Image(2, 1, {0x12345678u, kKey});
  Bitmap_Process(kept, true, false, false);
  EXPECT_EQ(kept.Pixel(0, 0), 0x12345678u);
}

TEST(ImageOps, PicturesAlphaAndOpaqueBox) {
  // Laid over the 0x008040 canvas: the clear lower-left pixel shows the
  // canvas, becomes the key and takes its neighbour's colour.
  const CBitmap32 picture = Image(2, 1, {0x00FFFFFFu, kBlue});
  const CBitmap32 over = Bitmap_FromPicture(picture, false, false, true);
  EXPECT_EQ(over.pixels, (std::vector<uint32_t>{0x000000FFu, kBlue}));
  EXPECT_EQ(Bitmap_FromPicture(picture, true, false, true).pixels, picture.pixels);
  EXPECT_EQ(Bitmap_FromPicture(picture, false, false, false).Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(Bitmap_FromPicture(CBitmap32(), false, false, false).width, 1);

  CBitmap32 target(3, 1, 0xFFFFFFFFu);
  Bitmap_AlphaFrom(target, Image(2, 1, {0xFF306090u, 0x00FFFFFFu}));  // means 0x60 and 0xFF
  EXPECT_EQ(target.pixels, (std::vector<uint32_t>{0x60FFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}));

  int32_t l, t, r, b;
  Bitmap_OpaqueBox(Image(3, 2, {0, 0, 0, 0, 0xFF000000u, 0}), l, t, r, b);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(t, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(b, 1);
  Bitmap_OpaqueBox(CBitmap32(), l, t, r, b);
  EXPECT_EQ(l + t + r + b, 0);
}
