#include "graphics/Graphics_Text.h"

#include <algorithm>
#include <cmath>

#include "graphics/Font_Class.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"

namespace {

// Draws one line with the pen starting at (x, y) and moving along (dx, dy)
// per pixel of advance.
void DrawLine(CFont& font, const std::string& line, double x, double y, const RTextLook& look) {
  const double radians = look.angle * M_PI / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  const int32_t texture = font.Texture();
  const CSprite* sprite = Sprite_Get(font.sprite);
  const double total = font.Width(line);
  double along = 0;  // pen distance from the line's start, unscaled
  for (char ch : line) {
    const uint8_t code = static_cast<uint8_t>(ch);
    const int32_t advance = font.Advance(code);
    if (!font.Covers(code) || (!sprite && texture < 0)) {
      along += advance;
      continue;
    }
    const RGlyph& g = font.glyphs[code];
    const double px = x + look.xs * (along + g.offset) * c, py = y - look.xs * (along + g.offset) * s;
    // The corners' colours: the drawing colour, or graded along the line.
    int32_t k[4] = {Draw_Colour(), Draw_Colour(), Draw_Colour(), Draw_Colour()};
    double alpha = Draw_Alpha();
    if (look.graded) {
      const int32_t* g4 = look.colours;
      double from = total > 0 ? along / total : 0, to = total > 0 ? (along + advance) / total : 0;
      k[0] = Colour_Merge(g4[0], g4[1], from);
      k[1] = Colour_Merge(g4[0], g4[1], to);
      k[2] = Colour_Merge(g4[3], g4[2], to);
      k[3] = Colour_Merge(g4[3], g4[2], from);
      alpha = look.alpha;
    }
    // A sprite font draws the character's image: in one colour with its
    // origin, graded as the whole image from its corner.
    if (sprite && !look.graded)
      sprite->DrawExt(code - font.first, px, py, look.xs, look.ys, look.angle, k[0], alpha);
    else if (sprite)
      sprite->DrawGeneral(code - font.first, 0, 0, sprite->width, sprite->height, px, py, look.xs, look.ys,
                          look.angle, k[0], k[1], k[2], k[3], alpha);
    else
      DrawTextureGeneral(texture, g.x, g.y, g.width, g.height, px, py, look.xs, look.ys, radians, k[0], k[1], k[2],
                         k[3], alpha);
    along += advance;
  }
}

}  // namespace

std::vector<std::string> Text_SplitLines(std::string_view text, const CFont& font, int32_t width) {
  // "#" breaks the line; "\#" stands for a plain "#".
  std::string plain;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '#') {
      if (!plain.empty() && plain.back() == '\\' && i > 0 && text[i - 1] == '\\')
        plain.back() = '#';
      else
        plain += '\r';
    } else {
      plain += text[i];
    }
  }
  std::vector<std::string> lines;
  if (plain.empty()) return lines;
  size_t start = 0;
  while (true) {
    size_t end = plain.find_first_of("\r\n", start);
    std::string_view piece = std::string_view(plain).substr(start, end == std::string::npos ? end : end - start);
    if (width < 0) {
      lines.emplace_back(piece);
    } else {
      // Words run up to and including the next blank or hyphen; a line takes
      // words while it is narrower than the width and the next word fits.
      size_t at = 0;
      while (at < piece.size()) {
        std::string line;
        int32_t line_width = 0;
        while (at < piece.size()) {
          size_t word_end = piece.find_first_of(" -", at);
          word_end = word_end == std::string_view::npos ? piece.size() : word_end + 1;
          std::string_view word = piece.substr(at, word_end - at);
          int32_t word_width = font.Width(word);
          if (!line.empty() && (line_width >= width || line_width + word_width > width)) break;
          line += word;
          line_width += word_width;
          at = word_end;
        }
        lines.push_back(std::move(line));
      }
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

int32_t Text_Width(std::string_view text, int32_t width) {
  CFont& font = Font_Current();
  int32_t widest = 1;
  for (const std::string& line : Text_SplitLines(text, font, width)) widest = std::max(widest, font.Width(line));
  return widest;
}

int32_t Text_Height(std::string_view text, int32_t separation, int32_t width) {
  CFont& font = Font_Current();
  int32_t n = static_cast<int32_t>(Text_SplitLines(text, font, width).size());
  if (n == 0) return 1;
  int32_t s = separation < 0 ? font.LineHeight() : separation;
  return font.LineHeight() + s * (n - 1);
}

void Text_Draw(double x, double y, std::string_view text, int32_t separation, int32_t width, const RTextLook& look) {
  CFont& font = Font_Current();
  std::vector<std::string> lines = Text_SplitLines(text, font, width);
  const int32_t n = static_cast<int32_t>(lines.size());
  const int32_t s = separation < 0 ? font.LineHeight() : separation;
  const int32_t halign = Font_HAlign(), valign = Font_VAlign();
  if (!look.transformed) {
    // Plain text: whole-pixel offsets, truncated.
    if (valign == 1) y -= (n * s) / 2;
    if (valign == 2) y -= n * s;
    for (const std::string& line : lines) {
      int32_t w = font.Width(line);
      int32_t offset = halign == 1 ? -(w / 2) : halign == 2 ? -w : 0;
      DrawLine(font, line, x + offset, y, look);
      y += s;
    }
    return;
  }
  const double radians = look.angle * M_PI / 180.0;
  const double c = std::cos(radians), sn = std::sin(radians);
  const double block = n * look.ys * s;
  if (valign == 1) {
    x -= Graphics_Round(block * sn / 2);
    y -= Graphics_Round(block * c / 2);
  } else if (valign == 2) {
    x -= Graphics_Round(block * sn);
    y -= Graphics_Round(block * c);
  }
  for (const std::string& line : lines) {
    double w = font.Width(line);
    double o = halign == 1 ? -Graphics_Round(look.xs * w / 2) : halign == 2 ? -Graphics_Round(look.xs * w) : 0;
    DrawLine(font, line, x + o * c, y - o * sn, look);
    x += sn * look.ys * s;
    y += c * look.ys * s;
  }
}
