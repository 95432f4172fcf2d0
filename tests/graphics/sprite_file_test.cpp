// Sprites and backgrounds loaded from picture files: strips of frames,
// alpha kept or made from the lower-left colour, animated GIF frames and
// the table entries that loading adds or replaces.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(VELMORA_BUILD_DIR) / ("sprite_file_" + name)).string();
}

// GIF LZW of palette indices (minimum code size 2), codes packed from the
// low bit; the code width grows when the reader's table reaches it.
std::vector<uint8_t> Lzw(const std::vector<int>& pixels) {
  std::vector<uint8_t> out;
  size_t bit = 0;
  int width = 3, next = 6;
  auto emit = [&](int code) {
    for (int k = 0; k < width; ++k, ++bit) {
      if (bit / 8 >= out.size()) out.push_back(0);
      if (code >> k & 1) out[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
    }
  };
  std::map<std::pair<int, int>, int> table;
  emit(4);
  int prefix = pixels[0];
  bool first = true;
  for (size_t i = 1; i <= pixels.size(); ++i) {
    if (i < pixels.size()) {
      auto it = table.find({prefix, pixels[i]});
      if (it != table.end()) {
        prefix = it->second;
        continue;
      }
      table[{prefix, pixels[i]}] = static_cast<int>(table.size()) + 6;
    }
    emit(prefix);
    // The reader adds an entry for every code but the first.
    if (!first && ++next == 1 << width) ++width;
    first = false;
    if (i < pixels.size()) prefix = pixels[i];
  }
  emit(5);
  return out;
}

// A GIF of w x h pixels with the palette black, red, blue, white; each frame
// covers the screen with its palette indices, 3 being transparent.
std::string WriteGif(const std::string& name, int w, int h,
                     const std::vector<std::pair<int, std::vector<int>>>& frames) {
  std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', uint8_t(w), 0, uint8_t(h), 0, 0x81, 0, 0,
                            0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255};
  for (const auto& [disposal, pixels] : frames) {
    b.insert(b.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(disposal << 2 | 1), 0, 0, 3, 0});
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, uint8_t(w), 0, uint8_t(h), 0, 0, 2});
    const std::vector<uint8_t> data = Lzw(pixels);
    for (size_t at = 0; at < data.size(); at += 255) {
      const size_t n = std::min<size_t>(255, data.size() - at);
      b.push_back(static_cast<uint8_t>(n));
      b.insert(b.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    b.push_back(0);
  }
  b.push_back(0x3B);
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return path;
}

}  // namespace

TEST(SpriteFile, StripOfFramesWithTransparency) {
  // 100 x 2: red, with a white column at x 33 and white lower-left pixel (the key).
  CBitmap32 strip(100, 2, kRed);
  strip.pixels[100] = kWhite;
  strip.pixels[33] = strip.pixels[133] = kWhite;
  const std::string path = TempPath("strip.bmp");
  ASSERT_TRUE(Bitmap_SaveBMPFile(path, strip));
  RSpriteLoad how;
  how.frames = 3;
  how.xorigin = 4;
  CSprite s;
  ASSERT_TRUE(s.LoadFromFile(path, how));
  ASSERT_EQ(s.ImageCount(), 3);
  EXPECT_EQ(s.width, 33);  // the last column is not used
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(s.xorigin, 4);
  EXPECT_EQ(s.bbox_mode, 0);
  EXPECT_EQ(s.images[0].Pixel(0, 1), 0x00FF0000u);  // the key, coloured by its right neighbour
  EXPECT_EQ(s.images[1].Pixel(0, 0), 0x00FF0000u);  // column 33
  EXPECT_EQ(s.images[2].Pixel(5, 0), 0x00FF0000u);  // each frame has its own key: red here
  ASSERT_EQ(s.masks.size(), 3u);
  EXPECT_FALSE(s.masks[1].Solid(0, 1));
  EXPECT_EQ(s.bbox_left, 0);  // frames 0 and 2 are opaque at x 0, row 0
  EXPECT_EQ(s.bbox_right, 32);

  // Loading fails without harm: missing file, undecodable bytes, more frames than columns.
  EXPECT_FALSE(s.LoadFromFile(TempPath("missing.png"), how));
  std::ofstream(TempPath("junk.png")) << "not a picture";
  EXPECT_FALSE(s.LoadFromFile(TempPath("junk.png"), how));
  how.frames = 101;
  EXPECT_FALSE(s.LoadFromFile(path, how));
  EXPECT_EQ(s.ImageCount(), 3);
}

TEST(SpriteFile, AlphaKeptFromPng) {
  CBitmap32 picture(2, 1, 0x80FF0000u);
  picture.pixels[1] = 0x00000000u;
  const std::string path = TempPath("alpha.png");
  ASSERT_TRUE(Bitmap_SavePNG(path, picture));
  RSpriteLoad how;
  how.alpha = true;
  CSprite s;
  ASSERT_TRUE(s.LoadFromFile(path, how));
  EXPECT_EQ(s.images[0].Pixel(0, 0), 0x80FF0000u);
  EXPECT_EQ(s.images[0].Pixel(1, 0) >> 24, 0u);
  EXPECT_EQ(s.bbox_right, 0);

  CBackground b;
  ASSERT_TRUE(b.LoadFromFile(path, false, false, false, true));  // laid over black, opaque
  EXPECT_EQ(b.width, 2);
  EXPECT_EQ(b.image.Pixel(0, 0), 0xFF800000u);
  EXPECT_EQ(b.image.Pixel(1, 0), 0xFF000000u);
  EXPECT_FALSE(b.LoadFromFile(TempPath("missing.bmp"), false, false, false, true));
  EXPECT_EQ(b.width, 2);
}

TEST(SpriteFile, GifFramesAndDisposal) {
  RSpriteLoad how;
  how.transparent = false;
  // Disposal 1 (keep): the red first frame shows through the second's hole.
  CSprite keep;
  ASSERT_TRUE(keep.LoadFromFile(WriteGif("keep.GIF", 2, 2, {{1, {1, 1, 1, 1}}, {0, {3, 2, 2, 2}}}), how));
  ASSERT_EQ(keep.ImageCount(), 2);
  EXPECT_EQ(keep.images[0].Pixel(1, 1), kRed);
  EXPECT_EQ(keep.images[1].Pixel(0, 0), kRed);
  EXPECT_EQ(keep.images[1].Pixel(1, 0), kBlue);
  // Any other disposal: the canvas colour (0x008040) shows instead.
  for (int disposal : {0, 2, 3}) {
    CSprite clear;
    ASSERT_TRUE(clear.LoadFromFile(WriteGif("clear.gif", 2, 2, {{disposal, {1, 1, 1, 1}}, {0, {3, 2, 2, 2}}}), how));
    EXPECT_EQ(clear.images[1].Pixel(0, 0), 0xFF408000u) << disposal;
  }

  // A larger frame uses the whole code table; an independent decoder of
  // single pictures reads the same first frame.
  std::vector<int> pattern(40 * 30);
  for (int i = 0; i < 40 * 30; ++i) pattern[size_t(i)] = (i % 40) * (i / 40) / 7 % 3;
  const std::string big = WriteGif("big.gif", 40, 30, {{0, pattern}, {0, std::vector<int>(40 * 30, 2)}});
  std::vector<CBitmap32> frames;
  ASSERT_TRUE(Bitmap_LoadGifFrames(big, frames));
  ASSERT_EQ(frames.size(), 2u);
  CBitmap32 reference;
  ASSERT_TRUE(Bitmap_LoadPicture(big, reference));
  EXPECT_EQ(frames[0].pixels, reference.pixels);
  EXPECT_EQ(frames[1].Pixel(39, 29), kBlue);

  // Corrupt files fail whole: a cut stream, a bad code size, not a GIF.
  std::ifstream in(big, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::ofstream(TempPath("cut.gif"), std::ios::binary).write(bytes.data(), 40);
  EXPECT_FALSE(Bitmap_LoadGifFrames(TempPath("cut.gif"), frames));
  bytes[25 + 8 + 10] = 12;  // the first frame's minimum code size
  std::ofstream(TempPath("size.gif"), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  EXPECT_FALSE(Bitmap_LoadGifFrames(TempPath("size.gif"), frames));
  EXPECT_FALSE(Bitmap_LoadGifFrames(TempPath("strip.bmp"), frames));
  EXPECT_EQ(frames.size(), 2u);  // untouched by the failures
}

TEST(SpriteFile, TableEntriesFromFiles) {
  Sprite_ClearTable();
  Background_ClearTable();
  CBitmap32 picture(4, 4, kBlue);
  const std::string path = TempPath("table.bmp");
  ASSERT_TRUE(Bitmap_SaveBMPFile(path, picture));
  RSpriteLoad how;
  EXPECT_EQ(Sprite_AddFromFile(TempPath("missing.bmp"), how), -1);
  EXPECT_EQ(Sprite_Count(), 0);  // a failed load leaves no entry
  EXPECT_EQ(Sprite_AddFromFile(path, how), 0);
  EXPECT_EQ(Sprite_Name(0), "__newsprite0");
  EXPECT_EQ(Sprite_AddEmpty(), 1);
  ASSERT_TRUE(Sprite_Delete(1));
  EXPECT_TRUE(Sprite_Replace(1, path, how));  // an empty slot gets a new sprite
  EXPECT_EQ(Sprite_Get(1)->ImageCount(), 1);
  EXPECT_FALSE(Sprite_Replace(2, path, how));
  EXPECT_FALSE(Sprite_Replace(0, TempPath("missing.bmp"), how));
  EXPECT_EQ(Sprite_Get(0)->ImageCount(), 1);

  EXPECT_EQ(Background_AddFromFile(TempPath("missing.bmp"), false, false, false, true), -1);
  EXPECT_EQ(Background_AddFromFile(path, false, true, false, true), 0);
  EXPECT_EQ(Background_Name(0), "__newbackground0");
  EXPECT_EQ(Background_Get(0)->width, 4);
  EXPECT_TRUE(Background_Get(0)->transparent);
  EXPECT_TRUE(Background_Replace(0, path, false, false, false, false));
  EXPECT_FALSE(Background_Get(0)->transparent);
  const int32_t copy = Background_Duplicate(0);
  EXPECT_EQ(copy, 1);
  EXPECT_EQ(Background_Get(copy)->image.pixels, Background_Get(0)->image.pixels);
  Background_Get(1)->SetGradient(3, 2, 1, 0, 0xFFFFFF, false);
  EXPECT_EQ(Background_Get(1)->width, 3);
  EXPECT_EQ(Background_Get(1)->image.Pixel(0, 1), 0xFF808080u);
  Background_Get(1)->SetSolid(2, 2, 0xFF0000, false);  // game blue
  EXPECT_EQ(Background_Get(1)->image.Pixel(1, 1), kBlue);
  Sprite_ClearTable();
  Background_ClearTable();
}
