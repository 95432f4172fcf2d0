// Platform_Font: the desktop's fonts, found by family name and rasterised into
// coverage images. Engine text has one byte per character in the Windows
// Western code page; the glyph of a byte is the glyph of its character there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One character's picture: coverage 0..255 per pixel, row by row, placed
// relative to the pen on the baseline.
struct RSystemGlyph {
  int32_t width = 0, height = 0;
  int32_t left = 0;     // pixels from the pen to the image's left edge
  int32_t top = 0;      // pixels from the baseline up to the image's top edge
  int32_t advance = 0;  // how far the pen moves after the character
  std::unique_ptr<uint8_t[]> coverage;
};

class CSystemFont {
 public:
  ~CSystemFont();
  CSystemFont(const CSystemFont&) = delete;
  CSystemFont& operator=(const CSystemFont&) = delete;

  // The font file that stands for the family (path, for messages and tests).
  const std::string& File() const { return file_; }
  int32_t PixelHeight() const { return pixel_height_; }
  // Pixels above and below the baseline, and the distance between baselines.
  int32_t Ascent() const { return ascent_; }
  int32_t Descent() const { return descent_; }
  int32_t LineHeight() const { return ascent_ + descent_; }

  // The picture of a character; an empty glyph for characters the font lacks.
  const RSystemGlyph& Glyph(uint8_t character);
  // Width of a line of text in pixels (the sum of the advances).
  int32_t TextWidth(std::string_view text);

 private:
  friend CSystemFont* SystemFont_Get(const std::string&, int32_t, bool, bool);
  CSystemFont() = default;

  struct RFace;
  std::unique_ptr<RFace> face_;
  std::string file_;
  int32_t pixel_height_ = 0, ascent_ = 0, descent_ = 0;
  std::unique_ptr<RSystemGlyph> glyphs_[256];
};

// A size in points as pixels on the 96 dots-per-inch screen fonts are
// measured for.
constexpr int32_t SystemFont_PointsToPixels(int32_t points) {
  const int64_t pixels = (int64_t{points} * 96 + 36) / 72;
  return static_cast<int32_t>(pixels > INT32_MAX ? INT32_MAX : pixels < INT32_MIN ? INT32_MIN : pixels);
}

// The font of a family at a character height in pixels (the em size), bold
// and italic as asked when the family has those faces. The classic families
// of the original desktop map to their metric-compatible stand-ins (Arial and
// MS Sans Serif to Liberation Sans, Courier New to Liberation Mono, Times New
// Roman to Liberation Serif); other names go to the desktop's font matching.
// Heights are limited to 1 ... 512 pixels. Fonts are shared and live until
// the program ends; nullptr when the desktop has no usable font at all.
CSystemFont* SystemFont_Get(const std::string& family, int32_t pixel_height, bool bold = false,
                            bool italic = false);
