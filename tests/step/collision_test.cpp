// Motion and collisions: the motion setters, the shape tests, the place and
// move built-ins, and the collision phase of the step with its solid rule.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "graphics/Sprite_Main.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "step/Run_Handle_Collision.h"
#include "step/Run_Step.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Function_Math.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

enum : int32_t { kBox = 0, kCentred = 1, kNoImages = 2 };

// Sprite 0: a 10 x 10 box with the origin at its corner; 1: a 20 x 20 box
// with the origin at its centre; 2: a precise sprite without images.
bool Shapes(int32_t sprite, RSpriteShape& out) {
  switch (sprite) {
    case kBox: out = RSpriteShape{1, 0, 0, 9, 9, 0, 0, false}; return true;
    case kCentred: out = RSpriteShape{1, 0, 0, 19, 19, 10, 10, false}; return true;
    case kNoImages: out = RSpriteShape{0, 0, 0, 9, 9, 0, 0, true}; return true;
    default: return false;
  }
}

// A loose instance (no room) with a sprite at a position.
struct RLoose {
  CInstance inst;
  RLoose(int32_t sprite, double x, double y) {
    inst.Create(INSTANCE_ID_BASE + 1, -1, x, y);
    inst.SetSprite(sprite);
  }
};

class Collision : public ::testing::Test {
 protected:
  void SetUp() override { Instance_SetSpriteSource(Shapes); }
  void TearDown() override {
    TestWorld_Clear();
    IO_ClearAll();
    Instance_SetSpriteSource(nullptr);
  }
  // Installs the world and starts the game in its first room.
  void Play(RTestWorld& world) {
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    IO_ClearAll();
    StartGame();
    TestWorld_ClearLog();
  }
  // The value of an expression evaluated with self the instance, as text.
  std::string Eval(const std::string& expr, CInstance* self) {
    TestWorld_ClearLog();
    EXPECT_TRUE(TestWorld_Run("global.log = string(" + expr + ")", self)) << expr << ": " << Error_Last();
    return TestWorld_Log();
  }
  void Run(const std::string& code, CInstance* self) { EXPECT_TRUE(TestWorld_Run(code, self)) << code; }
  std::string StepLog() {
    TestWorld_ClearLog();
    DoStep();
    return TestWorld_Log();
  }
  static CInstance* Id(int32_t id) { return Room_FindInstance(id); }
};

RObjectRecord Object(const std::string& name, int32_t sprite, bool solid, int32_t parent = -1,
                     std::vector<REventSpec> events = {}) {
  RObjectRecord r = TestWorld_Object(name, parent, std::move(events));
  r.sprite = sprite;
  r.solid = solid;
  return r;
}

std::string Xy(const CInstance* inst) {
  char text[64];
  std::snprintf(text, sizeof text, "%g,%g", inst->x, inst->y);
  return text;
}

// ---- Motion fields ----

TEST(CollisionMotion, SettersKeepTheFieldsInAgreement) {
  CInstance inst;
  inst.SetHspeed(3);
  inst.SetVspeed(-4);
  EXPECT_NEAR(inst.direction, 53.130102, 1e-6);
  EXPECT_EQ(inst.speed, 5);
  inst.SetDirection(90);
  inst.SetSpeed(2);
  EXPECT_EQ(inst.hspeed, 0);  // not 1.2e-16
  EXPECT_EQ(inst.vspeed, -2);
  inst.SetDirection(-90);
  EXPECT_EQ(inst.direction, 270);
  EXPECT_EQ(inst.vspeed, 2);
  inst.SetDirection(720);
  EXPECT_EQ(inst.direction, 0);
  EXPECT_EQ(inst.hspeed, 2);
  inst.AddMotion(90, 2);  // (2, 0) + (0, -2)
  EXPECT_EQ(inst.direction, 45);
  EXPECT_NEAR(inst.speed, std::sqrt(8.0), 1e-12);

  // Friction stops instead of reversing; a negative one accelerates.
  inst.SetSpeed(0.3);
  inst.friction = 0.5;
  Collision_ApplyFrictionGravity(&inst);
  EXPECT_EQ(inst.speed, 0);
  inst.SetSpeed(-3);
  Collision_ApplyFrictionGravity(&inst);
  EXPECT_EQ(inst.speed, -2.5);
  inst.friction = -1;
  Collision_ApplyFrictionGravity(&inst);
  EXPECT_EQ(inst.speed, -3.5);
}

// ---- Shape tests on a loose 10 x 10 box at (100, 100): pixels 100..109 ----

struct RShapeCase {
  char shape;  // p point, r rectangle, e ellipse, l line
  double x1, y1, x2, y2;
  bool meets;
};

TEST_F(Collision, ShapeTestsOnABox) {
  RLoose box(kBox, 100, 100);
  const RShapeCase cases[] = {
      {'p', 100, 100, 0, 0, true},
      {'p', 109.9, 109.9, 0, 0, true},  // the last pixel reaches up to 110
      {'p', 110, 105, 0, 0, false},
      {'p', 105, 99.9, 0, 0, false},
      {'r', 109.5, 109.5, 120, 120, true},
      {'r', 120, 120, 109, 109, true},  // corners in any order
      {'r', 110, 100, 120, 120, false},
      {'r', 90, 90, 99.9, 120, false},
      // Diagonal to the box: only a corner inside the ellipse counts.
      {'e', 80, 80, 100, 100, false},
      {'e', 80, 80, 102, 102, false},
      {'e', 85, 85, 105, 105, true},
      {'e', 90, 100, 102, 110, true},   // centre beside the box, not diagonal
      {'e', 95, 100, 95, 120, false},   // flat: the rectangle decides
      {'e', 105, 90, 105.2, 120, true},  // rounds to a flat rectangle across the box
      {'l', 90, 90, 120, 120, true},
      {'l', 120, 120, 90, 90, true},
      {'l', 90, 80, 120, 95, false},  // passes above within the box's columns
      {'l', 80, 120, 130, 90, true},
      {'l', 80, 111, 130, 140, false},  // below
      {'l', 105, 90, 105, 130, true},   // vertical
      {'l', 105, 90, 105, 99, false},
      {'l', 110, 90, 110, 130, false},  // along the column past the right edge
  };
  for (const RShapeCase& c : cases) {
    bool got = false;
    switch (c.shape) {
      case 'p': got = Collision_ContainsPoint(&box.inst, c.x1, c.y1, true); break;
      case 'r': got = Collision_MeetsRectangle(&box.inst, c.x1, c.y1, c.x2, c.y2, true); break;
      case 'e': got = Collision_MeetsEllipse(&box.inst, c.x1, c.y1, c.x2, c.y2, true); break;
      case 'l': got = Collision_MeetsLine(&box.inst, c.x1, c.y1, c.x2, c.y2, true); break;
    }
    EXPECT_EQ(got, c.meets) << c.shape << " " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
  // Destroyed or shapeless instances meet nothing.
  box.inst.destroyed = true;
  EXPECT_FALSE(Collision_ContainsPoint(&box.inst, 105, 105, false));
  EXPECT_FALSE(Collision_MeetsLine(&box.inst, 90, 90, 120, 120, false));
  RLoose none(-1, 100, 100);
  EXPECT_FALSE(Collision_ContainsPoint(&none.inst, -100000, -100000, false));
  EXPECT_FALSE(Collision_MeetsRectangle(&none.inst, -100001, -100001, -99999, -99999, false));
}

TEST_F(Collision, InstancesCollideByBoxesEdgesIncluded) {
  RLoose a(kBox, 100, 100), b(kBox, 109, 100), c(kBox, 110, 110);
  EXPECT_TRUE(Collision_Collides(&a.inst, &b.inst, true));  // a.right = b.left
  EXPECT_TRUE(Collision_Collides(&b.inst, &a.inst, true));
  EXPECT_FALSE(Collision_Collides(&a.inst, &c.inst, true));
  EXPECT_FALSE(Collision_Collides(&a.inst, &a.inst, true));  // never with itself
  b.inst.destroyed = true;
  EXPECT_FALSE(Collision_Collides(&a.inst, &b.inst, false));
  // Two shapeless instances share a placeholder box yet never collide.
  RLoose n1(-1, 0, 0), n2(-1, 50, 50);
  EXPECT_FALSE(Collision_Collides(&n1.inst, &n2.inst, false));
  // A precise shape needs a sprite with images to collide precisely; the
  // box test does not.
  RLoose p(kNoImages, 105, 105);
  EXPECT_TRUE(p.inst.precise);
  EXPECT_TRUE(Collision_Collides(&a.inst, &p.inst, false));
  EXPECT_FALSE(Collision_Collides(&a.inst, &p.inst, true));
  EXPECT_FALSE(Collision_ContainsPoint(&p.inst, 106, 106, true));
  EXPECT_TRUE(Collision_ContainsPoint(&p.inst, 106, 106, false));
}

TEST_F(Collision, Distances) {
  RLoose a(kBox, 100, 100), b(kBox, 113, 104), c(kBox, 80, 130);
  EXPECT_EQ(Collision_DistanceToPoint(&a.inst, 105, 105), 0);
  EXPECT_EQ(Collision_DistanceToPoint(&a.inst, 112, 105), 3);   // from the right edge 109
  EXPECT_EQ(Collision_DistanceToPoint(&a.inst, 97, 96), 5);     // 3, 4 from the top left corner
  EXPECT_EQ(Collision_DistanceBetween(&a.inst, &b.inst), 4);    // columns 109 and 113
  EXPECT_EQ(Collision_DistanceBetween(&a.inst, &c.inst), std::hypot(11.0, 21.0));
}

// ---- The built-ins in a room ----

// Object 0 a solid wall, 1 a mover, 2 a non-solid thing, 3 a wall's child.
RTestWorld PlaceWorld() {
  RTestWorld world;
  world.objects = {Object("Wall", kBox, true), Object("Mover", kBox, false), Object("Thing", kBox, false),
                   Object("SubWall", kBox, true, 0)};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(1, 100001, 100, 100), TestWorld_Instance(0, 100002, 100, 130),
                              TestWorld_Instance(2, 100003, 130, 100), TestWorld_Instance(3, 100004, 60, 100)};
  return world;
}

TEST_F(Collision, PlaceAndPositionBuiltins) {
  RTestWorld world = PlaceWorld();
  Play(world);
  CInstance* mover = Id(100001);
  EXPECT_EQ(Eval("place_free(100, 120)", mover), "1");
  EXPECT_EQ(Eval("place_free(100, 121)", mover), "0");  // the wall's top row counts
  EXPECT_EQ(Eval("place_free(125, 100)", mover), "1");  // the thing is not solid
  EXPECT_EQ(Eval("place_empty(125, 100)", mover), "0");
  EXPECT_EQ(Eval("place_meeting(125, 100, Thing)", mover), "1");
  EXPECT_EQ(Eval("place_meeting(125, 100, Wall)", mover), "0");
  EXPECT_EQ(Eval("place_meeting(65, 100, Wall)", mover), "1");  // a descendant counts
  EXPECT_EQ(Eval("instance_place(65, 100, Wall)", mover), "100004");
  EXPECT_EQ(Eval("instance_place(65, 100, all)", mover), "100004");
  EXPECT_EQ(Eval("instance_place(100, 100, all)", mover), "-4");  // never itself
  EXPECT_EQ(Xy(mover), "100,100");                                // moved back

  EXPECT_EQ(Eval("instance_position(135, 105, all)", mover), "100003");
  EXPECT_EQ(Eval("instance_position(105, 105, self)", mover), "-4");
  EXPECT_EQ(Eval("position_meeting(105, 105, self)", mover), "1");
  EXPECT_EQ(Eval("position_empty(105, 120)", mover), "1");
  EXPECT_EQ(Eval("position_empty(105, 135)", mover), "0");

  EXPECT_EQ(Eval("collision_point(105, 105, self, true, false)", mover), "-4");
  EXPECT_EQ(Eval("collision_point(105, 105, all, true, false)", mover), "100001");
  EXPECT_EQ(Eval("collision_point(105, 105, all, true, true)", mover), "-4");
  EXPECT_EQ(Eval("collision_rectangle(0, 0, 200, 200, Wall, false, false)", mover), "100002");
  EXPECT_EQ(Eval("collision_rectangle(0, 0, 200, 200, 100004, false, false)", mover), "100004");
  // Diagonal to the mover's box with its corner outside the circle.
  EXPECT_EQ(Eval("collision_circle(117, 117, 8, all, false, false)", mover), "-4");
  EXPECT_EQ(Eval("collision_circle(117, 117, 16, all, false, true)", mover), "100002");
  EXPECT_EQ(Eval("collision_ellipse(125, 95, 145, 115, all, false, false)", mover), "100003");
  EXPECT_EQ(Eval("collision_line(0, 105, 200, 105, all, false, true)", mover), "100003");
  EXPECT_EQ(Eval("collision_line(0, 105, 200, 105, Wall, false, true)", mover), "100004");

  EXPECT_EQ(Eval("distance_to_object(Thing)", mover), "21");  // columns 109 and 130
  EXPECT_EQ(Eval("distance_to_object(all)", mover), "21");
  EXPECT_EQ(Eval("distance_to_point(100, 90)", mover), "10");
  Run("position_destroy(135, 105)", mover);
  EXPECT_EQ(Id(100003), nullptr);
  EXPECT_EQ(Eval("distance_to_object(Thing)", mover), "1000000");
  Run("position_change(105, 135, Thing, false)", mover);
  EXPECT_EQ(Eval("instance_position(105, 135, Thing)", mover), "100002");
  EXPECT_EQ(Eval("place_free(100, 125)", mover), "1");  // no longer solid

  Error_Reset();
  Run("position_change(0, 0, 99, false)", mover);
  EXPECT_EQ(ReportedError(), "Asking to change into non-existing object: 99");
}

TEST_F(Collision, ActionsTestPlacesAndBounce) {
  RTestWorld world = PlaceWorld();
  Play(world);
  CInstance* mover = Id(100001);
  EXPECT_EQ(Eval("action_if_empty(125, 100, 0)", mover), "1");  // solids only
  EXPECT_EQ(Eval("action_if_empty(125, 100, 1)", mover), "0");
  EXPECT_EQ(Eval("action_if_collision(125, 100, 1)", mover), "1");
  EXPECT_EQ(Eval("action_if_object(Thing, 125, 100)", mover), "1");
  EXPECT_EQ(Eval("action_if_object(Thing, 100, 100)", mover), "0");
  Action_ArgumentRelative = true;
  EXPECT_EQ(Eval("action_if_collision(0, 21, 0)", mover), "1");  // (100, 121) reaches the wall
  EXPECT_EQ(Eval("action_if_object(Thing, 25, 0)", mover), "1");
  Action_ArgumentRelative = false;
  Run("vspeed = 4; y = 122; action_bounce(false, 0)", mover);  // y previous is 100: back there
  EXPECT_EQ(Xy(mover), "100,100");
  EXPECT_EQ(mover->vspeed, 4);  // 104 stays clear of the wall at 130
  Run("hspeed = 30; vspeed = 0; action_bounce(false, 1)", mover);  // the thing blocks only against all
  EXPECT_EQ(mover->hspeed, -30);
}

TEST_F(Collision, DistanceToObjectWithoutOthersIsAMillion) {
  RTestWorld world;
  world.objects = {Object("Alone", kBox, false)};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 10, 10)};
  Play(world);
  EXPECT_EQ(Eval("distance_to_object(all)", Id(100001)), "1000000");
  EXPECT_EQ(Eval("distance_to_object(self)", Id(100001)), "1000000");
}

TEST_F(Collision, MovesToContactAndOutside) {
  RTestWorld world = PlaceWorld();
  Play(world);
  CInstance* mover = Id(100001);
  Run("move_contact_solid(270, 0)", mover);
  EXPECT_EQ(Xy(mover), "100,120");  // touching the wall at 130, not overlapping
  Run("move_contact_solid(270, 0)", mover);
  EXPECT_EQ(Xy(mover), "100,120");
  mover->SetPosition(100, 125);  // inside the wall: move_contact does nothing
  Run("move_contact_solid(90, 0)", mover);
  EXPECT_EQ(Xy(mover), "100,125");
  EXPECT_EQ(Eval("move_outside_solid(90, 3)", mover), "0");
  EXPECT_EQ(Xy(mover), "100,122");
  EXPECT_EQ(Eval("move_outside_solid(90, -1)", mover), "1");
  EXPECT_EQ(Xy(mover), "100,120");
  mover->SetPosition(100, 125);
  Run("move_contact(90)", mover);  // not free: moves outside
  EXPECT_EQ(Xy(mover), "100,120");
  Run("move_contact(0)", mover);  // free: up to the next solid or 1000 pixels
  EXPECT_EQ(Xy(mover), "1100,120");
  // move_contact_all stops at the non-solid thing too.
  mover->SetPosition(100, 100);
  Run("move_contact_all(0, 50)", mover);
  EXPECT_EQ(Xy(mover), "120,100");
  Run("move_outside_all(180, 0)", mover);
  EXPECT_EQ(Xy(mover), "120,100");

  // In an empty room the default limit moves 1000 pixels.
  Run("x = 300; y = 300; move_contact_solid(270, 0)", mover);
  EXPECT_EQ(Xy(mover), "300,1300");
  Run("move_contact_solid(0, 7.6)", mover);
  EXPECT_EQ(Xy(mover), "308,1300");
}

// A mover at (100, 100) moving by (4, 4) into walls placed by the test.
class Bounce : public Collision {
 protected:
  CInstance* mover = nullptr;
  void PlayWith(std::vector<RRoomInstance> walls) {
    RTestWorld world;
    world.objects = {Object("Wall", kBox, true), Object("Mover", kBox, false)};
    world.rooms.resize(1);
    world.rooms[0].instances = {TestWorld_Instance(1, 100001, 100, 100)};
    for (RRoomInstance& w : walls) world.rooms[0].instances.push_back(w);
    Play(world);
    mover = Id(100001);
    mover->SetHspeed(4);
    mover->SetVspeed(4);
  }
  std::string Speeds() { return std::to_string(int(mover->hspeed)) + "," + std::to_string(int(mover->vspeed)); }
};

TEST_F(Bounce, WithoutAdvanceReversesTheBlockedComponents) {
  PlayWith({TestWorld_Instance(0, 100002, 112, 100), TestWorld_Instance(0, 100003, 100, 112)});
  Run("move_bounce(false)", mover);  // a corner: both blocked
  EXPECT_EQ(Speeds(), "-4,-4");
  EXPECT_NEAR(mover->direction, 135, 1e-9);
  Run("move_bounce_solid(false)", mover);  // moving away: nothing blocks
  EXPECT_EQ(Speeds(), "-4,-4");
}

TEST_F(Bounce, WithoutAdvanceAgainstOneWallOrAnEdge) {
  PlayWith({TestWorld_Instance(0, 100002, 112, 95)});
  Run("move_bounce(false)", mover);  // only the horizontal move is blocked
  EXPECT_EQ(Speeds(), "-4,4");
  mover->SetHspeed(4);
  mover->SetPosition(100, 108);  // only the diagonal step reaches the wall's corner
  mover->SetVspeed(-4);
  Run("move_bounce_all(false)", mover);
  EXPECT_EQ(Speeds(), "-4,4");
}

TEST_F(Bounce, StuckInsideGoesBackToThePreviousPlace) {
  PlayWith({TestWorld_Instance(0, 100002, 105, 105)});
  mover->xprevious = 90;
  mover->yprevious = 90;
  Run("move_bounce(true)", mover);
  EXPECT_EQ(Xy(mover), "90,90");
  // Moved back: with the free probes at 310 and 330 about the motion's 320,
  // the direction becomes 310 + 330 + 180 - 320.
  EXPECT_NEAR(mover->direction, 140, 1e-9);
}

TEST_F(Bounce, AdvancedLeavesAFreeMotionAlone) {
  PlayWith({});
  Run("move_bounce(true)", mover);
  EXPECT_EQ(Speeds(), "4,4");
}

TEST_F(Collision, SnapWrapRandomAndTowards) {
  RTestWorld world = PlaceWorld();
  world.rooms[0].width = 200;
  world.rooms[0].height = 150;
  Play(world);
  CInstance* mover = Id(100001);
  Run("x = 23; y = 38; move_snap(10, 0)", mover);
  EXPECT_EQ(Xy(mover), "20,38");
  EXPECT_EQ(Eval("place_snapped(10, 0)", mover), "1");
  EXPECT_EQ(Eval("place_snapped(10, 16)", mover), "0");
  Run("x = -6; y = 160; move_wrap(true, true, 5)", mover);
  EXPECT_EQ(Xy(mover), "204,0");
  Run("x = 206; y = 20; move_wrap(true, false, 5)", mover);
  EXPECT_EQ(Xy(mover), "-4,20");

  Run("x = 0; y = 0; move_towards_point(30, 40, 10)", mover);
  EXPECT_EQ(mover->hspeed, 6);
  EXPECT_EQ(mover->vspeed, 8);
  Run("motion_set(180, 3)", mover);
  EXPECT_EQ(mover->hspeed, -3);
  Run("motion_add(90, 4)", mover);
  EXPECT_EQ(mover->speed, 5);

  // Random places keep the box inside the room, on the grid, off solids.
  Random_SetSeed(7);
  for (int i = 0; i < 50; i++) {
    Run("move_random(4, 4)", mover);
    EXPECT_EQ(std::fmod(mover->x, 4), 0);
    EXPECT_EQ(std::fmod(mover->y, 4), 0);
    EXPECT_GE(mover->bbox_left, 0);
    EXPECT_LE(mover->bbox_right, 199);
    EXPECT_GE(mover->bbox_top, 0);
    EXPECT_LE(mover->bbox_bottom, 149);
    EXPECT_EQ(Eval("place_free(x, y)", mover), "1");
  }
}

TEST_F(Collision, RandomPlaceLargerThanTheRoomStaysPut) {
  RTestWorld world;
  world.objects = {Object("Big", kCentred, false)};
  world.rooms.resize(1);
  world.rooms[0].width = 10;
  world.rooms[0].height = 10;
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 5, 5)};
  Play(world);
  // The box (20 x 20) cannot fit: the range is empty, the low end is taken.
  Run("move_random(0, 0)", Id(100001));
  EXPECT_EQ(Xy(Id(100001)), "10,10");
}

// ---- The collision phase ----

TEST_F(Collision, OverlappingNonSolidsRaiseBothEventsEveryStep) {
  RTestWorld world;
  world.objects = {
      Object("A", kBox, false, -1, {{EV_COLLISION, 1, "global.log += 'a' + string(other.id - 100000) + ' '"}}),
      Object("B", kBox, false, -1, {{EV_COLLISION, 0, "global.log += 'b' + string(other.id - 100000) + ' '"}}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 100, 100), TestWorld_Instance(1, 100002, 105, 105),
                              TestWorld_Instance(1, 100003, 300, 300)};
  Play(world);
  // Pairs (A, B) and (B, A): each instance performs its event twice.
  EXPECT_EQ(StepLog(), "a2 b1 b1 a2 ");
  EXPECT_EQ(StepLog(), "a2 b1 b1 a2 ");
  EXPECT_EQ(Xy(Id(100001)), "100,100");
  EXPECT_EQ(Xy(Id(100002)), "105,105");
}

TEST_F(Collision, ASolidWallPutsTheMoverBackAndTheEventCanTurnIt) {
  RTestWorld world;
  world.objects = {
      Object("Wall", kBox, true),
      Object("Ball", kBox, false, -1, {{EV_COLLISION, 0, "global.log += 'hit@' + string(x) + ' '; hspeed = -hspeed"}}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 120, 100), TestWorld_Instance(1, 100002, 100, 100)};
  Play(world);
  CInstance* ball = Id(100002);
  ball->SetHspeed(6);
  EXPECT_EQ(StepLog(), "");  // 106: box 106..115, clear of 120
  EXPECT_EQ(StepLog(), "hit@106 ");  // 112 overlaps: back to 106, turned, on to 100
  EXPECT_EQ(Xy(ball), "100,100");
  EXPECT_EQ(ball->hspeed, -6);
  EXPECT_EQ(Xy(Id(100001)), "120,100");
  EXPECT_EQ(StepLog(), "");
}

TEST_F(Collision, AnEventThatKeepsTheSpeedLeavesBothBack) {
  RTestWorld world;
  world.objects = {
      Object("Wall", kBox, true, -1, {{EV_COLLISION, 1, "global.log += 'wall '"}}),
      Object("Ball", kBox, false, -1, {{EV_COLLISION, 0, "global.log += 'ball '"}}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 115, 100), TestWorld_Instance(1, 100002, 100, 100)};
  Play(world);
  CInstance* ball = Id(100002);
  ball->SetHspeed(4);
  EXPECT_EQ(StepLog(), "");
  // 108 overlaps 115: both events, then moving on collides again and both
  // stay back, so the pair (Ball, Wall) finds them apart.
  EXPECT_EQ(StepLog(), "wall ball ");
  EXPECT_EQ(Xy(ball), "104,100");
  EXPECT_EQ(StepLog(), "wall ball ");
  EXPECT_EQ(Xy(ball), "104,100");
}

TEST_F(Collision, EventsThroughParentsOnBothSides) {
  RTestWorld world;
  world.objects = {
      Object("Solid", -1, true),
      Object("Brick", kBox, true, 0),
      Object("Actor", -1, false, -1, {{EV_COLLISION, 0, "global.log += 'actor' + string(other.object_index) + ' '"}}),
      Object("Hero", kBox, false, 2),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(1, 100001, 100, 100), TestWorld_Instance(3, 100002, 95, 95)};
  Play(world);
  CInstance* hero = Id(100002);
  hero->SetHspeed(2);
  EXPECT_EQ(StepLog(), "actor1 ");
  // Moved back, moved on into the brick again, and so back once more.
  EXPECT_EQ(Xy(hero), "95,95");
}

TEST_F(Collision, DestroyedInTheEventStopsItsCollisions) {
  RTestWorld world;
  world.objects = {
      Object("Coin", kBox, false),
      Object("Player", kBox, false, -1, {{EV_COLLISION, 0, "global.log += string(other.id - 100000) + ' '; with (other) instance_destroy()"}}),
  };
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 100, 100), TestWorld_Instance(0, 100002, 102, 100),
                              TestWorld_Instance(1, 100003, 101, 100), TestWorld_Instance(1, 100004, 101, 101)};
  Play(world);
  EXPECT_EQ(StepLog(), "1 2 ");
  EXPECT_EQ(StepLog(), "");
  EXPECT_EQ(Room_Instances().size(), 2u);
}

// ---- Precise shapes: a real sprite whose only solid pixels form the
// diagonal of its 10 x 10 image ----

class PreciseCollision : public Collision {
 protected:
  void SetUp() override {
    RImageRecord image;
    image.exists = true;
    image.width = image.height = 10;
    image.pixels.assign(10 * 10 * 4, 0);
    for (int i = 0; i < 10; i++) {
      uint8_t* px = &image.pixels[(i * 10 + i) * 4];
      px[0] = 0x30, px[1] = 0x20, px[2] = 0x10, px[3] = 0xFF;
    }
    RSpriteRecord sprite;
    sprite.name = "diagonal";
    sprite.width = sprite.height = 10;
    sprite.precise = true;
    sprite.bboxRight = sprite.bboxBottom = 9;
    sprite.images = {image};
    RSlots<RSpriteRecord> records;
    records.emplace_back(sprite);
    Sprite_Install(records);
  }
  void TearDown() override {
    Collision::TearDown();
    Sprite_ClearTable();
  }
};

TEST_F(PreciseCollision, ShapesMeetOnlyTheSolidPixels) {
  RLoose a(0, 100, 100);  // solid pixels (100 + i, 100 + i)
  ASSERT_TRUE(a.inst.precise);
  ASSERT_EQ(a.inst.bbox_right, 109);
  EXPECT_TRUE(Collision_ContainsPoint(&a.inst, 105.4, 104.6, true));
  EXPECT_FALSE(Collision_ContainsPoint(&a.inst, 106, 105, true));
  EXPECT_TRUE(Collision_ContainsPoint(&a.inst, 106, 105, false));
  EXPECT_FALSE(Collision_MeetsRectangle(&a.inst, 106, 100, 109, 104, true));
  EXPECT_TRUE(Collision_MeetsRectangle(&a.inst, 106, 100, 109, 104, false));
  EXPECT_TRUE(Collision_MeetsRectangle(&a.inst, 104, 100, 109, 104, true));
  EXPECT_FALSE(Collision_MeetsEllipse(&a.inst, 106, 100, 112, 106, true));
  EXPECT_TRUE(Collision_MeetsEllipse(&a.inst, 106, 100, 112, 106, false));
  EXPECT_TRUE(Collision_MeetsLine(&a.inst, 100, 108, 108, 100, true));  // crosses at (104, 104)
  EXPECT_FALSE(Collision_MeetsLine(&a.inst, 100, 109, 109, 100, true));  // slips between two pixels
  EXPECT_TRUE(Collision_MeetsLine(&a.inst, 100, 109, 109, 100, false));

  RLoose beside(0, 105, 100), same(0, 100, 100);
  EXPECT_FALSE(Collision_Collides(&a.inst, &beside.inst, true));
  EXPECT_TRUE(Collision_Collides(&a.inst, &beside.inst, false));
  EXPECT_TRUE(Collision_Collides(&a.inst, &same.inst, true));
}

TEST_F(PreciseCollision, TheStepAndThePlaceTestsUseTheMasks) {
  RTestWorld world;
  world.objects = {Object("Line", 0, true, -1, {{EV_COLLISION, 0, "global.log += string(other.id - 100000) + ' '"}})};
  world.rooms.resize(1);
  world.rooms[0].instances = {TestWorld_Instance(0, 100001, 100, 100), TestWorld_Instance(0, 100002, 105, 100),
                              TestWorld_Instance(0, 100003, 300, 300)};
  Play(world);
  EXPECT_EQ(StepLog(), "");  // boxes overlap, pixels do not
  CInstance* far = Id(100003);
  EXPECT_EQ(Eval("place_free(103, 100)", far), "1");
  EXPECT_EQ(Eval("place_free(103, 103)", far), "0");  // along the first instance's diagonal
  Id(100002)->SetPosition(100, 100);
  EXPECT_EQ(StepLog(), "2 1 1 2 ");  // an event with its own object: both orders
}

}  // namespace
