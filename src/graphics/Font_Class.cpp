#include "graphics/Font_Class.h"

#include <algorithm>
#include <cstring>

#include "graphics/Graphics_Texture.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Font.h"

CFont::CFont(const RFontRecord& record)
    : font_name(record.fontName),
      size(record.size),
      bold(record.bold),
      italic(record.italic),
      first(record.first),
      last(record.last),
      glyphs(record.glyphs),
      image_width(record.textureWidth),
      image_height(record.textureHeight),
      image(record.texture.begin(), record.texture.end()) {}

CFont::CFont(const std::string& name, int32_t points, bool bold_face, bool italic_face, int32_t from, int32_t to)
    : font_name(name), size(points), bold(bold_face), italic(italic_face) {
  first = std::max(0, from);
  last = std::min(255, to);
  CSystemFont* font = SystemFont_Get(name, SystemFont_PointsToPixels(points), bold, italic);
  if (!font || first > last) return;
  const int32_t h = font->LineHeight();

  // Rows of glyphs, each glyph one pixel wider than its ink with one pixel
  // between glyphs and rows, in the narrowest power-of-two width not
  // smaller than the height it needs.
  int32_t W = 64, H = 0;
  do {
    W *= 2;
    int32_t pen = 0, row = 0;
    for (int32_t c = first; c <= last; c++) {
      const RSystemGlyph& g = font->Glyph(static_cast<uint8_t>(c));
      RGlyph& glyph = glyphs[size_t(c)];
      glyph.width = g.width + 1;
      glyph.height = h;
      glyph.advance = g.advance;
      glyph.offset = g.left;
      if (pen > 0 && pen + glyph.width >= W) {
        row += h + 1;
        pen = 0;
      }
      glyph.x = pen;
      glyph.y = row;
      pen += glyph.width + 1;
    }
    H = row + h + 1;
  } while (W < H);

  image_width = W;
  image_height = H;
  image.assign(size_t(W) * size_t(H), 0);
  for (int32_t c = first; c <= last; c++) {
    const RSystemGlyph& g = font->Glyph(static_cast<uint8_t>(c));
    const RGlyph& glyph = glyphs[size_t(c)];
    for (int32_t y = 0; y < g.height; y++) {
      int32_t iy = glyph.y + font->Ascent() - g.top + y;
      if (iy < glyph.y || iy >= std::min(H, glyph.y + h)) continue;
      std::memcpy(&image[size_t(iy) * size_t(W) + size_t(glyph.x)], &g.coverage[size_t(y) * size_t(g.width)],
                  size_t(std::min(g.width, W - glyph.x)));
    }
  }
}

CFont::CFont(int32_t sprite_index, int32_t from, bool proportional, int32_t separation) : font_name(), sprite(sprite_index) {
  const CSprite* s = Sprite_Get(sprite_index);
  if (!s) return;
  first = std::clamp(from, 0, 255);
  last = std::min(255, first + s->ImageCount() - 1);
  for (int32_t c = first; c <= last; c++) {
    int32_t left = 0, top = 0, right = s->width, bottom = s->height;
    if (proportional) s->ImageOpaqueBox(c - first, left, top, right, bottom);
    RGlyph& glyph = glyphs[size_t(c)];
    glyph.height = s->height;
    glyph.advance = right + separation - left;
    glyph.offset = -left;
  }
}

CFont::~CFont() { FreeTexture(); }

int32_t CFont::Texture() {
  // A new drawing device starts with an empty texture table.
  if (texture_ >= 0 && !Texture_Exists(texture_)) texture_ = -1;
  if (texture_ < 0 && !image.empty() && !font_name.empty())
    texture_ = TextureFromAlpha(image_width, image_height, image.data());
  return texture_;
}

void CFont::FreeTexture() {
  if (texture_ >= 0) ::FreeTexture(texture_);
  texture_ = -1;
}

int32_t CFont::Advance(uint8_t c) const {
  if (Covers(c)) return glyphs[c].advance;
  if (Covers(' ')) return glyphs[' '].advance;
  return first >= 0 && first <= 255 ? glyphs[size_t(first)].advance : 0;
}

int32_t CFont::Width(std::string_view text) const {
  int32_t width = 0;
  for (char c : text) width += Advance(static_cast<uint8_t>(c));
  return width;
}

int32_t CFont::LineHeight() const { return first >= 0 && first <= 255 ? glyphs[size_t(first)].height : 0; }
