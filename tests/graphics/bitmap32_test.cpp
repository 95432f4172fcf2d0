// The BMP decoder and encoder: every pixel format and both RLE kinds from
// hand-built files, and the refusal of corrupt ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/Graphics_Bitmap32.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A BMP file with a 40-byte header (or `info` bytes, zero-filled beyond 40),
// optional extra header bytes (masks), a palette of 0x00RRGGBB and the data.
Bytes Bmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const std::vector<uint32_t>& palette,
          const Bytes& data, const Bytes& masks = {}, uint32_t info = 40) {
  Bytes b{'B', 'M'};
  const uint32_t header = std::max<uint32_t>(info, 40 + static_cast<uint32_t>(masks.size()));
  const uint32_t offset = 14 + header + static_cast<uint32_t>(palette.size() * 4);
  Put32(b, offset + static_cast<uint32_t>(data.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, info);
  Put32(b, static_cast<uint32_t>(w));
  Put32(b, static_cast<uint32_t>(h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, compression);
  Put32(b, static_cast<uint32_t>(data.size()));
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, static_cast<uint32_t>(palette.size()));
  Put32(b, 0);
  b.insert(b.end(), masks.begin(), masks.end());  // inside a larger header or after a 40-byte one
  while (b.size() < 14 + header) b.push_back(0);
  for (uint32_t c : palette) Put32(b, c);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

CBitmap32 Decode(const Bytes& file) {
  CBitmap32 image;
  if (!Bitmap_DecodeBMP(file, image)) {
    ADD_FAILURE() << "refused";
    return CBitmap32(64, 64, 0xDEADBEEFu);  // keeps the checks that follow in bounds
  }
  return image;
}

const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

}  // namespace

TEST(BitmapBMP, TrueColourBottomUpWithPadding) {
  // 3 x 2, 24 bits: rows of 9 bytes padded to 12; the first row in the file is the bottom one.
  Bytes data = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,           // bottom: red green blue
                255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};    // top: white black grey
  const CBitmap32 image = Decode(Bmp(3, 2, 24, 0, {}, data));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.Pixel(0, 1), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(2, 1), 0xFF0000FFu);
  EXPECT_EQ(image.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(2, 0), 0xFF808080u);
}

TEST(BitmapBMP, PalettedOneFourAndEightBits) {
  // 8 bits, top-down (negative height).
  const CBitmap32 p8 = Decode(Bmp(2, -2, 8, 0, kPalette, {1, 2, 0, 0, 3, 0, 0, 0}));
  EXPECT_EQ(p8.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(p8.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(p8.Pixel(0, 1), 0xFF0000FFu);
  EXPECT_EQ(p8.Pixel(1, 1), 0xFF000000u);
  // 4 bits: high nibble first.
  const CBitmap32 p4 = Decode(Bmp(3, 1, 4, 0, kPalette, {0x12, 0x30, 0, 0}));
  EXPECT_EQ(p4.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(p4.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(p4.Pixel(2, 0), 0xFF0000FFu);
  // 1 bit: most significant bit first.
  const CBitmap32 p1 = Decode(Bmp(10, 1, 1, 0, {0x000000, 0xFFFFFF}, {0b10100000, 0b01000000, 0, 0}));
  EXPECT_EQ(p1.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(p1.Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(p1.Pixel(2, 0), 0xFFFFFFFFu);
  EXPECT_EQ(p1.Pixel(9, 0), 0xFFFFFFFFu);
}

TEST(BitmapBMP, SixteenBitsDefaultAndMasks) {
  // 5-5-5: 0x7C00 red, 0x03E0 green.
  const CBitmap32 a = Decode(Bmp(2, 1, 16, 0, {}, {0x00, 0x7C, 0xE0, 0x03}));
  EXPECT_EQ(a.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(a.Pixel(1, 0), 0xFF00FF00u);
  // 5-6-5 through bit fields after the 40-byte header.
  Bytes masks;
  for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(masks, m);
  const CBitmap32 b = Decode(Bmp(2, 1, 16, 3, {}, {0xE0, 0x07, 0x1F, 0x00}, masks, 40));
  EXPECT_EQ(b.Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF0000FFu);
}

TEST(BitmapBMP, ThirtyTwoBitsAlphaOnlyWithAMask) {
  const Bytes pixel = {0x10, 0x20, 0x30, 0x40};
  EXPECT_EQ(Decode(Bmp(1, 1, 32, 0, {}, pixel)).Pixel(0, 0), 0xFF302010u);  // plain: opaque
  Bytes masks;
  for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(masks, m);
  EXPECT_EQ(Decode(Bmp(1, 1, 32, 3, {}, pixel, masks, 108)).Pixel(0, 0), 0x40302010u);  // V4 header
}

TEST(BitmapBMP, RunLengthEncoded) {
  // 4 x 3 RLE8, bottom-up: row 0 (bottom) = run of 3 x index 1, then absolute
  // 1 pixel? Absolute needs >= 3: use an end of line instead; row 1 = absolute
  // 3 pixels (2, 3, 1) padded, end of line; row 2: delta (2, 0) then one index 2.
  const Bytes data = {3, 1, 0, 0,               // row 0: 1 1 1, end of line
                      0, 3, 2, 3, 1, 0, 0, 0,   // row 1: absolute 2 3 1 + pad, end of line
                      0, 2, 2, 0, 1, 2, 0, 1};  // delta +2, one pixel 2, end of bitmap
  const CBitmap32 image = Decode(Bmp(4, 3, 8, 1, kPalette, data));
  EXPECT_EQ(image.Pixel(0, 2), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(3, 2), 0xFF000000u);  // never written: colour 0
  EXPECT_EQ(image.Pixel(0, 1), 0xFF00FF00u);
  EXPECT_EQ(image.Pixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(image.Pixel(2, 1), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(2, 0), 0xFF00FF00u);
  EXPECT_EQ(image.Pixel(1, 0), 0xFF000000u);

  // RLE4: a run alternates its two nibbles; absolute nibbles in order.
  const Bytes data4 = {5, 0x12, 0, 1};
  const CBitmap32 four = Decode(Bmp(5, 1, 4, 2, kPalette, data4));
  EXPECT_EQ(four.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(four.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(four.Pixel(4, 0), 0xFFFF0000u);
  const CBitmap32 abs4 = Decode(Bmp(3, 1, 4, 2, kPalette, {0, 3, 0x32, 0x10, 0, 1}));
  EXPECT_EQ(abs4.Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(abs4.Pixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(abs4.Pixel(2, 0), 0xFFFF0000u);
  // Runs beyond the row or the image are cut, not written elsewhere.
  const CBitmap32 over = Decode(Bmp(2, 1, 8, 1, kPalette, {200, 1, 0, 0, 200, 2, 0, 1}));
  EXPECT_EQ(over.Pixel(1, 0), 0xFFFF0000u);
}

TEST(BitmapBMP, CoreHeader) {
  Bytes b{'B', 'M'};
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 14 + 12 + 6);
  Put32(b, 12);
  Put16(b, 1);
  Put16(b, 1);
  Put16(b, 1);
  Put16(b, 8);
  for (uint8_t c : {0, 0, 0, 0, 0, 255}) b.push_back(c);  // palette: black, red (3 bytes each)
  for (uint8_t c : {1, 0, 0, 0}) b.push_back(c);
  EXPECT_EQ(Decode(b).Pixel(0, 0), 0xFFFF0000u);
}

TEST(BitmapBMP, CorruptFilesAreRefused) {
  const Bytes good = Bmp(2, 2, 24, 0, {}, Bytes(16, 0));
  CBitmap32 image;
  ASSERT_TRUE(Bitmap_DecodeBMP(good, image));
  const CBitmap32 before = image;
  auto refused = [&](Bytes file) {
    CBitmap32 out = before;
    const bool ok = Bitmap_DecodeBMP(file, out);
    return !ok && out.pixels == before.pixels;
  };
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 20)));   // header cut
  EXPECT_TRUE(refused(Bytes(good.begin(), good.end() - 1)));      // pixel data cut
  EXPECT_TRUE(refused(Bmp(0, 2, 24, 0, {}, Bytes(16, 0))));       // no width
  EXPECT_TRUE(refused(Bmp(100000, 1, 24, 0, {}, Bytes(16, 0))));  // absurd width
  EXPECT_TRUE(refused(Bmp(2, INT32_MIN, 24, 0, {}, Bytes(16, 0))));
  EXPECT_TRUE(refused(Bmp(2, 2, 12, 0, {}, Bytes(16, 0))));       // no such depth
  EXPECT_TRUE(refused(Bmp(2, 2, 24, 9, {}, Bytes(16, 0))));       // no such compression
  EXPECT_TRUE(refused(Bmp(2, -2, 8, 1, kPalette, {0, 1})));       // RLE cannot be top-down
  EXPECT_TRUE(refused(Bmp(4, 1, 8, 1, kPalette, {0, 4, 1, 2})));  // absolute run past the end
  EXPECT_TRUE(refused(Bmp(4, 1, 8, 1, kPalette, {0, 2, 1})));     // delta past the end
  Bytes bad_offset = good;
  bad_offset[10] = 0xFF;
  bad_offset[11] = 0xFF;
  EXPECT_TRUE(refused(bad_offset));
  Bytes bad_magic = good;
  bad_magic[0] = 'X';
  EXPECT_TRUE(refused(bad_magic));
}

TEST(BitmapBMP, EncodeDecodeRoundTrip) {
  CBitmap32 image(5, 3);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = 0x01020304u * static_cast<uint32_t>(i + 1);
  const std::vector<uint8_t> file = Bitmap_EncodeBMP(image);
  EXPECT_EQ(file.size(), 54u + 5 * 3 * 4);
  CBitmap32 back;
  ASSERT_TRUE(Bitmap_DecodeBMP(file, back));
  // A plain 32-bit file carries no alpha mask: colours survive, alpha is opaque.
  for (size_t i = 0; i < image.pixels.size(); ++i) EXPECT_EQ(back.pixels[i], image.pixels[i] | 0xFF000000u);
}
