// Room drawing on a headless device: the draw events of the instances, by
// depth, highest first.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "graphics/Background_Main.h"
#include "graphics/Sprite_Main.h"
#include "graphics/Graphics_Window.h"
#include "world/Run_Global.h"
#include "graphics/Room_Draw.h"
#include "runner/Run_Main.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kDraw = 8;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

class RoomDraw : public GraphicsTest {
 protected:
  void TearDown() override {
    TestWorld_Clear();
    GraphicsTest::TearDown();
  }
};

TEST_F(RoomDraw, DrawEventsRunByDepthHighestFirst) {
  RTestWorld world;
  auto object = [&](const char* name, int32_t parent, int32_t depth, const char* tag) {
    RObjectRecord r = TestWorld_Object(name, parent, {});
    if (tag) r = TestWorld_Object(name, parent, {{kDraw, 0, std::string("global.log += '") + tag + "' + string(id mod 10) + ' '"}});
    r.depth = depth;
    world.objects.push_back(r);
  };
  object("obj_front", -1, -5, "front");
  object("obj_back", -1, 10, "back");
  object("obj_child", 1, 0, nullptr);  // draws through its parent's event
  object("obj_plain", -1, 20, nullptr);
  RRoomRecord room;
  room.name = "rm";
  room.instances = {TestWorld_Instance(0, 100001), TestWorld_Instance(1, 100002), TestWorld_Instance(2, 100003),
                    TestWorld_Instance(3, 100004), TestWorld_Instance(0, 100005), TestWorld_Instance(1, 100006)};
  world.rooms.push_back(room);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  TestWorld_ClearLog();
  CRoom& current = *Room_Current();
  current.FindInstance(100005)->visible = false;
  Room_Draw(current);
  // Equal depths keep their room order; the invisible instance is skipped.
  EXPECT_EQ(TestWorld_Log(), "back2 back6 back3 front1 ");
  EXPECT_EQ(current.Instances().front()->id, 100004);  // the list stays sorted
  // A depth set by code moves the instance at the next drawing.
  ASSERT_TRUE(TestWorld_Run("depth = 15", current.FindInstance(100001)));
  TestWorld_ClearLog();
  Room_Draw(current);
  EXPECT_EQ(TestWorld_Log(), "front1 back2 back6 back3 ");
}

TEST_F(RoomDraw, LayersTilesSpritesAndForegrounds) {
  // Backgrounds: 0 blue, 1 green, both 2 x 2; sprite 0: red 4 x 4.
  RSlots<RBackgroundRecord> backgrounds(2);
  for (int i = 0; i < 2; i++) {
    backgrounds[size_t(i)].emplace();
    backgrounds[size_t(i)]->width = backgrounds[size_t(i)]->height = 2;
    backgrounds[size_t(i)]->hasImage = true;
    backgrounds[size_t(i)]->image = TestWorld_SolidImage(2, 2, i == 0 ? kBlue : kGreen);
  }
  Background_Install(backgrounds);
  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->width = sprites[0]->height = 4;
  sprites[0]->transparent = false;
  sprites[0]->images = {TestWorld_SolidImage(4, 4, kRed)};
  Sprite_Install(sprites);
  Background_CreateAllTextures();
  Sprite_CreateAllTextures();

  RTestWorld world;
  RObjectRecord object = TestWorld_Object("obj_box", -1, {});
  object.sprite = 0;
  world.objects.push_back(object);
  RRoomRecord record;
  record.name = "rm";
  record.instances = {TestWorld_Instance(0, 100001, 10, 10)};
  RRoomBackground back;
  back.visible = true;
  back.background = 0;
  RRoomBackground front = back;
  front.foreground = true;
  front.background = 1;
  front.x = front.y = 60;
  front.tileH = front.tileV = false;
  record.backgrounds = {back, front};
  RRoomTile tile;
  tile.x = tile.y = 10;
  tile.background = 1;
  tile.width = tile.height = 2;
  tile.depth = 0;
  record.tiles = {tile};
  world.rooms.push_back(record);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  Room_Draw(*Room_Current());
  CBitmap32 shot = Grab(80, 80);
  EXPECT_EQ(shot.Pixel(0, 0), kBlue);      // the tiled layer
  EXPECT_EQ(shot.Pixel(10, 10), kGreen);   // a tile of equal depth covers the instance
  EXPECT_EQ(shot.Pixel(13, 13), kRed);     // the sprite, drawn by default
  EXPECT_EQ(shot.Pixel(61, 61), kGreen);   // the foreground, not tiled
  EXPECT_EQ(shot.Pixel(62, 62), kBlue);
  Sprite_ClearTable();
  Background_ClearTable();
}

TEST_F(RoomDraw, ViewsFollowWithinTheRoomAndTheirSpeed) {
  RTestWorld world;
  world.objects.push_back(TestWorld_Object("obj_hero", -1, {}));
  RRoomRecord record;
  record.name = "rm";
  record.width = 500;
  record.height = 400;
  record.instances = {TestWorld_Instance(0, 100001, 450, 200)};
  world.rooms.push_back(record);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  CRoom& room = *Room_Current();
  room.views_enabled = true;
  CView& wide = room.views[0];
  wide = CView{};
  wide.visible = true;
  wide.object = 0;
  Room_FollowViews(room);
  EXPECT_EQ(wide.xview, -140);  // 640 wide in a room 500 wide
  EXPECT_TRUE(Window_Views[0].used);
  EXPECT_EQ(Window_Views[0].view_x, -140);

  // A speed limit of 4 towards an instance 100 pixels beyond the border.
  CView& slow = room.views[1];
  slow = CView{};
  slow.visible = true;
  slow.wview = 200;
  slow.hview = 200;
  slow.hborder = 0;
  slow.vborder = 0;
  slow.hspeed = 4;
  slow.object = 100001;
  room.FindInstance(100001)->x = 300;
  room.FindInstance(100001)->y = 0;
  Room_FollowViews(room);
  EXPECT_EQ(slow.xview, 4);
  Room_FollowViews(room);
  EXPECT_EQ(slow.xview, 8);

  // Disabled views empty the window view table and stay where they are.
  room.views_enabled = false;
  Room_FollowViews(room);
  EXPECT_FALSE(Window_Views[0].used);
  EXPECT_EQ(slow.xview, 8);
}

TEST_F(RoomDraw, PortsShowTheRoomAndTheRestHasTheWindowColour) {
  RTestWorld world;
  RRoomRecord record;
  record.name = "rm";
  world.rooms.push_back(record);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  CRoom& room = *Room_Current();
  room.background_color = 0x0000FF;  // red
  room.views_enabled = true;
  for (CView& v : room.views) v.visible = false;
  CView& view = room.views[2];
  view.visible = true;
  view.xview = view.yview = 0;
  view.wview = view.hview = 50;
  view.xport = 100;
  view.yport = 20;
  view.wport = 60;
  view.hport = 30;
  room.views[3] = view;
  room.views[3].xport = 0;
  room.views[3].yport = 0;
  Window_SetColour(0x00FF00);  // green
  Room_SetRegion(room);
  EXPECT_EQ(Window_GetRegionWidth(), 160);
  EXPECT_EQ(Window_GetRegionHeight(), 50);
  Room_Draw(room);
  CBitmap32 shot = Grab(160, 50);
  EXPECT_EQ(shot.Pixel(100, 20), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(159, 49), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(99, 20), 0xFF00FF00u);
  EXPECT_EQ(shot.Pixel(100, 19), 0xFF00FF00u);
  EXPECT_EQ(shot.Pixel(59, 29), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(60, 29), 0xFF00FF00u);
  EXPECT_EQ(shot.Pixel(30, 35), 0xFF00FF00u);

  // No view visible: only the window colour.
  room.views[2].visible = room.views[3].visible = false;
  Room_Draw(room);
  EXPECT_EQ(Grab(160, 50).Pixel(120, 30), 0xFF00FF00u);
}

TEST_F(RoomDraw, CaptionShowsScoreLivesAndHealth) {
  RTestWorld world;
  RRoomRecord record;
  record.name = "rm";
  record.caption = "Quest";
  world.rooms.push_back(record);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  CRoom& room = *Room_Current();
  Room_Draw(room);
  EXPECT_EQ(Window_GetCaption(), "Quest");  // a score of 0 is not shown until a script shows it
  Game.score = 12;
  Game.show_lives = true;
  Game.lives = 3;
  Game.show_health = true;
  Game.health = 62.5;
  Room_Draw(room);
  EXPECT_EQ(Window_GetCaption(), "Quest Score: 12 Lives: 3 Health: 62");
  Game = RGameGlobals{};
}

}  // namespace
