#include "platform/Platform_Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

namespace {

// The code points of bytes 0x80..0x9F in the Windows Western code page (0 for
// the five unassigned bytes); every other byte is its own code point.
constexpr uint16_t kWestern80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePoint(uint8_t character) {
  return character >= 0x80 && character < 0xA0 ? kWestern80[character - 0x80] : character;
}

// The families games name most, and the installed faces drawn with the same
// metrics, so that text laid out for them keeps its width.
struct RStandIn {
  const char* family;
  const char* stand_in;
};
constexpr RStandIn kStandIns[] = {
    {"arial", "Liberation Sans"},
    {"ms sans serif", "Liberation Sans"},
    {"microsoft sans serif", "Liberation Sans"},
    {"courier new", "Liberation Mono"},
    {"times new roman", "Liberation Serif"},
};

std::string StandIn(const std::string& family) {
  std::string lower;
  for (char c : family) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const RStandIn& s : kStandIns)
    if (lower == s.family) return s.stand_in;
  return family;
}

// The file of the best installed face for a family, or "" when fontconfig
// finds none (no fonts installed at all).
std::string MatchFile(const std::string& family, bool bold, bool italic) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

// FreeType's library and the shared fonts; at exit the fonts close before the
// library, and fontconfig's configuration is released with it.
struct RFontStore {
  FT_Library library = nullptr;
  std::map<std::tuple<std::string, int32_t, bool, bool>, std::unique_ptr<CSystemFont>> fonts;
  ~RFontStore() {
    fonts.clear();
    if (library) {
      FT_Done_FreeType(library);
      FcFini();
    }
  }
};

RFontStore& Store() {
  static RFontStore store;
  return store;
}

constexpr int32_t kMaxPixelHeight = 512;

int32_t Pixels26_6(FT_Pos value) { return static_cast<int32_t>((value + 32) >> 6); }

}  // namespace

struct CSystemFont::RFace {
  FT_Face face = nullptr;
  ~RFace() {
    if (face) FT_Done_Face(face);
  }
};

CSystemFont::~CSystemFont() = default;

const RSystemGlyph& CSystemFont::Glyph(uint8_t character) {
  std::unique_ptr<RSystemGlyph>& slot = glyphs_[character];
  if (slot) return *slot;
  slot = std::make_unique<RSystemGlyph>();
  uint32_t code = CodePoint(character);
  FT_Face face = face_->face;
  FT_UInt index = code ? FT_Get_Char_Index(face, code) : 0;
  if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return *slot;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  RSystemGlyph& glyph = *slot;
  glyph.advance = Pixels26_6(face->glyph->advance.x);
  glyph.left = face->glyph->bitmap_left;
  glyph.top = face->glyph->bitmap_top;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) return glyph;
  glyph.width = static_cast<int32_t>(bitmap.width);
  glyph.height = static_cast<int32_t>(bitmap.rows);
  glyph.coverage = std::make_unique<uint8_t[]>(size_t(glyph.width) * size_t(glyph.height));
  for (int32_t y = 0; y < glyph.height; y++)
    std::memcpy(&glyph.coverage[size_t(y) * size_t(glyph.width)], bitmap.buffer + ptrdiff_t(y) * bitmap.pitch,
                size_t(glyph.width));
  return glyph;
}

int32_t CSystemFont::TextWidth(std::string_view text) {
  int32_t width = 0;
  for (char c : text) width += Glyph(static_cast<uint8_t>(c)).advance;
  return width;
}

CSystemFont* SystemFont_Get(const std::string& family, int32_t pixel_height, bool bold, bool italic) {
  RFontStore& store = Store();
  // Glyphs beyond this size would cost memory out of all proportion; scripts
  // can ask for any size.
  pixel_height = std::clamp(pixel_height, 1, kMaxPixelHeight);
  auto key = std::make_tuple(family, pixel_height, bold, italic);
  auto found = store.fonts.find(key);
  if (found != store.fonts.end()) return found->second.get();

  if (!store.library && FT_Init_FreeType(&store.library) != 0) {
    store.library = nullptr;
    return nullptr;
  }
  std::string file = MatchFile(StandIn(family), bold, italic);
  auto face = std::make_unique<CSystemFont::RFace>();
  if (file.empty() || FT_New_Face(store.library, file.c_str(), 0, &face->face) != 0) {
    face->face = nullptr;
    return nullptr;
  }
  FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(pixel_height));
  std::unique_ptr<CSystemFont> font(new CSystemFont());
  font->file_ = file;
  font->pixel_height_ = pixel_height;
  font->ascent_ = Pixels26_6(face->face->size->metrics.ascender);
  font->descent_ = -Pixels26_6(face->face->size->metrics.descender);
  font->face_ = std::move(face);
  CSystemFont* result = font.get();
  store.fonts.emplace(std::move(key), std::move(font));
  return result;
}
