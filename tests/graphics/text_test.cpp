// Fonts and text: line splitting and wrapping, measuring, the default font
// and where drawn glyphs land.
#include <gtest/gtest.h>

#include "data/Option_Main.h"
#include "graphics/Font_Class.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Sprite_Main.h"
#include "support/Builtin_Call.h"
#include "support/graphics_fixture.h"

namespace {

// A game-file font whose every glyph is a solid box, 10 pixels high: 8
// pixels wide for the letters, 'W' 101 pixels wide, advances as wide.
RFontRecord BoxFontRecord() {
  RFontRecord r;
  r.name = "fnt_box";
  r.first = 32;
  r.last = 127;
  r.textureWidth = 128;
  r.textureHeight = 11;
  r.texture.assign(size_t(128 * 11), 255);
  for (int c = 32; c <= 127; c++) r.glyphs[size_t(c)] = {0, 0, 8, 10, 8, 0};
  r.glyphs['W'] = {0, 0, 101, 10, 101, 0};
  r.glyphs[' '] = {0, 0, 0, 10, 5, 0};
  return r;
}

class TextLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    RSlots<RFontRecord> fonts;
    fonts.emplace_back(BoxFontRecord());
    Font_Install(fonts);
  }
  void TearDown() override { Font_ClearTable(); }
  std::vector<std::string> Lines(const char* text, int32_t width = -1) {
    return Text_SplitLines(text, *Font_Get(0), width);
  }
};

using LineList = std::vector<std::string>;

TEST_F(TextLayout, LineBreaksAndWrapping) {
  EXPECT_EQ(Lines("Score:#10"), (LineList{"Score:", "10"}));
  EXPECT_EQ(Lines("100\\#"), (LineList{"100#"}));
  EXPECT_EQ(Lines("a\r\nb"), (LineList{"a", "", "b"}));
  EXPECT_EQ(Lines("a##b"), (LineList{"a", "", "b"}));
  EXPECT_EQ(Lines(""), LineList{});
  // "one two " is 6 * 8 + 2 * 5 = 58 pixels: it fits 60, the whole text does not.
  EXPECT_EQ(Lines("one two three", 60), (LineList{"one two ", "three"}));
  EXPECT_EQ(Lines("well-known fact", 48), (LineList{"well-", "known ", "fact"}));
  // A word never breaks; empty pieces vanish when wrapping.
  EXPECT_EQ(Lines("unbreakable##x", 10), (LineList{"unbreakable", "x"}));
}

TEST_F(TextLayout, MeasuringAndTheFontTable) {
  Font_SetCurrent(0);
  EXPECT_EQ(Font_CurrentIndex(), 0);
  EXPECT_EQ(Text_Width("", -1), 1);
  EXPECT_EQ(Text_Height("", -1, -1), 1);
  EXPECT_EQ(Text_Width("ab#abc", -1), 24);
  EXPECT_EQ(Text_Height("a#b", -1, -1), 20);
  EXPECT_EQ(Text_Height("a#b#c", 4, -1), 18);
  // Characters outside the range move the pen like a space.
  EXPECT_EQ(Font_Get(0)->Advance(7), 5);
  EXPECT_EQ(Font_Get(0)->Advance(200), 5);
  EXPECT_EQ(Font_Name(0), "fnt_box");
  EXPECT_EQ(Font_Name(1), "<undefined>");
  Font_SetCurrent(3);
  EXPECT_EQ(Font_CurrentIndex(), -1);
  Font_SetHAlign(7);
  EXPECT_EQ(Font_HAlign(), 0);
}

TEST(DefaultFont, IsArialTwelvePoints) {
  CFont& font = Font_Current();
  EXPECT_EQ(font.font_name, "Arial");
  EXPECT_EQ(font.first, 32);
  EXPECT_EQ(font.last, 127);
  EXPECT_GT(font.LineHeight(), 14);
  EXPECT_LT(font.LineHeight(), 24);
  EXPECT_EQ(font.glyphs['A'].height, font.LineHeight());
  EXPECT_GT(font.Width("W"), font.Width("i"));
  // The space's advance for characters below 32.
  EXPECT_EQ(font.Advance(10), font.glyphs[' '].advance);
  // The glyph image holds ink, and no glyph box leaves it.
  EXPECT_LE(font.image_height, font.image_width);
  int inked = 0;
  for (uint8_t a : font.image) inked += a > 128;
  EXPECT_GT(inked, 500);
  for (int c = 32; c <= 127; c++) {
    const RGlyph& g = font.glyphs[size_t(c)];
    EXPECT_LE(g.x + g.width, font.image_width) << c;
    EXPECT_LE(g.y + g.height, font.image_height) << c;
  }
  // The built-ins measure with it.
  EXPECT_EQ(CallByName("string_width", {Str("")}).real, 1);
  EXPECT_EQ(CallByName("string_height", {Str("a#b")}).real, 2 * font.LineHeight());
  EXPECT_EQ(CallByName("string_width", {RValue(12.5)}).real, font.Width("12.50"));
  Font_ClearTable();
}

class TextDrawing : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    RSlots<RFontRecord> fonts;
    fonts.emplace_back(BoxFontRecord());
    Font_Install(fonts);
    Font_SetCurrent(0);
    D3D_Clear(0);
  }
  void TearDown() override {
    Font_ClearTable();
    Draw_SetColour(0);
    Draw_SetAlpha(1);
    GraphicsTest::TearDown();
  }
};

TEST_F(TextDrawing, AlignmentAndColour) {
  // Centred text 101 pixels wide starts 50 pixels left of x.
  Draw_SetColour(0x0000FF);
  Font_SetHAlign(1);
  Text_Draw(200, 10, "W", -1, -1, RTextLook{});
  // Right-aligned and bottom-aligned: ends at x, its line ends at y.
  Font_SetHAlign(2);
  Font_SetVAlign(2);
  Text_Draw(100, 60, "ab", -1, -1, RTextLook{});
  CBitmap32 shot = Grab(320, 80);
  EXPECT_EQ(shot.Pixel(149, 15), 0xFF000000u);
  EXPECT_EQ(shot.Pixel(150, 15), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(250, 15), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(251, 15), 0xFF000000u);
  EXPECT_EQ(shot.Pixel(84, 50), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(99, 59), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(100, 55), 0xFF000000u);
  EXPECT_EQ(shot.Pixel(90, 60), 0xFF000000u);
  EXPECT_EQ(shot.Pixel(83, 55), 0xFF000000u);
}

TEST_F(TextDrawing, GradedAndTransformedText) {
  // Two glyphs from blue to red, drawn through the built-in.
  CallByName("draw_text_color", {RValue(0), RValue(0), Str("aa"), RValue(0xFF0000), RValue(0x0000FF),
                                 RValue(0x0000FF), RValue(0xFF0000), RValue(1)});
  // Twice as large, turned 90 degrees: the text runs upwards from (40, 60).
  CallByName("draw_text_transformed", {RValue(40), RValue(60), Str("a"), RValue(2), RValue(2), RValue(90)});
  CBitmap32 shot = Grab(80, 80);
  uint32_t left = shot.Pixel(0, 5), right = shot.Pixel(15, 5);
  EXPECT_GT(left & 0xFF, 0xC0u);          // mostly blue
  EXPECT_GT((right >> 16) & 0xFF, 0xC0u);  // mostly red
  EXPECT_EQ(shot.Pixel(45, 50), 0xFF000000u);  // black drawing colour on black...
  Draw_SetColour(0xFFFFFF);
  D3D_Clear(0);
  CallByName("draw_text_transformed", {RValue(40), RValue(60), Str("a"), RValue(2), RValue(2), RValue(90)});
  shot = Grab(80, 80);
  EXPECT_EQ(shot.Pixel(45, 50), 0xFFFFFFFFu);  // 20 wide, 16 up from the pen
  EXPECT_EQ(shot.Pixel(45, 62), 0xFF000000u);
  EXPECT_EQ(shot.Pixel(35, 50), 0xFF000000u);
}

TEST_F(TextLayout, FontTableBuiltins) {
  Settings.DisplayErrors = false;
  EXPECT_EQ(CallByName("font_add", {Str("Arial"), RValue(12), RValue(0), RValue(1), RValue(-5), RValue(300)}).real, 1);
  EXPECT_EQ(CallByName("font_get_name", {RValue(1)}).str, "__newfont1");
  EXPECT_EQ(CallByName("font_get_fontname", {RValue(1)}).str, "Arial");
  EXPECT_EQ(CallByName("font_get_first", {RValue(1)}).real, 0);
  EXPECT_EQ(CallByName("font_get_last", {RValue(1)}).real, 255);
  EXPECT_EQ(CallByName("font_get_italic", {RValue(1)}).real, 1);
  EXPECT_EQ(CallByName("font_get_size", {RValue(7)}).real, -1);
  // Replacing keeps the name; deleting empties the slot.
  EXPECT_EQ(CallByName("font_replace", {RValue(1), Str("Courier New"), RValue(10), RValue(0), RValue(0), RValue(32),
                                        RValue(127)})
                .real,
            1);
  EXPECT_EQ(CallByName("font_get_name", {RValue(1)}).str, "__newfont1");
  EXPECT_EQ(CallByName("font_get_size", {RValue(1)}).real, 10);
  EXPECT_EQ(CallByName("font_delete", {RValue(1)}).real, 1);
  EXPECT_EQ(CallByName("font_exists", {RValue(1)}).real, 0);
  EXPECT_EQ(CallByName("font_get_name", {RValue(1)}).str, "<undefined>");
  Error_Reset();
  CallByName("font_delete", {RValue(1)});
  EXPECT_NE(Error_Last().find("Trying to delete non-existing font."), std::string::npos);
  CallByName("font_replace_sprite", {RValue(0), RValue(9), RValue(48), RValue(0), RValue(0)});
  EXPECT_NE(Error_Last().find("Trying to replace font from non-existing sprite."), std::string::npos);
  EXPECT_EQ(CallByName("font_add_sprite", {RValue(9), RValue(48), RValue(0), RValue(0)}).real, -1);
  EXPECT_NE(Error_Last().find("Trying to create font from non-existing sprite."), std::string::npos);
  Error_Reset();
  Settings = RSettings{};
}

TEST_F(TextDrawing, SpriteFonts) {
  // Four 2 x 3 images, red, green, blue, white, with a clear right column in
  // the first: "0" to "3".
  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->width = 2;
  sprites[0]->height = 3;
  sprites[0]->transparent = false;
  const uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  for (uint32_t colour : colours) {
    RImageRecord image;
    image.exists = true;
    image.width = 2;
    image.height = 3;
    for (int i = 0; i < 6; i++)
      for (int shift = 0; shift < 32; shift += 8) image.pixels.push_back(uint8_t(colour >> shift));
    sprites[0]->images.push_back(image);
  }
  for (int y = 0; y < 3; y++) sprites[0]->images[0].pixels[size_t((y * 2 + 1) * 4 + 3)] = 0;
  Sprite_Install(sprites);
  Sprite_CreateAllTextures();

  int32_t fixed = int32_t(CallByName("font_add_sprite", {RValue(0), RValue(48), RValue(0), RValue(1)}).real);
  int32_t proportional = int32_t(CallByName("font_add_sprite", {RValue(0), RValue(48), RValue(1), RValue(1)}).real);
  CFont& f = *Font_Get(fixed);
  EXPECT_EQ(f.first, 48);
  EXPECT_EQ(f.last, 51);
  EXPECT_EQ(f.LineHeight(), 3);
  EXPECT_EQ(f.Advance('1'), 3);  // width 2 and separation 1
  EXPECT_EQ(Font_Get(proportional)->Advance('0'), 1);  // box right 0 and separation 1
  EXPECT_EQ(Font_Get(proportional)->Advance('1'), 2);
  Font_SetCurrent(fixed);
  Draw_SetColour(0xFFFFFF);
  Text_Draw(10, 10, "0123", -1, -1, RTextLook{});
  CBitmap32 shot = Grab(40, 20);
  EXPECT_EQ(shot.Pixel(10, 10), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(11, 10), 0xFF000000u);  // the clear column
  EXPECT_EQ(shot.Pixel(13, 12), 0xFF00FF00u);
  EXPECT_EQ(shot.Pixel(16, 11), 0xFF0000FFu);
  EXPECT_EQ(shot.Pixel(20, 11), 0xFFFFFFFFu);
  EXPECT_EQ(shot.Pixel(21, 11), 0xFF000000u);
  Sprite_ClearTable();
}

}  // namespace
