// The action_ built-ins that stand for built-ins of other modules: their
// arguments, the relative flag, and the messages they report.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "step/IO_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Global.h"

namespace {

RValue R(double v) { return RValue(v); }

// Self (object 0) at (10, 20) in a 640 x 480 room. Sprite 0: 32 x 32
// green, origin (3, 0), its box (manual) columns and rows 8 to 15 only.
class ActionBuiltins {
 protected:
  void Install() {
    RTestWorld world;
    world.objects = {TestWorld_Object("A", -1, {}), TestWorld_Object("B", -1, {})};
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    RSpriteRecord sprite;
    sprite.width = sprite.height = 32;
    sprite.bboxMode = 2;
    sprite.bboxLeft = sprite.bboxTop = 8;
    sprite.bboxRight = sprite.bboxBottom = 15;
    sprite.precise = sprite.transparent = false;
    sprite.xOrigin = 3;
    sprite.images = {TestWorld_SolidImage(32, 32, 0xFF00FF00)};
    RSlots<RSpriteRecord> sprites{sprite};
    Sprite_Install(sprites);
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(Instance_NewId(), 0, 10, 20);
    Game = RGameGlobals();
    IO_Input = RInputState();
  }
  void Uninstall() {
    SecureMode = false;
    Sprite_ClearTable();
    Room_SetCurrent(-1, nullptr);
    TestWorld_Clear();
  }
  // Runs the action as from an action list, with argument_relative as asked.
  RValue Act(const char* name, std::initializer_list<RValue> args, bool relative = false) {
    Action_ArgumentRelative = relative;
    RValue result = CallByName(name, args, self);
    Action_ArgumentRelative = false;
    return result;
  }
  // What the last call reported; the error state is cleared.
  std::string Reported() {
    std::string text = ReportedError();
    Error_Reset();
    return text;
  }
  CRoom room;
  CInstance* self = nullptr;
};

class ActionBuiltinsTest : public ActionBuiltins, public ::testing::Test {
 protected:
  void SetUp() override { Install(); }
  void TearDown() override { Uninstall(); }
};

TEST_F(ActionBuiltinsTest, MotionPlacesAndLooks) {
  Act("action_snap", {R(16), R(16)});
  EXPECT_EQ(Act("action_if_aligned", {R(16), R(8)}).real, 1);
  Act("action_move_contact", {R(270), R(0), R(0)});  // nothing in the way: 1000 down
  EXPECT_EQ(self->y, 1016);

  CInstance* b = room.CreateInstance(Instance_NewId(), 1, 100, 100);
  b->SetSprite(0);  // its box: 105 to 112
  self->SetPosition(10, 20);
  Act("action_kill_position", {R(100), R(90)}, true);
  EXPECT_TRUE(b->destroyed);

  Act("action_set_sprite", {R(4), R(2)});
  EXPECT_EQ(Reported(), "Setting instance to non-existing sprite: 4");
  Act("action_set_sprite", {R(0), R(2)});
  EXPECT_EQ(self->image_yscale, 2);
  Act("action_sprite_set", {R(0), R(-1), R(0.5)});
  Act("action_sprite_color", {R(0x0000FF), R(0.25)});
  EXPECT_EQ(self->image_speed, 0.5);
  EXPECT_EQ(self->image_blend, 0x0000FF);
  EXPECT_EQ(self->image_alpha, 0.25);

  // Wrapping goes a sprite's width times its scale beyond the edge, not its box's.
  self->SetPosition(-1, 100);
  self->SetHspeed(-4);
  Act("action_wrap", {R(0)});
  EXPECT_EQ(self->x, -1 + 640 + 64);
}

TEST_F(ActionBuiltinsTest, MouseCaptionCursorAndMessages) {
  IO_Input.mouse_down[2] = true;
  EXPECT_EQ(Act("action_if_mouse", {R(2)}).real, 1);
  EXPECT_EQ(Act("action_if_mouse", {R(7)}).real, 0);  // not a button: whether none is held
  Act("action_set_caption", {R(0), Str("Pts "), R(1), Str("Men "), R(1), Str("HP ")});
  EXPECT_TRUE(!Game.show_score && Game.score_shown_by_game && Game.show_lives && Game.show_health);
  Act("action_set_cursor", {R(0), R(0)});
  EXPECT_EQ(Game.cursor_sprite, 0);
  EXPECT_EQ(Window_GetCursor(), -1);

  SecureMode = true;
  const struct {
    const char* name;
    std::initializer_list<RValue> args;
    const char* message;
  } cases[] = {
      {"action_webpage", {Str("http://localhost/")}, "In secure mode you cannot open webpages."},
      {"action_replace_sprite", {R(3), Str("x.png"), R(1)}, "Trying to replace non-existing resource."},
      {"action_replace_sprite", {R(0), Str("no_such_picture.png"), R(1)}, "File does not exist."},
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

class ActionDrawing : public ActionBuiltins, public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    Install();
    Sprite_CreateAllTextures();
  }
  void TearDown() override {
    Uninstall();
    GraphicsTest::TearDown();
  }
};

TEST_F(ActionDrawing, ShapesColoursImagesAndFullScreen) {
  constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlack = 0xFF000000u;
  D3D_Clear(0);
  Act("action_color", {R(0x0000FF)});
  Act("action_draw_rectangle", {R(0), R(0), R(4), R(4), R(0)}, true);  // at (10, 20)
  Game.lives = 2;
  Act("action_draw_life_images", {R(0), R(40), R(0)}, true);  // from (7, 60), 32 apart
  const CBitmap32 p = Grab(160, 100);
  EXPECT_EQ(p.Pixel(12, 22), kRed);
  EXPECT_EQ(p.Pixel(2, 2), kBlack);
  EXPECT_EQ(p.Pixel(7, 61), kGreen);
  EXPECT_EQ(p.Pixel(70, 61), kGreen);  // the second life, and no third
  EXPECT_EQ(p.Pixel(72, 61), kBlack);

  Act("action_fullscreen", {R(0)});  // switches
  EXPECT_TRUE(Window_GetFullScreen());
  Act("action_fullscreen", {R(2)});
  EXPECT_TRUE(Window_GetFullScreen());
  Act("action_fullscreen", {R(1)});
  EXPECT_FALSE(Window_GetFullScreen());
}

}  // namespace
