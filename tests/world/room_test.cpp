// Rooms: per-object lists, removal and (de)activation order, depth sorting,
// copies, tiles and the room resource built-ins.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

std::vector<int32_t> Ids(const std::vector<CInstance*>& list) {
  std::vector<int32_t> ids;
  for (const CInstance* inst : list) ids.push_back(inst->id);
  return ids;
}

// Objects 0 Base, 1 Mid (child of Base), 2 Leaf (child of Mid), 3 Other;
// rooms 0, 1 and 2 in the order 0, 2, 1; background 0 exists.
class RoomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("Base", -1, {}), TestWorld_Object("Mid", 0, {}),
                     TestWorld_Object("Leaf", 1, {}), TestWorld_Object("Other", -1, {})};
    world.rooms.resize(3);
    world.rooms[1].instances = {TestWorld_Instance(2, 100005, 7, 8, "a = 1")};
    world.rooms[1].tiles.push_back(RRoomTile{});
    world.order = {0, 2, 1};
    ASSERT_TRUE(TestWorld_Install(world));
    Resource_ClearNames(RESOURCE_BACKGROUND);
    Resource_SetName(RESOURCE_BACKGROUND, 0, "back");
    Room_SetCurrent(0, &room);
  }
  void TearDown() override { TestWorld_Clear(); }

  CRoom room;
};

TEST_F(RoomTest, ListsByObjectAndAncestorFollowRemovalAndActivation) {
  const int32_t objects[] = {2, 0, 3, 1, 2};
  for (int i = 0; i < 5; i++) room.CreateInstance(100001 + i, objects[i], 0, 0);
  EXPECT_EQ(Ids(room.ObjectInstances(2)), (std::vector<int32_t>{100001, 100005}));
  EXPECT_EQ(Ids(room.AncestorInstances(0)), (std::vector<int32_t>{100001, 100002, 100004, 100005}));
  EXPECT_EQ(Ids(room.AncestorInstances(1)), (std::vector<int32_t>{100001, 100004, 100005}));
  EXPECT_TRUE(room.AncestorInstances(77).empty());
  EXPECT_TRUE(room.AncestorInstances(-3).empty());

  Instance_MarkDestroyed(room.FindInstance(100001));
  EXPECT_EQ(room.FindInstance(100001), nullptr);
  room.RemoveDestroyed();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100002, 100003, 100004, 100005}));
  EXPECT_EQ(Ids(room.AncestorInstances(1)), (std::vector<int32_t>{100004, 100005}));

  room.FindInstance(100002)->deactivated = true;
  room.FindInstance(100004)->deactivated = true;
  room.ApplyActivation();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100003, 100005}));
  EXPECT_EQ(Ids(room.Deactivated()), (std::vector<int32_t>{100002, 100004}));
  EXPECT_EQ(room.FindInstance(100004), nullptr);
  // One woken and one put to sleep in the same application.
  room.Deactivated()[1]->deactivated = false;
  room.FindInstance(100003)->deactivated = true;
  room.ApplyActivation();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100005, 100004}));
  EXPECT_EQ(Ids(room.Deactivated()), (std::vector<int32_t>{100002, 100003}));
  EXPECT_EQ(Ids(room.AncestorInstances(0)), (std::vector<int32_t>{100005, 100004}));

  // Many ids: the index grows and keeps finding every one.
  for (int i = 0; i < 300; i++) room.CreateInstance(200000 + i, 3, 0, 0);
  for (int i = 0; i < 300; i += 37) EXPECT_EQ(room.FindInstance(200000 + i)->id, 200000 + i);
  EXPECT_EQ(room.FindInstance(100002), nullptr);
}

TEST_F(RoomTest, SortByDepthIsStable) {
  const double depths[] = {0, 5, 0, -3, 5};
  for (int i = 0; i < 5; i++) room.CreateInstance(100001 + i, 3, 0, 0)->depth = depths[i];
  room.SortInstancesByDepth();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100002, 100005, 100001, 100003, 100004}));
  // Kept sorted: a depth set, an instance joining, one woken all count.
  room.FindInstance(100004)->SetDepth(7);
  room.SortInstancesByDepth();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100004, 100002, 100005, 100001, 100003}));
  room.CreateInstance(100006, 3, 0, 0)->depth = 6;
  room.SortInstancesByDepth();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100004, 100006, 100002, 100005, 100001, 100003}));
  room.FindInstance(100004)->deactivated = true;
  room.ApplyActivation();
  room.Deactivated()[0]->deactivated = false;
  room.ApplyActivation();
  room.SortInstancesByDepth();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100004, 100006, 100002, 100005, 100001, 100003}));
  for (double d : {1.0, 9.0, 1.0}) room.tiles.push_back(RTile{.depth = d, .id = static_cast<int32_t>(d * 10 + room.tiles.size())});
  room.SortTilesByDepth();
  EXPECT_EQ(room.tiles[0].id, 91);
  EXPECT_EQ(room.tiles[1].id, 10);
  EXPECT_EQ(room.tiles[2].id, 12);
}

TEST_F(RoomTest, RemovalFindsEveryMarkedInstance) {
  for (int i = 0; i < 4; i++) room.CreateInstance(100001 + i, 3, 0, 0);
  room.RemoveDestroyed();
  EXPECT_EQ(room.Instances().size(), 4u);
  // Arriving marked (a copy of a marked one, a saved game) is seen too.
  CInstance* marked = Instance_New();
  marked->Create(100009, 3, 0, 0);
  marked->destroyed = true;
  room.AdoptInstance(marked);
  room.RemoveDestroyed();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100001, 100002, 100003, 100004}));
  // A mark made while another room was scanned still reaches this one.
  CRoom other;
  Instance_MarkDestroyed(other.CreateInstance(100020, 3, 0, 0));
  Instance_MarkDestroyed(room.FindInstance(100002));
  other.RemoveDestroyed();
  room.RemoveDestroyed();
  EXPECT_EQ(Ids(room.Instances()), (std::vector<int32_t>{100001, 100003, 100004}));
  EXPECT_TRUE(other.Instances().empty());
  CRoom copy;
  Instance_MarkDestroyed(room.FindInstance(100003));
  copy.CopyFrom(room);
  copy.RemoveDestroyed();
  EXPECT_EQ(Ids(copy.Instances()), (std::vector<int32_t>{100001, 100004}));
}

TEST_F(RoomTest, CopyTakesInstancesWithIdsVariablesAndCode) {
  CRoom copy;
  copy.CopyFrom(*Room_Resource(1));
  ASSERT_EQ(copy.Instances().size(), 1u);
  CInstance* inst = copy.FindInstance(100005);
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(inst->x, 7);
  EXPECT_EQ(inst->creation_code, "a = 1");
  EXPECT_EQ(Ids(copy.AncestorInstances(0)), (std::vector<int32_t>{100005}));
  EXPECT_EQ(copy.tiles.size(), 1u);
  EXPECT_NE(inst, Room_Resource(1)->Instances()[0]);
}

TEST_F(RoomTest, RoomResourceBuiltins) {
  EXPECT_EQ(CallByName("room_next", {RValue(1)}).real, -1);  // last of the order
  EXPECT_EQ(CallByName("room_previous", {RValue(0)}).real, -1);
  EXPECT_EQ(CallByName("room_next", {RValue(0)}).real, 2);
  EXPECT_EQ(CallByName("room_previous", {RValue(1)}).real, 2);
  int32_t added = static_cast<int32_t>(CallByName("room_add").real);
  EXPECT_EQ(added, 3);
  EXPECT_EQ(CallByName("room_name", {RValue(added)}).str, "__newroom3");
  EXPECT_EQ(CallByName("room_get_name", {RValue(9)}).str, "<undefined>");
  EXPECT_EQ(CallByName("room_next", {RValue(added)}).real, -1);
  EXPECT_EQ(CallByName("room_previous", {RValue(added)}).real, -1);

  CallByName("room_set_width", {RValue(added), RValue(800)});
  CallByName("room_set_caption", {RValue(added), Str("Hi")});
  CallByName("room_set_persistent", {RValue(added), RValue(1)});
  CallByName("room_set_background", {RValue(added), RValue(2), RValue(1), RValue(0), RValue(0), RValue(5), RValue(6),
                                     RValue(1), RValue(0), RValue(1), RValue(2), RValue(0.5)});
  CallByName("room_set_background", {RValue(added), RValue(8), RValue(1), RValue(0), RValue(0), RValue(5), RValue(6),
                                     RValue(1), RValue(0), RValue(1), RValue(2), RValue(0.5)});
  const CRoom* r = Room_Resource(added);
  EXPECT_EQ(r->width, 800);
  EXPECT_EQ(r->caption, "Hi");
  EXPECT_TRUE(r->persistent);
  EXPECT_TRUE(r->backgrounds[2].visible);
  EXPECT_EQ(r->backgrounds[2].vspeed, 2);
  EXPECT_FALSE(r->backgrounds[2].tile_v);
  EXPECT_EQ(r->backgrounds[2].alpha, 0.5);

  int32_t id = static_cast<int32_t>(CallByName("room_instance_add", {RValue(added), RValue(1), RValue(2), RValue(3)}).real);
  EXPECT_EQ(id, 100101);
  EXPECT_EQ(CallByName("room_tile_add", {RValue(added), RValue(0), RValue(0), RValue(0), RValue(16), RValue(16),
                                         RValue(0), RValue(0), RValue(10)}).real,
            0);
  EXPECT_EQ(CallByName("room_tile_add_ext", {RValue(added), RValue(0), RValue(0), RValue(0), RValue(16), RValue(16),
                                             RValue(0), RValue(0), RValue(10), RValue(2), RValue(3), RValue(0.5)}).real,
            1);  // a position, not an id
  EXPECT_EQ(r->tiles[1].yscale, 3);
  Error_Reset();
  CallByName("room_tile_add", {RValue(added), RValue(4), RValue(0), RValue(0), RValue(16), RValue(16), RValue(0),
                               RValue(0), RValue(10)});
  EXPECT_EQ(ReportedError(), "Background does not exist.");
  EXPECT_EQ(r->tiles.size(), 2u);

  int32_t dup = static_cast<int32_t>(CallByName("room_duplicate", {RValue(added)}).real);
  EXPECT_EQ(Room_Resource(dup)->width, 800);
  EXPECT_EQ(Room_Resource(dup)->Instances()[0]->id, 100101);
  Error_Reset();
  CallByName("room_duplicate", {RValue(30)});
  EXPECT_EQ(ReportedError(), "Trying to duplicate non-existing room.");
  Error_Reset();
  CallByName("room_assign", {RValue(7), RValue(0)});
  EXPECT_EQ(ReportedError(), "Error assigning a room.");
  Error_Reset();
  CallByName("room_assign", {RValue(0), RValue(added)});
  EXPECT_EQ(ReportedError(), "");
  EXPECT_EQ(Room_Resource(0)->width, 800);
  CallByName("room_instance_clear", {RValue(0)});
  CallByName("room_tile_clear", {RValue(0)});
  EXPECT_TRUE(Room_Resource(0)->Instances().empty());
  EXPECT_TRUE(Room_Resource(0)->tiles.empty());
}

TEST_F(RoomTest, TileBuiltinsOnTheCurrentRoom) {
  auto add = [](double x, double y, double depth) {
    return static_cast<int32_t>(CallByName("tile_add", {RValue(0), RValue(1), RValue(2), RValue(10), RValue(10),
                                                        RValue(x), RValue(y), RValue(depth)})
                                    .real);
  };
  Tile_LastId = 10000000;
  int32_t fore = add(0, 0, -1), zero = add(20, 0, 0), back = add(40, 0, 5);
  EXPECT_EQ(fore, 10000001);
  EXPECT_EQ(back, 10000003);
  EXPECT_EQ(CallByName("tile_get_left", {RValue(fore)}).real, 1);
  EXPECT_EQ(CallByName("tile_get_visible", {RValue(fore)}).real, 1);
  EXPECT_EQ(CallByName("tile_get_blend", {RValue(fore)}).real, 0xFFFFFF);

  // Finding excludes the right and bottom edges; depth 0 counts as background.
  EXPECT_EQ(CallByName("tile_find", {RValue(5), RValue(5), RValue(1)}).real, fore);
  EXPECT_EQ(CallByName("tile_find", {RValue(10), RValue(5), RValue(1)}).real, -1);
  EXPECT_EQ(CallByName("tile_find", {RValue(25), RValue(5), RValue(0)}).real, zero);
  EXPECT_EQ(CallByName("tile_find", {RValue(25), RValue(5), RValue(1)}).real, -1);
  EXPECT_EQ(CallByName("tile_layer_find", {RValue(5), RValue(49), RValue(9)}).real, back);
  EXPECT_EQ(CallByName("tile_layer_find", {RValue(5), RValue(50), RValue(9)}).real, -1);

  CallByName("tile_set_position", {RValue(back), RValue(100), RValue(100)});
  CallByName("tile_set_scale", {RValue(back), RValue(2), RValue(3)});
  CallByName("tile_set_alpha", {RValue(back), RValue(0.25)});
  CallByName("tile_layer_shift", {RValue(5), RValue(1), RValue(-1)});
  EXPECT_EQ(CallByName("tile_get_x", {RValue(back)}).real, 101);
  EXPECT_EQ(CallByName("tile_get_yscale", {RValue(back)}).real, 3);
  EXPECT_EQ(CallByName("tile_get_alpha", {RValue(back)}).real, 0.25);
  CallByName("tile_layer_hide", {RValue(5)});
  EXPECT_EQ(CallByName("tile_get_visible", {RValue(back)}).real, 0);
  CallByName("tile_layer_depth", {RValue(5), RValue(-2)});
  EXPECT_EQ(CallByName("tile_get_depth", {RValue(back)}).real, -2);

  // Deleting at a point includes the edges, and depth 0 in both modes.
  CallByName("tile_delete_at", {RValue(30), RValue(10), RValue(1)});
  EXPECT_EQ(CallByName("tile_exists", {RValue(zero)}).real, 0);
  CallByName("tile_delete_at", {RValue(10), RValue(10), RValue(0)});
  EXPECT_EQ(CallByName("tile_exists", {RValue(fore)}).real, 1);
  CallByName("tile_delete_at", {RValue(10), RValue(10), RValue(1)});
  EXPECT_EQ(CallByName("tile_exists", {RValue(fore)}).real, 0);
  EXPECT_EQ(CallByName("tile_exists", {RValue(back)}).real, 1);
  CallByName("tile_layer_delete", {RValue(-2)});
  EXPECT_TRUE(room.tiles.empty());

  Error_Reset();
  CallByName("tile_get_x", {RValue(back)});
  EXPECT_EQ(ReportedError(), "Tile does not exist.");
  Error_Reset();
  EXPECT_EQ(add(0, 0, 0), 10000004);  // ids are never handed out twice
  EXPECT_EQ(ReportedError(), "");
  Error_Reset();
  CallByName("tile_add", {RValue(3), RValue(1), RValue(2), RValue(10), RValue(10), RValue(0), RValue(0), RValue(0)});
  EXPECT_EQ(ReportedError(), "Background does not exist.");
}

}  // namespace
