// Room drawing on a headless device: the draw events of the instances, by
// depth, highest first.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "graphics/Room_Draw.h"
#include "runner/Run_Main.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kDraw = 8;

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
}

}  // namespace
