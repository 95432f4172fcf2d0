// The sprite and background built-ins: queries, settings, entries made,
// loaded, copied, merged, saved and deleted, and their messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "support/Builtin_Call.h"
#include "support/graphics_fixture.h"

namespace {

RValue R(double v) { return RValue(v); }

std::string TempPath(const std::string& name) {
  return (std::filesystem::path(VELMORA_BUILD_DIR) / ("sprite_builtins_" + name)).string();
}

// Sprite 0: two 4 x 3 images (the first keyed white at the lower left), slot 1 empty.
void InstallSprites() {
  RSlots<RSpriteRecord> records(2);
  records[0].emplace();
  records[0]->name = "spr_a";
  records[0]->width = 4;
  records[0]->height = 3;
  records[0]->xOrigin = 1;
  records[0]->bboxRight = 3;
  records[0]->bboxBottom = 2;
  for (int i = 0; i < 2; ++i) {
    RImageRecord image;
    image.exists = true;
    image.width = 4;
    image.height = 3;
    image.pixels.assign(4 * 3 * 4, 0xFF);
    records[0]->images.push_back(image);
  }
  Sprite_Install(records);
  RSlots<RBackgroundRecord> none;
  Background_Install(none);
}

double Real(const char* name, std::initializer_list<RValue> args) { return CallByName(name, args).real; }

}  // namespace

TEST(SpriteBuiltins, QueriesAndSettings) {
  InstallSprites();
  EXPECT_EQ(Real("sprite_exists", {R(0)}), 1);
  EXPECT_EQ(Real("sprite_exists", {R(1)}), 0);
  EXPECT_EQ(CallByName("sprite_get_name", {R(0)}).str, "spr_a");
  EXPECT_EQ(CallByName("sprite_name", {R(1)}).str, "<undefined>");
  EXPECT_EQ(Real("sprite_get_number", {R(0)}), 2);
  EXPECT_EQ(Real("sprite_get_width", {R(0)}), 4);
  EXPECT_EQ(Real("sprite_get_xoffset", {R(0)}), 1);
  EXPECT_EQ(Real("sprite_get_precise", {R(0)}), 1);
  EXPECT_EQ(Real("sprite_get_bbox_right", {R(0)}), 3);
  EXPECT_EQ(Real("sprite_get_width", {R(1)}), -1);

  // The box is set only in manual mode.
  CallByName("sprite_set_bbox", {R(0), R(1), R(1), R(2), R(2)});
  EXPECT_EQ(Real("sprite_get_bbox_left", {R(0)}), 0);
  CallByName("sprite_set_bbox_mode", {R(0), R(2)});
  CallByName("sprite_set_bbox", {R(0), R(1), R(1), R(2), R(2)});
  EXPECT_EQ(Real("sprite_get_bbox_left", {R(0)}), 1);
  EXPECT_EQ(Real("sprite_get_bbox_mode", {R(0)}), 2);
  CallByName("sprite_set_offset", {R(0), R(2.4), R(3)});
  EXPECT_EQ(Real("sprite_get_yoffset", {R(0)}), 3);
  CallByName("sprite_set_precise", {R(0), R(0.4)});
  EXPECT_EQ(Real("sprite_get_precise", {R(0)}), 0);
  EXPECT_TRUE(Sprite_Get(0)->masks.empty());
}

TEST(SpriteBuiltins, EntriesAndMessages) {
  InstallSprites();
  struct Case {
    const char* name;
    std::vector<RValue> args;
    const char* message;
  };
  const Case cases[] = {
      {"sprite_delete", {R(1)}, "Trying to delete non-existing sprite."},
      {"sprite_duplicate", {R(1)}, "Trying to duplicate non-existing sprite."},
      {"sprite_assign", {R(3), R(0)}, "Error assigning a sprite."},
      {"sprite_assign", {R(0), R(1)}, "Error assigning a sprite."},
      {"sprite_merge", {R(1), R(0)}, "Trying to merge to non-existing sprite."},
      {"sprite_merge", {R(0), R(1)}, "Trying to merge from non-existing sprite."},
      {"sprite_save", {R(1), R(0), Str("x.bmp")}, "Trying to save non-existing sprite bitmap."},
      {"sprite_save", {R(0), R(0), Str("")}, "Trying to save sprite bitmap to empty image file name."},
      {"sprite_add_from_screen", {R(1), R(0), R(0), R(4), R(4)}, "Trying to add to non-existing sprite."},
      {"sprite_replace", {R(1), Str("x.bmp"), R(1), R(1), R(1), R(0), R(1), R(0), R(0)},
       "Trying to replace non-existing sprite."},
      {"background_delete", {R(0)}, "Trying to delete non-existing background."},
      {"background_duplicate", {R(0)}, "Trying to duplicate non-existing background."},
      {"background_assign", {R(0), R(0)}, "Error assigning a background."},
      {"background_replace", {R(0), Str("x.bmp"), R(1), R(1), R(1)}, "Trying to replace non-existing background."},
      {"background_save", {R(0), Str("x.bmp")}, "Trying to save non-existing background bitmap."},
  };
  for (const Case& c : cases) {
    Error_Reset();
    RValue slots[MAX_ARGUMENTS];
    std::copy(c.args.begin(), c.args.end(), slots);
    EXPECT_EQ(CallWithSlots(c.name, slots, static_cast<int>(c.args.size())).real, 0) << c.name;
    EXPECT_EQ(ReportedError(), c.message) << c.name;
  }
  EXPECT_EQ(Sprite_Count(), 2);  // nothing was created
  Error_Reset();

  // Copies, merges, deletion leaving a hole.
  EXPECT_EQ(Real("sprite_duplicate", {R(0)}), 2);
  EXPECT_EQ(CallByName("sprite_get_name", {R(2)}).str, "__newsprite2");
  CallByName("sprite_assign", {R(1), R(0)});
  EXPECT_EQ(Real("sprite_get_number", {R(1)}), 2);
  CallByName("sprite_merge", {R(1), R(2)});
  EXPECT_EQ(Real("sprite_get_number", {R(1)}), 4);
  EXPECT_EQ(Real("sprite_delete", {R(2)}), 1);
  EXPECT_EQ(Real("sprite_exists", {R(2)}), 0);
  EXPECT_EQ(Real("sprite_get_width", {R(2)}), -1);
  EXPECT_FALSE(Error_Occurred());

  // Files: a 24-bit save read back, the add and replace forms, failures.
  const std::string saved = TempPath("saved.bmp");
  std::filesystem::remove(saved);
  CallByName("sprite_save", {R(0), R(1), Str(saved.c_str())});
  CBitmap32 back;
  ASSERT_TRUE(Bitmap_LoadBMPFile(saved, back));
  EXPECT_EQ(back.width, 4);
  EXPECT_EQ(back.Pixel(3, 2), 0xFFFFFFFFu);
  const double added = Real("sprite_add", {Str(saved.c_str()), R(2), R(1), R(0.5), R(0.5), R(0), R(0), R(0)});
  EXPECT_EQ(added, 3);  // slots never shift
  EXPECT_EQ(Real("sprite_get_width", {R(3)}), 2);
  EXPECT_EQ(Real("sprite_get_transparent", {R(3)}), 1);  // 0.5 counts for transparent ...
  EXPECT_EQ(Real("sprite_get_smooth", {R(3)}), 0);       // ... not for smooth
  EXPECT_EQ(Real("sprite_add", {Str("missing.bmp"), R(1), R(1), R(1), R(0), R(0), R(0), R(0)}), -1);
  EXPECT_EQ(Sprite_Count(), 4);
  EXPECT_EQ(Real("sprite_replace_alpha", {R(0), Str(saved.c_str()), R(1), R(1), R(1), R(0), R(0)}), 1);
  EXPECT_EQ(CallByName("sprite_get_name", {R(0)}).str, "spr_a");
  EXPECT_EQ(Real("sprite_replace", {R(0), Str("missing.bmp"), R(1), R(1), R(1), R(0), R(1), R(0), R(0)}), 0);
  EXPECT_EQ(Real("sprite_add_alpha", {Str(saved.c_str()), R(1), R(1), R(1), R(0), R(0)}), 4);

  EXPECT_EQ(Real("background_create_color", {R(3), R(2), R(0xFF0000), R(1)}), 0);
  EXPECT_EQ(Real("background_get_width", {R(0)}), 3);
  EXPECT_EQ(Background_Get(0)->image.Pixel(2, 1), 0xFF0000FFu);
  EXPECT_EQ(Real("background_create_gradient", {R(4), R(1), R(0), R(0xFFFFFF), R(0), R(0)}), 1);
  EXPECT_EQ(Background_Get(1)->image.Pixel(2, 0), 0xFF808080u);
  EXPECT_EQ(Real("background_add", {Str(saved.c_str()), R(1), R(0), R(1)}), 2);
  EXPECT_EQ(Real("background_get_transparent", {R(2)}), 1);
  EXPECT_EQ(Real("background_add_alpha", {Str("missing.bmp"), R(1)}), -1);
  EXPECT_EQ(Real("background_replace_alpha", {R(0), Str(saved.c_str()), R(1)}), 1);
  EXPECT_EQ(Real("background_get_width", {R(0)}), 4);
  EXPECT_EQ(Real("background_duplicate", {R(1)}), 3);
  CallByName("background_assign", {R(0), R(1)});
  EXPECT_EQ(Real("background_get_width", {R(0)}), 4);
  EXPECT_EQ(Real("background_get_height", {R(0)}), 1);
  EXPECT_EQ(Real("background_delete", {R(3)}), 1);
  EXPECT_EQ(CallByName("background_get_name", {R(3)}).str, "<undefined>");
  EXPECT_EQ(CallByName("background_name", {R(2)}).str, "__newbackground2");
  EXPECT_FALSE(Error_Occurred());
  Sprite_ClearTable();
  Background_ClearTable();
}

TEST_F(GraphicsTest, SpritesAndBackgroundsFromTheScreen) {
  InstallSprites();
  D3D_Clear(0x0000FF);  // red
  // Keyed: the lower-left colour is the whole grab, so nothing is opaque.
  const double s = Real("sprite_create_from_screen", {R(0), R(0), R(5), R(2), R(1), R(1), R(0), R(1), R(2), R(1)});
  EXPECT_EQ(s, 2);
  EXPECT_EQ(Real("sprite_get_width", {R(2)}), 5);
  EXPECT_EQ(Real("sprite_get_xoffset", {R(2)}), 2);
  EXPECT_EQ(Sprite_Get(2)->images[0].Pixel(0, 0) >> 24, 0u);
  CallByName("sprite_add_from_screen", {R(0), R(0), R(0), R(8), R(8)});  // resized to 4 x 3
  EXPECT_EQ(Real("sprite_get_number", {R(0)}), 3);
  EXPECT_EQ(Sprite_Get(0)->images[2].width, 4);
  EXPECT_EQ(Real("background_create_from_screen", {R(0), R(0), R(3), R(3), R(0), R(0), R(1)}), 0);
  EXPECT_EQ(Background_Get(0)->image.Pixel(1, 1), 0xFFFF0000u);
  EXPECT_GE(Background_Get(0)->Texture(), 0);
  Sprite_ClearTable();
  Background_ClearTable();
}
