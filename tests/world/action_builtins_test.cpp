// The action_ built-ins that stand for built-ins of other modules: their
// arguments, the relative flag, and the messages they report.
#include <gtest/gtest.h>

#include <cmath>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "step/IO_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Global.h"

namespace {

RValue R(double v) { return RValue(v); }

// Sprite 0: 32 x 32, its box (manual) only columns and rows 8 to 15.
// Background 0: 16 x 16.
void InstallImages() {
  RSpriteRecord sprite;
  sprite.name = "spr";
  sprite.width = sprite.height = 32;
  sprite.bboxMode = 2;
  sprite.bboxLeft = sprite.bboxTop = 8;
  sprite.bboxRight = sprite.bboxBottom = 15;
  sprite.precise = false;
  sprite.transparent = false;
  sprite.xOrigin = 3;
  sprite.images = {TestWorld_SolidImage(32, 32, 0xFF00FF00)};
  RSlots<RSpriteRecord> sprites;
  sprites.emplace_back(sprite);
  Sprite_Install(sprites);
  RBackgroundRecord back;
  back.name = "back";
  back.width = back.height = 16;
  back.smoothEdges = true;
  back.hasImage = true;
  back.image = TestWorld_SolidImage(16, 16, 0xFF0000FF);
  RSlots<RBackgroundRecord> backs;
  backs.emplace_back(back);
  Background_Install(backs);
}

// Self (object 0) at (10, 20) in a 640 x 480 room; calls run as from an
// action, with argument_relative as asked.
class ActionBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1, {}), TestWorld_Object("B", -1, {})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    InstallImages();
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(Instance_NewId(), 0, 10, 20);
    Game = RGameGlobals();
    IO_Input = RInputState();
  }
  void TearDown() override {
    Action_ArgumentRelative = false;
    SecureMode = false;
    Sprite_ClearTable();
    Background_ClearTable();
    Room_SetCurrent(-1, nullptr);
    TestWorld_Clear();
  }
  RValue Act(const char* name, std::initializer_list<RValue> args, bool relative = false) {
    Builtins_RegisterAll();
    RValue result;
    const int32_t id = Function_BuiltinIdOf(name);
    if (id < 0) {
      ADD_FAILURE() << name << " is not registered";
      return result;
    }
    EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
    RValue slots[MAX_ARGUMENTS];
    std::copy(args.begin(), args.end(), slots);
    Action_ArgumentRelative = relative;
    CallBuiltin(id, self, self, static_cast<int>(args.size()), slots, result);
    Action_ArgumentRelative = false;
    return result;
  }
  // The message an action reported, and the error state cleared.
  std::string Reported() {
    std::string text = ReportedError();
    Error_Reset();
    return text;
  }
  CRoom room;
  CInstance* self = nullptr;
};

TEST_F(ActionBuiltins, MotionAndPlaces) {
  Act("action_snap", {R(16), R(16)});
  EXPECT_EQ(self->x, 16);
  EXPECT_EQ(self->y, 16);
  EXPECT_EQ(Act("action_if_aligned", {R(16), R(8)}).real, 1);
  EXPECT_EQ(Act("action_if_aligned", {R(5), R(0)}).real, 0);
  // Nothing in the way: move_contact_solid (270, 0) goes 1000 pixels down.
  Act("action_move_contact", {R(270), R(0), R(0)});
  EXPECT_EQ(self->y, 1016);
  self->SetPosition(0, 0);
  Act("action_move_random", {R(32), R(32)});
  EXPECT_EQ(std::fmod(self->x, 32), 0);
  EXPECT_LT(self->x, 640);

  // Destroys what covers the point, relative to self: B's box is 8..15 from
  // its position.
  self->SetPosition(10, 20);
  CInstance* b = room.CreateInstance(Instance_NewId(), 1, 100, 100);
  b->SetSprite(0);
  Act("action_kill_position", {R(100), R(90)}, true);  // (110, 110)
  EXPECT_TRUE(b->destroyed);
  EXPECT_FALSE(self->destroyed);
}

// Wrapping uses the sprite's size times its scale, not its box.
TEST_F(ActionBuiltins, WrapUsesTheSpriteWidth) {
  self->SetSprite(0);
  self->SetXScale(2);
  self->SetPosition(-1, 100);
  self->SetHspeed(-4);
  Act("action_wrap", {R(0)});
  EXPECT_EQ(self->x, -1 + 640 + 64);
  self->SetPosition(500, 481);
  self->SetVspeed(3);
  Act("action_wrap", {R(2)});
  EXPECT_EQ(self->y, 481 - 480 - 32);
  EXPECT_EQ(self->x, 500);  // inside horizontally
}

TEST_F(ActionBuiltins, SpritesAndTheirLooks) {
  Act("action_set_sprite", {R(4), R(2)});
  EXPECT_EQ(Reported(), "Setting instance to non-existing sprite: 4");
  EXPECT_EQ(self->image_xscale, 1);
  Act("action_set_sprite", {R(0), R(2)});
  EXPECT_EQ(self->sprite_index, 0);
  EXPECT_EQ(self->image_xscale, 2);
  EXPECT_EQ(self->image_yscale, 2);
  Act("action_set_sprite", {R(0), R(0)});  // no scale given: kept
  EXPECT_EQ(self->image_xscale, 2);

  self->image_index = 0.75;
  Act("action_sprite_set", {R(0), R(-1), R(0.5)});
  EXPECT_EQ(self->image_index, 0.75);
  EXPECT_EQ(self->image_speed, 0.5);
  Act("action_sprite_set", {R(0), R(1), R(0)});
  EXPECT_EQ(self->image_index, 1);
  Act("action_sprite_set", {R(9), R(0), R(2)});
  EXPECT_EQ(Reported(), "Setting instance to non-existing sprite: 9");
  EXPECT_EQ(self->image_speed, 0);

  Act("action_sprite_color", {R(0x0000FF), R(0.25)});
  EXPECT_EQ(self->image_blend, 0x0000FF);
  EXPECT_EQ(self->image_alpha, 0.25);
}

TEST_F(ActionBuiltins, MouseCaptionAndCursor) {
  EXPECT_EQ(Act("action_if_mouse", {R(0)}).real, 1);  // no button held
  EXPECT_EQ(Act("action_if_mouse", {R(1)}).real, 0);
  IO_Input.mouse_down[2] = true;
  EXPECT_EQ(Act("action_if_mouse", {R(2)}).real, 1);
  EXPECT_EQ(Act("action_if_mouse", {R(7)}).real, 0);  // not a button: whether none is held

  Act("action_set_caption", {R(0), Str("Pts "), R(1), Str("Men "), R(1), Str("HP ")});
  EXPECT_FALSE(Game.show_score);
  EXPECT_TRUE(Game.score_shown_by_game);
  EXPECT_TRUE(Game.show_lives);
  EXPECT_TRUE(Game.show_health);
  EXPECT_EQ(Game.caption_score, "Pts ");
  EXPECT_EQ(Game.caption_health, "HP ");

  Act("action_set_cursor", {R(0), R(0)});
  EXPECT_EQ(Game.cursor_sprite, 0);
  EXPECT_EQ(Window_GetCursor(), -1);
  Act("action_set_cursor", {R(-1), R(1)});
  EXPECT_EQ(Game.cursor_sprite, -1);
  EXPECT_EQ(Window_GetCursor(), 0);
}

TEST_F(ActionBuiltins, MessagesOfTheForwardingActions) {
  SecureMode = true;
  Act("action_webpage", {Str("http://localhost/")});
  EXPECT_EQ(Reported(), "In secure mode you cannot open webpages.");
  SecureMode = false;

  const struct {
    const char* name;
    std::initializer_list<RValue> args;
    const char* message;
  } cases[] = {
      {"action_replace_sprite", {R(3), Str("x.png"), R(1)}, "Trying to replace non-existing resource."},
      {"action_replace_sprite", {R(0), Str("no_such_picture.png"), R(1)}, "File does not exist."},
      {"action_replace_background", {R(2), Str("x.png")}, "Trying to replace non-existing resource."},
      {"action_replace_background", {R(0), Str("no_such_picture.png")}, "File does not exist."},
      {"action_draw_sprite", {R(5), R(0), R(0), R(0)}, "Trying to draw a non-existing sprite."},
      {"action_draw_life_images", {R(0), R(0), R(5)}, "Trying to draw a non-existing sprite."},
      {"action_draw_background", {R(5), R(0), R(0), R(0)}, "Trying to draw a non-existing background."},
      {"action_snapshot", {Str("")}, "Trying to save screen to empty image file name."},
  };
  for (const auto& c : cases) {
    Act(c.name, c.args);
    EXPECT_EQ(Reported(), c.message) << c.name;
  }
}

// Replacing keeps the resource's own settings: the load uses them.
TEST_F(ActionBuiltins, ReplacingResourcesFromFiles) {
  const std::string file = TestGame_Path("replacement.png");
  ASSERT_TRUE(Bitmap_SavePNG(file, CBitmap32(10, 6, 0xFFFF0000u)));
  Act("action_replace_sprite", {R(0), RValue(file), R(2)});
  EXPECT_FALSE(Error_Occurred()) << Error_Last();
  const CSprite* sprite = Sprite_Get(0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->width, 5);  // a strip of two
  EXPECT_EQ(sprite->ImageCount(), 2);
  EXPECT_EQ(sprite->xorigin, 3);
  EXPECT_FALSE(sprite->precise);
  Act("action_replace_background", {R(0), RValue(file)});
  ASSERT_NE(Background_Get(0), nullptr);
  EXPECT_EQ(Background_Get(0)->width, 10);
  EXPECT_TRUE(Background_Get(0)->smooth);
}

// Every action of the standard set is registered with its argument count.
TEST(ActionRegistry, EveryActionIsThere) {
  Builtins_RegisterAll();
  const std::pair<const char*, int32_t> actions[] = {
      {"action_move_random", 2}, {"action_snap", 2}, {"action_move_contact", 3}, {"action_kill_position", 2},
      {"action_sprite_set", 3}, {"action_sprite_color", 2}, {"action_set_sprite", 2}, {"action_if_mouse", 1},
      {"action_if_aligned", 2}, {"action_set_caption", 6}, {"action_set_cursor", 2}, {"action_webpage", 1},
      {"action_replace_sprite", 3}, {"action_replace_background", 2}, {"action_draw_sprite", 4},
      {"action_draw_background", 4}, {"action_draw_text", 3}, {"action_draw_text_transformed", 6},
      {"action_draw_rectangle", 5}, {"action_draw_gradient_hor", 6}, {"action_draw_gradient_vert", 6},
      {"action_draw_ellipse", 5}, {"action_draw_ellipse_gradient", 6}, {"action_draw_line", 4},
      {"action_draw_arrow", 5}, {"action_draw_score", 3}, {"action_draw_life", 3}, {"action_draw_life_images", 3},
      {"action_draw_health", 6}, {"action_draw_variable", 3}, {"action_color", 1}, {"action_font", 2},
      {"action_fullscreen", 1}, {"action_snapshot", 1}, {"action_highscore_show", 6},
  };
  for (const auto& [name, count] : actions) {
    const int32_t id = Function_BuiltinIdOf(name);
    ASSERT_GE(id, 0) << name;
    EXPECT_EQ(Function_ArgCount(id), count) << name;
  }
}

// The drawing actions with a device: positions relative to self, colours.
class ActionDrawing : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1, {})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    InstallImages();
    Sprite_CreateAllTextures();
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(Instance_NewId(), 0, 10, 20);
    Game = RGameGlobals();
    D3D_Clear(0);
  }
  void TearDown() override {
    Sprite_ClearTable();
    Background_ClearTable();
    Room_SetCurrent(-1, nullptr);
    TestWorld_Clear();
    GraphicsTest::TearDown();
  }
  void Act(const char* name, std::initializer_list<RValue> args, bool relative = false) {
    const int32_t id = Function_BuiltinIdOf(name);
    ASSERT_GE(id, 0) << name << " is not registered";
    RValue slots[MAX_ARGUMENTS];
    std::copy(args.begin(), args.end(), slots);
    RValue result;
    Action_ArgumentRelative = relative;
    CallBuiltin(id, self, self, static_cast<int>(args.size()), slots, result);
    Action_ArgumentRelative = false;
  }
  CRoom room;
  CInstance* self = nullptr;
};

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlack = 0xFF000000u;

TEST_F(ActionDrawing, ShapesColoursAndImages) {
  Act("action_color", {R(0x0000FF)});
  Act("action_draw_rectangle", {R(0), R(0), R(4), R(4), R(0)}, true);  // at (10, 20)
  Act("action_draw_gradient_hor", {R(40), R(0), R(80), R(9), R(0x0000FF), R(0xFF0000)});
  Act("action_draw_gradient_vert", {R(100), R(0), R(109), R(40), R(0x0000FF), R(0xFF0000)});
  Game.lives = 2;
  Act("action_draw_life_images", {R(0), R(40), R(0)}, true);  // origin 3: from (7, 60), 32 apart
  const CBitmap32 p = Grab(160, 100);
  EXPECT_EQ(p.Pixel(12, 22), kRed);
  EXPECT_EQ(p.Pixel(2, 2), kBlack);
  EXPECT_GT((p.Pixel(41, 5) >> 16) & 0xFF, 0xE0u);  // red on the left
  EXPECT_GT(p.Pixel(79, 5) & 0xFF, 0xE0u);          // blue on the right
  EXPECT_GT((p.Pixel(105, 1) >> 16) & 0xFF, 0xE0u);  // red at the top
  EXPECT_GT(p.Pixel(105, 39) & 0xFF, 0xE0u);         // blue at the bottom
  EXPECT_EQ(p.Pixel(8, 61), kGreen);
  EXPECT_EQ(p.Pixel(70, 61), kGreen);  // the second life
  EXPECT_EQ(p.Pixel(72, 61), kBlack);  // no third
  EXPECT_EQ(p.Pixel(5, 61), kBlack);
  EXPECT_EQ(CallByName("draw_get_color").real, 0x0000FF);
}

TEST_F(ActionDrawing, FullScreenModes) {
  ASSERT_FALSE(Window_GetFullScreen());
  Act("action_fullscreen", {R(0)});
  EXPECT_TRUE(Window_GetFullScreen());
  Act("action_fullscreen", {R(2)});
  EXPECT_TRUE(Window_GetFullScreen());
  Act("action_fullscreen", {R(1)});
  EXPECT_FALSE(Window_GetFullScreen());
}

}  // namespace
