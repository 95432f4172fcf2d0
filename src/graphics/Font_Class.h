// Font_Class: a font as a glyph image (one alpha byte per pixel holding every
// character of the font's range) with a table of where each glyph lies and
// how the pen moves over it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataNew_Class.h"

class CFont {
 public:
  CFont() = default;
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // A font read from the game file.
  explicit CFont(const RFontRecord& record);
  // Builds the glyph image of a system font of a size in points for the
  // characters first to last (limited to 0 ... 255).
  CFont(const std::string& name, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
  // A sprite font: images 0, 1, ... of the sprite are the characters from
  // `first` on, boxed by their opaque pixels when proportional, each followed
  // by `separation` pixels. The sprite must exist.
  CFont(int32_t sprite_index, int32_t first, bool proportional, int32_t separation);

  std::string font_name;
  int32_t size = 12;
  bool bold = false, italic = false;
  int32_t first = 32, last = 128;
  int32_t sprite = -1;  // the sprite of a sprite font, else -1
  std::array<RGlyph, 256> glyphs{};
  int32_t image_width = 0, image_height = 0;
  std::vector<uint8_t> image;  // alpha, rows top to bottom

  // The texture of the glyph image, made when first needed; -1 without one.
  int32_t Texture();
  // Frees the texture (the drawing device goes away).
  void FreeTexture();

  // How far the pen moves over a character: its own advance within the
  // range, else the space's when the font has it, else the first character's.
  int32_t Advance(uint8_t c) const;
  // The sum of the advances.
  int32_t Width(std::string_view text) const;
  // The glyph height of the first character.
  int32_t LineHeight() const;
  bool Covers(uint8_t c) const { return c >= first && c <= last; }

 private:
  int32_t texture_ = -1;
};
