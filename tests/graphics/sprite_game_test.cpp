// A whole game played headless: an instance without a draw event shows its
// sprite, another saves the screen from its draw event; the sprite
// variables read the real sprite and background.
#include <gtest/gtest.h>

#include "graphics/Graphics_Bitmap32.h"
#include "support/TestGames.h"
#include "support/TestWorld.h"
#include "world/Object_Class.h"

TEST(SpriteGame, InstanceSpriteAppearsInTheSavedScreen) {
  const std::string shot = TestGame_Path("sprite_shot.bmp");
  RGameData game = TestGame_OneRoom();
  game.rooms[0]->backgroundColor = 0;  // black
  RRoomBackground layer;
  layer.background = 0;
  game.rooms[0]->backgrounds = {layer};

  RSpriteRecord sprite;
  sprite.name = "spr_box";
  sprite.width = 6;
  sprite.height = 4;
  sprite.xOrigin = 3;
  sprite.yOrigin = 2;
  sprite.bboxRight = 5;
  sprite.bboxBottom = 3;
  sprite.images = {TestWorld_SolidImage(6, 4, 0xFFFF0000u), TestWorld_SolidImage(6, 4, 0xFF00FF00u)};
  game.sprites.emplace_back(sprite);
  RBackgroundRecord background;
  background.name = "bck";
  background.width = 7;
  background.height = 5;
  background.hasImage = true;
  background.image = TestWorld_SolidImage(7, 5, 0xFF0000FFu);
  game.backgrounds.emplace_back(background);

  RObjectRecord shown = TestWorld_Object(
      "obj_shown", -1,
      {{EV_CREATE, 0,
        "image_speed = 0; image_index = 1; image_xscale = 2; show_debug_message('measures ' + string(sprite_width) "
        "+ ' ' + string(sprite_height) + ' ' + string(sprite_xoffset) + ' ' + string(image_number) + ' ' + "
        "string(bbox_left) + ' ' + string(bbox_right) + ' ' + string(background_width[0]))"}});
  shown.sprite = 0;
  RObjectRecord camera = TestWorld_Object("obj_camera", -1, {{EV_DRAW, 0, "screen_save('" + shot + "')"}});
  camera.depth = -10;  // drawn after the sprite
  game.objects = {shown, camera};
  game.rooms[0]->instances = {TestWorld_Instance(0, 100001, 20, 10), TestWorld_Instance(1, 100002)};
  game.lastInstanceId = 100002;

  RRunResult r = TestGame_Run("--max-steps 2 --unthrottled " + TestGame_Write(game, "sprite.game"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Width 6 x scale 2, height 4, origin 3 x 2; the box 20 - 6 .. 20 + 6 - 1.
  EXPECT_NE(r.err.find("measures 12 4 6 2 14 25 7\n"), std::string::npos) << r.err;
  CBitmap32 image;
  ASSERT_TRUE(Bitmap_LoadBMPFile(shot, image));
  // Image 1 (green), doubled in width: x 14 .. 25, y 8 .. 11.
  EXPECT_EQ(image.Pixel(14, 8) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(image.Pixel(25, 11) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(image.Pixel(13, 8) & 0xFFFFFF, 0u);
  EXPECT_EQ(image.Pixel(26, 8) & 0xFFFFFF, 0u);
  EXPECT_EQ(image.Pixel(20, 12) & 0xFFFFFF, 0u);
}
