// Instances: defaults from the object, motion components, the bounding box
// with a stand-in sprite table, copying, and the instance built-ins in a
// room.
#include <gtest/gtest.h>

#include <cmath>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/Option_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Code_Variable.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

// Sprite 0: 32 x 32, origin (16, 16), 3 images, precise. Sprite 1: a 10 x 4
// box at (2, 2) with origin 0, one image.
bool FakeSprites(int32_t sprite, RSpriteShape& out) {
  if (sprite == 0) {
    out = RSpriteShape{3, 0, 0, 31, 31, 16, 16, true};
    return true;
  }
  if (sprite == 1) {
    out = RSpriteShape{1, 2, 2, 11, 5, 0, 0, false};
    return true;
  }
  return false;
}

struct RBox {
  int32_t left, top, right, bottom;
  bool operator==(const RBox&) const = default;
};
RBox BoxOf(const CInstance& inst) { return {inst.bbox_left, inst.bbox_top, inst.bbox_right, inst.bbox_bottom}; }
std::ostream& operator<<(std::ostream& os, const RBox& b) {
  return os << b.left << "," << b.top << "," << b.right << "," << b.bottom;
}

TEST(Instance, MotionComponentsFollowEachOther) {
  CInstance inst;
  inst.SetHspeed(3);
  inst.SetVspeed(-4);
  EXPECT_EQ(inst.speed, 5);
  EXPECT_NEAR(inst.direction, 53.130102, 1e-6);
  inst.SetDirection(90);
  EXPECT_EQ(inst.hspeed, 0);  // snapped, not 3e-16
  EXPECT_EQ(inst.vspeed, -5);
  inst.SetDirection(-90);
  EXPECT_EQ(inst.direction, 270);
  EXPECT_EQ(inst.vspeed, 5);
  inst.SetSpeed(2);
  EXPECT_EQ(inst.vspeed, 2);
  inst.SetVspeed(0);
  EXPECT_EQ(inst.direction, 0);
  EXPECT_EQ(inst.speed, 0);
  inst.AddMotion(180, 1.5);
  EXPECT_EQ(inst.hspeed, -1.5);
  EXPECT_EQ(inst.direction, 180);
  inst.SetHspeed(0);
  inst.SetVspeed(0.00005);  // within 0.0001 of 0: the speed snaps, the direction does not
  EXPECT_EQ(inst.speed, 0);
  EXPECT_EQ(inst.direction, 270);
}

TEST(Instance, AlarmsAndPathPositionsStayInRange) {
  CInstance inst;
  inst.SetAlarm(11, 5);
  inst.SetAlarm(12, 5);
  inst.SetAlarm(-1, 5);
  EXPECT_EQ(inst.GetAlarm(11), 5);
  EXPECT_EQ(inst.GetAlarm(12), -1);
  EXPECT_EQ(inst.GetAlarm(0), -1);
  const double cases[][2] = {{-1, 0}, {0.25, 0.25}, {2, 1}, {NAN, 0}};
  for (const auto& c : cases) {
    inst.SetPathPosition(c[0]);
    inst.SetPathPositionPrevious(c[0]);
    EXPECT_EQ(inst.path_position, c[1]) << c[0];
    EXPECT_EQ(inst.path_positionprevious, c[1]) << c[0];
  }
}

TEST(Instance, BoundingBoxFromSpriteOrMask) {
  Instance_SetSpriteSource(FakeSprites);
  CInstance inst;
  inst.Create(100001, -1, 100, 100);  // no object: no sprite
  EXPECT_EQ(BoxOf(inst), (RBox{-100000, -100000, -100000, -100000}));
  EXPECT_FALSE(inst.precise);
  inst.SetSprite(0);
  EXPECT_EQ(BoxOf(inst), (RBox{84, 84, 115, 115}));
  EXPECT_TRUE(inst.precise);
  inst.SetXScale(-1);  // mirrored about x, left <= right kept
  EXPECT_EQ(BoxOf(inst), (RBox{83, 84, 116, 115}));
  inst.SetXScale(1);
  inst.SetAngle(90);
  EXPECT_EQ(BoxOf(inst), (RBox{84, 85, 115, 116}));
  inst.SetAngle(0);
  inst.SetYScale(2);
  EXPECT_EQ(BoxOf(inst), (RBox{84, 68, 115, 131}));
  inst.SetYScale(1);
  inst.SetMask(1);  // the mask gives the shape
  EXPECT_EQ(BoxOf(inst), (RBox{102, 102, 111, 105}));
  EXPECT_FALSE(inst.precise);
  inst.SetPosition(0, 0);
  EXPECT_EQ(BoxOf(inst), (RBox{2, 2, 11, 5}));
  inst.SetMask(7);  // a mask that names no sprite: no shape, whatever the sprite
  EXPECT_EQ(inst.bbox_left, -100000);
  // Sides at halves round to even, on both sides of 0; a
  // shape passed in gives the box the lookup would.
  inst.SetMask(1);
  RSpriteShape box;
  ASSERT_TRUE(FakeSprites(1, box));
  for (double x : {-4.5, -3.5, -2.5, -1.5, -0.5, 0.5, 1.5, 2.5, -2.49999, 7.500001, 1e9 + 0.5, -1e9 - 0.5}) {
    inst.SetPosition(x - 2, 0, &box);
    EXPECT_EQ(inst.bbox_left, static_cast<int32_t>(std::nearbyint(x))) << x;
  }
  inst.SetMask(7);

  // The image index goes back to 0 only past the new sprite's images.
  inst.image_index = 2.7;
  inst.SetSprite(0);
  EXPECT_EQ(inst.image_index, 2.7);
  inst.image_index = 3;
  inst.SetSprite(0);
  EXPECT_EQ(inst.image_index, 0);
  inst.image_index = 1;
  inst.SetSprite(5);
  EXPECT_EQ(inst.image_index, 0);
  Instance_SetSpriteSource(nullptr);
}

TEST(Instance, CopyResetAndRecycling) {
  CInstance a;
  a.Create(100007, -1, 3, 4);
  a.SetAlarm(2, 9);
  a.variables.Set(100500, 0, RValue(8));
  a.creation_code = "x = 1";
  CInstance b;
  b.CopyFrom(a);
  EXPECT_EQ(b.id, 100007);
  EXPECT_EQ(b.x, 3);
  EXPECT_EQ(b.GetAlarm(2), 9);
  EXPECT_EQ(b.creation_code, "x = 1");
  RValue v;
  ASSERT_TRUE(b.variables.Get(100500, 0, v));
  EXPECT_EQ(v.real, 8);
  b.Reset();
  EXPECT_EQ(b.id, 0);
  EXPECT_EQ(b.GetAlarm(2), -1);
  EXPECT_EQ(b.variables.Count(), 0);
  EXPECT_TRUE(b.creation_code.empty());

  CInstance* pooled = Instance_New();
  pooled->CopyFrom(a);
  Instance_Free(pooled);
  CInstance* again = Instance_New();
  EXPECT_EQ(again->id, 0);  // a recycled instance starts afresh
  EXPECT_EQ(again->variables.Count(), 0);
  Instance_Free(again);
}

// Objects: 0 Ball (sprite 0, depth 5, solid), 1 Block (sprite 1, mask 0,
// persistent, invisible), 2 Small (child of Ball).
class InstanceBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    Instance_SetSpriteSource(FakeSprites);
    RTestWorld world;
    world.objects = {
        TestWorld_Object("Ball", -1,
                         {{EV_CREATE, 0, "global.log += 'c'"}, {EV_DESTROY, 0, "global.log += 'd'"}}),
        TestWorld_Object("Block", -1, {{EV_CREATE, 0, "global.log += 'C'"}}),
        TestWorld_Object("Small", 0, {}),
    };
    world.objects[0].sprite = 0;
    world.objects[0].depth = 5;
    world.objects[0].solid = true;
    world.objects[1].sprite = 1;
    world.objects[1].mask = 0;
    world.objects[1].persistent = true;
    world.objects[1].visible = false;
    world.rooms.emplace_back();
    ASSERT_TRUE(TestWorld_Install(world));
    Room_SetCurrent(0, &room);
    TestWorld_ClearLog();
  }
  void TearDown() override {
    TestWorld_Clear();
    Instance_SetSpriteSource(nullptr);
  }

  int32_t Create(double x, double y, int32_t object) {
    return static_cast<int32_t>(CallByName("instance_create", {RValue(x), RValue(y), RValue(object)}).real);
  }
  // Runs a built-in with `self` as self and other.
  RValue CallFor(CInstance* self, const char* name, std::initializer_list<RValue> args = {}) {
    RValue slots[MAX_ARGUMENTS];
    std::copy(args.begin(), args.end(), slots);
    RValue result;
    CallBuiltin(Function_BuiltinIdOf(name), self, self, static_cast<int>(args.size()), slots, result);
    return result;
  }

  CRoom room;
};

TEST_F(InstanceBuiltins, CreateGivesNewIdsAndObjectDefaults) {
  EXPECT_EQ(Create(10, 20, 0), 100101);
  EXPECT_EQ(Create(0, 0, 1), 100102);
  EXPECT_EQ(TestWorld_Log(), "cC");
  CInstance* ball = Room_FindInstance(100101);
  ASSERT_NE(ball, nullptr);
  EXPECT_EQ(ball->x, 10);
  EXPECT_EQ(ball->xstart, 10);
  EXPECT_EQ(ball->yprevious, 20);
  EXPECT_EQ(ball->depth, 5);
  EXPECT_TRUE(ball->solid);
  EXPECT_EQ(ball->bbox_left, -6);
  CInstance* block = Room_FindInstance(100102);
  EXPECT_EQ(block->mask_index, 0);
  EXPECT_TRUE(block->persistent);
  EXPECT_FALSE(block->visible);

  Error_Reset();
  EXPECT_EQ(Create(0, 0, 9), -4);
  EXPECT_EQ(ReportedError(), "Creating instance for non-existing object: 9");
  EXPECT_EQ(room.Instances().size(), 2u);
  EXPECT_EQ(Create(0, 0, 0), 100103);  // the failure consumed no id
}

TEST_F(InstanceBuiltins, DestroyInCreateEventRunsDestroyAndRemovesLater) {
  CallByName("object_event_add", {RValue(2), RValue(EV_CREATE), RValue(0), Str("instance_destroy(); instance_destroy()")});
  int32_t id = Create(0, 0, 2);
  EXPECT_EQ(TestWorld_Log(), "d");  // own create hides Ball's; destroyed once
  EXPECT_EQ(Room_FindInstance(id), nullptr);
  ASSERT_EQ(room.Instances().size(), 1u);
  EXPECT_TRUE(room.Instances()[0]->destroyed);
  EXPECT_EQ(CallByName("instance_number", {RValue(0)}).real, 0);
  room.RemoveDestroyed();
  EXPECT_TRUE(room.Instances().empty());
}

TEST_F(InstanceBuiltins, ChangeKeepsStateAndTakesTheNewObjectsLooks) {
  CInstance* ball = Room_FindInstance(Create(50, 60, 0));
  ball->SetHspeed(2);
  ball->SetAlarm(3, 7);
  ball->image_index = 2;
  ball->variables.Set(100500, 0, RValue(1));
  TestWorld_ClearLog();
  CallFor(ball, "instance_change", {RValue(1), RValue(0)});
  EXPECT_EQ(TestWorld_Log(), "");
  EXPECT_TRUE(ball->destroyed);
  CInstance* block = Room_FindInstance(100101);
  ASSERT_NE(block, nullptr);
  EXPECT_NE(block, ball);
  EXPECT_EQ(block->object_index, 1);
  EXPECT_EQ(block->x, 50);
  EXPECT_EQ(block->hspeed, 2);
  EXPECT_EQ(block->GetAlarm(3), 7);
  EXPECT_EQ(block->image_index, 0);  // past the one image of sprite 1
  EXPECT_EQ(block->sprite_index, 1);
  EXPECT_TRUE(block->persistent);
  EXPECT_FALSE(block->solid);
  EXPECT_EQ(block->variables.Count(), 1);
  EXPECT_EQ(Instance_LastId, 100102);  // one id consumed
  EXPECT_EQ(Room_ObjectInstances(1).size(), 1u);

  CallFor(block, "instance_change", {RValue(0), RValue(1)});
  EXPECT_EQ(TestWorld_Log(), "c");  // Block has no destroy event; Ball's create runs
  Error_Reset();
  CallFor(Room_FindInstance(100101), "instance_change", {RValue(8), RValue(1)});
  EXPECT_EQ(ReportedError(), "Asking to change into non-existing object: 8");
}

TEST_F(InstanceBuiltins, CopyTakesEveryFieldButTheId) {
  CInstance* ball = Room_FindInstance(Create(5, 6, 0));
  ball->variables.Set(100500, 0, RValue(4));
  ball->SetSpeed(3);
  TestWorld_ClearLog();
  int32_t copy = static_cast<int32_t>(CallFor(ball, "instance_copy", {RValue(0)}).real);
  EXPECT_EQ(TestWorld_Log(), "");
  CInstance* twin = Room_FindInstance(copy);
  ASSERT_NE(twin, nullptr);
  EXPECT_EQ(copy, 100102);  // the copy's own new id
  EXPECT_EQ(twin->speed, 3);
  EXPECT_EQ(twin->variables.Count(), 1);
  CallFor(ball, "instance_copy", {RValue(1)});
  EXPECT_EQ(TestWorld_Log(), "c");
}

TEST_F(InstanceBuiltins, SelectorsCountFindAndMeasure) {
  Create(0, 0, 0);       // 100101 Ball
  Create(30, 40, 2);     // 100102 Small
  Create(200000, 0, 2);  // 100103 Small, far away
  Create(3, 4, 1);       // 100104 Block
  CInstance* self = Room_FindInstance(100104);
  auto call = [&](const char* name, std::initializer_list<RValue> args) { return CallFor(self, name, args).real; };
  EXPECT_EQ(call("instance_number", {RValue(0)}), 3);  // Ball and its children
  EXPECT_EQ(call("instance_number", {RValue(-3)}), 4);
  EXPECT_EQ(call("instance_number", {RValue(-1)}), 1);
  EXPECT_EQ(call("instance_number", {RValue(100102)}), 1);
  EXPECT_EQ(call("instance_exists", {RValue(2)}), 1);
  EXPECT_EQ(call("instance_exists", {RValue(100099)}), 0);
  EXPECT_EQ(call("instance_find", {RValue(0), RValue(2)}), 100103);
  EXPECT_EQ(call("instance_find", {RValue(-3), RValue(3)}), 100104);
  EXPECT_EQ(call("instance_find", {RValue(-1), RValue(0)}), -4);
  EXPECT_EQ(call("instance_find", {RValue(100102), RValue(0)}), 100102);
  EXPECT_EQ(call("instance_find", {RValue(100102), RValue(1)}), -4);
  EXPECT_EQ(call("instance_nearest", {RValue(0), RValue(0), RValue(2)}), 100102);
  EXPECT_EQ(call("instance_nearest", {RValue(200000), RValue(0), RValue(-3)}), 100103);
  EXPECT_EQ(call("instance_nearest", {RValue(0), RValue(0), RValue(100101)}), -4);
  EXPECT_EQ(call("instance_nearest", {RValue(-150000), RValue(0), RValue(2)}), -4);
  EXPECT_EQ(call("instance_furthest", {RValue(0), RValue(0), RValue(-3)}), 100103);
  EXPECT_EQ(call("instance_furthest", {RValue(0), RValue(0), RValue(-1)}), -4);
  // Ties go to the first in order.
  Create(0, 0, 0);
  EXPECT_EQ(call("instance_nearest", {RValue(0), RValue(0), RValue(0)}), 100101);
  Instance_MarkDestroyed(Room_FindInstance(100101));
  EXPECT_EQ(call("instance_nearest", {RValue(0), RValue(0), RValue(0)}), 100105);
  EXPECT_EQ(call("instance_number", {RValue(0)}), 3);
}

TEST_F(InstanceBuiltins, DeactivationHidesAndFreezesUntilActivated) {
  int32_t a = Create(0, 0, 0), b = Create(500, 500, 2), c = Create(10, 10, 1);
  CInstance* self = Room_FindInstance(a);
  self->SetAlarm(0, 4);
  CallFor(self, "instance_deactivate_all", {RValue(1)});
  EXPECT_EQ(CallFor(self, "instance_number", {RValue(-3)}).real, 1);
  EXPECT_EQ(Room_FindInstance(b), nullptr);
  EXPECT_EQ(room.Deactivated().size(), 2u);
  EXPECT_EQ(self->GetAlarm(0), 4);
  CallFor(self, "instance_activate_object", {RValue(0)});  // b is a Small, a child of Ball
  EXPECT_EQ(room.Instances().back()->id, b);
  EXPECT_EQ(Room_ObjectInstances(0).size(), 2u);
  EXPECT_EQ(Room_FindInstance(c), nullptr);

  // Regions: a shape counts when its box overlaps the rectangle, edges
  // included (c, a Block with mask 0 at (10, 10), has the box -6..25); an
  // instance without a shape by its position (b, a Small, has no sprite).
  CallFor(self, "instance_activate_all");
  CallFor(self, "instance_deactivate_region", {RValue(25), RValue(25), RValue(10), RValue(10), RValue(1), RValue(1)});
  EXPECT_EQ(Room_FindInstance(c), nullptr);
  EXPECT_NE(Room_FindInstance(a), nullptr);
  EXPECT_NE(Room_FindInstance(b), nullptr);
  CallFor(self, "instance_deactivate_region", {RValue(495), RValue(495), RValue(5), RValue(5), RValue(1), RValue(1)});
  EXPECT_EQ(Room_FindInstance(b), nullptr);
  CallFor(self, "instance_activate_region", {RValue(495), RValue(495), RValue(10), RValue(10), RValue(0)});
  EXPECT_NE(Room_FindInstance(c), nullptr);  // outside that rectangle
  EXPECT_EQ(Room_FindInstance(b), nullptr);
  CallFor(self, "instance_deactivate_object", {RValue(-1)});
  EXPECT_EQ(Room_FindInstance(a), nullptr);
  CallByName("instance_activate_all");
  EXPECT_EQ(room.Instances().size(), 3u);
  EXPECT_TRUE(room.Deactivated().empty());
  EXPECT_EQ(room.Instances().back()->id, a);
}

TEST_F(InstanceBuiltins, SpriteMustExist) {
  CInstance* ball = Room_FindInstance(Create(0, 0, 0));
  Error_Reset();
  CallFor(ball, "instance_sprite", {RValue(4)});
  EXPECT_EQ(ReportedError(), "Setting instance to non-existing sprite: 4");
  EXPECT_EQ(ball->sprite_index, 0);
  CallFor(ball, "instance_sprite", {RValue(1)});
  EXPECT_EQ(ball->sprite_index, 1);
  EXPECT_EQ(ball->bbox_right, 11);
}

// The variables of self, other and an object's instances, read and written
// in their stores: a value replaced by one of the other kind keeps no old
// text (saved games write every field), and a missing one fails or reads 0.
TEST_F(InstanceBuiltins, UserVariablesOfSelfOtherAndObjects) {
  CInstance* a = Room_FindInstance(Create(0, 0, 0));
  CInstance* b = Room_FindInstance(Create(0, 0, 1));
  auto run = [&](const char* text) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << RecordedError();
    RValue result;
    bool ok = Execute(a, b, code, result);
    if (!ok) return "ERROR " + RecordedError().substr(RecordedError().rfind(": ") + 2);
    return TestWorld_Log();
  };
  EXPECT_EQ(run("v = 'text'; v = 2; self.w = 'a'; self.w += 'b'; other.u = 3; other.u += 1; other.u *= 2; "
                "arr[3] = 'x'; arr[3] = 5; Ball.k = 7; "
                "global.log = string(v) + w + string(other.u) + string(arr[3]) + string(k) + string(self.k)"),
            "2ab8577");
  const RValue* v = a->variables.Find(VariableIdOf("v"), 0);
  const RValue* element = a->variables.Find(VariableIdOf("arr"), 3);
  ASSERT_TRUE(v && element);
  EXPECT_TRUE(v->IsReal() && v->real == 2 && v->str.empty());
  EXPECT_TRUE(element->IsReal() && element->real == 5 && element->str.empty());
  EXPECT_EQ(b->variables.Find(VariableIdOf("w"), 0), nullptr);
  EXPECT_EQ(b->variables.Find(VariableIdOf("u"), 0)->real, 8);

  EXPECT_EQ(run("global.log = string(other.missing)"), "ERROR Unknown variable missing");
  EXPECT_EQ(run("self.missing += 1"), "ERROR Unknown variable missing");
  EXPECT_EQ(run("global.log = string(arr[9])"), "ERROR Unknown variable arr or array index out of bounds");
  Settings.UninitializedAsZero = true;
  EXPECT_EQ(run("other.missing += 2; global.log = string(self.missing) + string(arr[9]) + string(other.missing)"),
            "002");
  Settings.UninitializedAsZero = false;
}

}  // namespace
