// Paths: computed points of straight and smooth paths against values worked
// out by hand, the transformations, the path table and its messages, and
// instances following paths step by step with every end action.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "runner/Builtins_Main.h"
#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "step/Path_Main.h"
#include "step/Run_Step.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "world/Instance_Class.h"
#include "world/Object_Class.h"
#include "world/Room_Main.h"

namespace {

RValue R(double v) { return RValue(v); }

CPath Make(std::vector<RPathPoint> points, int32_t kind, bool closed, int32_t precision = 4) {
  RPathRecord record;
  record.kind = kind;
  record.closed = closed;
  record.precision = precision;
  record.points = std::move(points);
  CPath path;
  path.LoadFrom(record);
  return path;
}

// The computed points as "x,y" pairs.
std::string Computed(const CPath& p) {
  std::string text;
  char one[64];
  for (int32_t i = 0; i < p.ComputedCount(); i++) {
    std::snprintf(one, sizeof one, "%s%g,%g", i ? " " : "", p.Computed(i).x, p.Computed(i).y);
    text += one;
  }
  return text;
}

const std::vector<RPathPoint> kElbow = {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}};

// ---- Computed points ----

TEST(PathPoints, StraightOpenAndClosed) {
  CPath open = Make(kElbow, PATH_STRAIGHT, false);
  EXPECT_EQ(Computed(open), "0,0 100,0 100,100");
  EXPECT_EQ(open.Length(), 200);
  EXPECT_EQ(open.PositionAt(0.75).x, 100);
  EXPECT_EQ(open.PositionAt(0.75).y, 50);
  EXPECT_EQ(open.PositionAt(0.25).x, 50);
  EXPECT_EQ(open.PositionAt(2).y, 100);   // held to 1
  EXPECT_EQ(open.PositionAt(-1).x, 0);    // held to 0
  EXPECT_EQ(open.PositionAt(0.5).x, 100);  // exactly on the corner

  CPath closed = Make(kElbow, PATH_STRAIGHT, true);
  EXPECT_EQ(Computed(closed), "0,0 100,0 100,100 0,0");
  EXPECT_NEAR(closed.Length(), 200 + 100 * std::sqrt(2.0), 1e-9);

  // Relative speeds are interpolated like the positions.
  CPath speeds = Make({{0, 0, 100}, {100, 0, 50}}, PATH_STRAIGHT, false);
  EXPECT_EQ(speeds.PositionAt(0.5).speed, 75);
  // No points: the origin at speed 100; one point: that point.
  EXPECT_EQ(CPath().PositionAt(0.5).speed, 100);
  CPath one = Make({{7, 8, 30}}, PATH_STRAIGHT, false);
  EXPECT_EQ(one.PositionAt(0.5).x, 7);
  EXPECT_EQ(one.PositionAt(0.5).speed, 30);
}

TEST(PathPoints, SmoothRefinesEachCorner) {
  // Precision 0: only the ends of an open path.
  EXPECT_EQ(Computed(Make(kElbow, PATH_SMOOTH, false, 0)), "0,0 100,100");
  // Precision 1: the corner's curve from (50,0) over (100,0) to (100,50)
  // gives its middle (A + 2K + B) / 4.
  EXPECT_EQ(Computed(Make(kElbow, PATH_SMOOTH, false, 1)), "0,0 87.5,12.5 100,100");
  // Precision 2: both halves are further than 4 pixels from the control
  // point, so each gets its own middle.
  EXPECT_EQ(Computed(Make(kElbow, PATH_SMOOTH, false, 2)), "0,0 71.875,3.125 87.5,12.5 96.875,28.125 100,100");
  // Speeds are averaged along: (150 + 2 * 200 + 150) / 4.
  CPath fast = Make({{0, 0, 100}, {100, 0, 200}, {100, 100, 100}}, PATH_SMOOTH, false, 1);
  EXPECT_EQ(fast.Computed(1).speed, 175);
  // Pieces of 4 pixels or less are not refined: one middle per corner.
  EXPECT_EQ(Computed(Make({{0, 0, 100}, {8, 0, 100}, {8, 8, 100}}, PATH_SMOOTH, false, 8)), "0,0 7,1 8,8");
  // Short open paths.
  EXPECT_EQ(Computed(Make({{5, 5, 100}}, PATH_SMOOTH, false)), "5,5 5,5");
  EXPECT_EQ(Computed(Make({{5, 5, 100}, {9, 9, 100}}, PATH_SMOOTH, false)), "5,5 9,9");
  // Closed: every corner, and back to the first computed point.
  CPath square = Make({{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}}, PATH_SMOOTH, true, 1);
  EXPECT_EQ(Computed(square), "87.5,12.5 87.5,87.5 12.5,87.5 12.5,12.5 87.5,12.5");
  EXPECT_EQ(square.Length(), 300);
  square.SetPrecision(0);
  EXPECT_EQ(square.ComputedCount(), 0);
  EXPECT_EQ(square.PositionAt(0.5).speed, 100);
}

TEST(PathPoints, EditsAndTransformsRebuildAtOnce) {
  CPath p = Make(kElbow, PATH_STRAIGHT, false);
  p.InsertPoint(3, 0, 100, 100);
  p.InsertPoint(5, 1, 1, 1);  // past the end: ignored
  p.ChangePoint(0, 0, 10, 100);
  p.DeletePoint(9);
  EXPECT_EQ(Computed(p), "0,10 100,0 100,100 0,100");
  EXPECT_EQ(p.Point(9).speed, 1);
  p.DeletePoint(3);
  p.SetClosed(true);
  EXPECT_EQ(Computed(p), "0,10 100,0 100,100 0,10");

  CPath t = Make({{0, 0, 100}, {100, 0, 100}, {30, 50, 100}}, PATH_STRAIGHT, false);
  t.Mirror();  // about x = 50
  EXPECT_EQ(Computed(t), "100,0 0,0 70,50");
  t.Flip();  // about y = 25
  EXPECT_EQ(Computed(t), "100,50 0,50 70,0");
  t.Scale(2, 0.5);  // about (50, 25)
  EXPECT_EQ(Computed(t), "150,37.5 -50,37.5 90,12.5");
  t.Shift(-10, 2.5);
  EXPECT_EQ(Computed(t), "140,40 -60,40 80,15");
  t.Reverse();
  EXPECT_EQ(Computed(t), "80,15 -60,40 140,40");

  // A quarter turn counter-clockwise on screen about (50, 0).
  CPath r = Make({{0, 0, 100}, {100, 0, 100}}, PATH_STRAIGHT, false);
  r.Rotate(90);
  EXPECT_NEAR(r.Point(0).x, 50, 1e-9);
  EXPECT_NEAR(r.Point(0).y, 50, 1e-9);
  EXPECT_NEAR(r.Point(1).y, -50, 1e-9);

  // Points added one by one give the same polyline as points loaded at once.
  const std::vector<RPathPoint> zigzag = {{0, 0, 100}, {30, 40, 50}, {60, 0, 100}, {61, 7, 10}};
  for (bool closed : {false, true}) {
    CPath built;
    built.SetClosed(closed);
    for (const RPathPoint& q : zigzag) built.AddPoint(q.x, q.y, q.speed);
    const CPath loaded = Make(zigzag, PATH_STRAIGHT, closed);
    ASSERT_EQ(built.ComputedCount(), loaded.ComputedCount());
    for (int32_t i = 0; i < built.ComputedCount(); i++) EXPECT_EQ(built.Computed(i).distance, loaded.Computed(i).distance);
    EXPECT_EQ(built.Length(), loaded.Length());
  }

  // Appending a path to itself doubles it; copying it onto itself keeps it.
  p.Append(p);
  EXPECT_EQ(p.Count(), 6);
  p.CopyFrom(p);
  EXPECT_EQ(p.Count(), 6);
  EXPECT_TRUE(p.Closed());
}

TEST(PathPoints, DamagedRecordsAreHeldInRange) {
  RPathRecord record;
  record.kind = 7;
  record.precision = -3;
  record.points = {{NAN, 5, INFINITY}, {10, 5, 100}};
  CPath p;
  p.LoadFrom(record);
  EXPECT_EQ(p.Kind(), PATH_STRAIGHT);
  EXPECT_EQ(p.Precision(), 0);
  EXPECT_EQ(p.Point(0).x, 0);
  EXPECT_EQ(p.Point(0).speed, 0);
  EXPECT_EQ(p.Length(), 20);
}

// ---- The built-ins and the table ----

class PathBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    Error_Reset();
    Settings.DisplayErrors = false;
    Settings.WriteErrorLog = false;
    Resource_ClearNames(RESOURCE_PATH);
    Path_Install({});
  }
  void TearDown() override {
    Path_Install({});
    Resource_ClearNames(RESOURCE_PATH);
    Settings = RSettings{};
  }
  static double Call(const char* name, std::initializer_list<RValue> args) { return CallByName(name, args).real; }
  static std::string Fails(const char* name, std::initializer_list<RValue> args) {
    Error_Reset();
    CallByName(name, args);
    return ReportedError();
  }
};

TEST_F(PathBuiltins, NewPathsAndTheirSettings) {
  const double p = Call("path_add", {});
  EXPECT_EQ(p, 0);
  EXPECT_EQ(CallByName("path_get_name", {R(p)}).str, "__newpath0");
  EXPECT_EQ(Call("path_get_kind", {R(p)}), 0);
  EXPECT_EQ(Call("path_get_closed", {R(p)}), 1);
  EXPECT_EQ(Call("path_get_precision", {R(p)}), 4);
  EXPECT_EQ(Call("path_get_number", {R(p)}), 0);
  EXPECT_EQ(Call("path_get_length", {R(p)}), 0);
  Call("path_set_precision", {R(p), R(12)});
  Call("path_set_kind", {R(p), R(5)});
  Call("path_set_closed", {R(p), R(0.4)});
  EXPECT_EQ(Call("path_get_precision", {R(p)}), 8);
  EXPECT_EQ(Call("path_get_kind", {R(p)}), 0);
  EXPECT_EQ(Call("path_get_closed", {R(p)}), 0);
  Call("path_add_point", {R(p), R(0), R(0), R(100)});
  Call("path_add_point", {R(p), R(100), R(0), R(50)});
  EXPECT_EQ(Call("path_get_point_speed", {R(p), R(1)}), 50);
  EXPECT_EQ(Call("path_get_point_x", {R(p), R(99)}), 0);
  EXPECT_EQ(Call("path_get_point_speed", {R(p), R(99)}), 1);
  EXPECT_EQ(Call("path_get_x", {R(p), R(0.5)}), 50);
  EXPECT_EQ(Call("path_get_speed", {R(p), R(0.5)}), 75);
  EXPECT_EQ(Call("path_get_x", {R(p), R(2)}), 100);
  // A missing path reads -1 and "<undefined>"; changes to it are ignored.
  Call("path_add_point", {R(9), R(1), R(1), R(1)});
  EXPECT_EQ(Call("path_get_length", {R(9)}), -1);
  EXPECT_EQ(Call("path_get_point_x", {R(9), R(0)}), -1);
  EXPECT_EQ(CallByName("path_name", {R(9)}).str, "<undefined>");
  EXPECT_FALSE(Error_Occurred());
}

TEST_F(PathBuiltins, TableOperationsAndTheirMessages) {
  const double a = Call("path_add", {});
  Call("path_add_point", {R(a), R(1), R(2), R(100)});
  const double b = Call("path_duplicate", {R(a)});
  EXPECT_EQ(b, 1);
  EXPECT_EQ(Call("path_get_point_y", {R(b), R(0)}), 2);
  Call("path_append", {R(b), R(a)});
  EXPECT_EQ(Call("path_get_number", {R(b)}), 2);
  EXPECT_EQ(Call("path_delete", {R(a)}), 1);
  EXPECT_EQ(Call("path_exists", {R(a)}), 0);
  EXPECT_EQ(CallByName("path_name", {R(a)}).str, "<undefined>");
  // Assigning to a deleted slot creates the path again.
  Call("path_assign", {R(a), R(b)});
  EXPECT_EQ(Call("path_get_number", {R(a)}), 2);
  EXPECT_EQ(Resource_IndexOf(RESOURCE_PATH, "__newpath0"), 0);

  EXPECT_EQ(Fails("path_duplicate", {R(7)}), "Trying to duplicate non-existing path.");
  EXPECT_EQ(Fails("path_delete", {R(7)}), "Trying to delete non-existing path.");
  EXPECT_EQ(Fails("path_assign", {R(7), R(a)}), "Error assigning a path.");
  EXPECT_EQ(Fails("path_assign", {R(a), R(7)}), "Error assigning a path.");
  EXPECT_EQ(Fails("path_append", {R(7), R(a)}), "Appending to non-existing path.");
  EXPECT_EQ(Fails("path_append", {R(a), R(7)}), "Appending a non-existing path.");
  EXPECT_EQ(Fails("draw_path", {R(7), R(0), R(0), R(1)}), "Trying to drawn non-existing path.");
}

// ---- Following a path ----

// Path 0: straight and open from (0, 0) to (100, 0), at 100 %.
// Path 1: the same with a point speed of 0 at its start.
// Object 0 logs its step ("S"), end of path ("P") and end step ("E").
class PathFollow : public ::testing::Test {
 protected:
  void SetUp() override {
    RTestWorld world;
    world.objects = {TestWorld_Object("Walker", -1,
                                      {{EV_STEP, 0, "global.log += 'S '"},
                                       {EV_OTHER, 8, "global.log += 'P '"},
                                       {EV_STEP, 2, "global.log += 'E '"}})};
    world.rooms.resize(1);
    world.rooms[0].instances = {TestWorld_Instance(0, 100001, 10, 20)};
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    RPathRecord line;
    line.closed = false;
    line.points = {{0, 0, 100}, {100, 0, 100}};
    RPathRecord halt = line;
    halt.points[0].speed = 0;
    Path_Install({line, halt});
    IO_ClearAll();
    StartGame();
    TestWorld_ClearLog();
  }
  void TearDown() override {
    TestWorld_Clear();
    Path_Install({});
    IO_ClearAll();
  }
  static CInstance* Walker() { return Room_FindInstance(100001); }
  // Runs one step; its log.
  static std::string Step() {
    TestWorld_ClearLog();
    DoStep();
    return TestWorld_Log();
  }
  // Steps n times; the x positions after each, separated by spaces.
  static std::string Xs(int n) {
    std::string xs;
    for (int i = 0; i < n; i++) {
      DoStep();
      char one[32];
      std::snprintf(one, sizeof one, "%s%g", i ? " " : "", Walker()->x);
      xs += one;
    }
    return xs;
  }
};

TEST_F(PathFollow, StopsAtTheEndWithTheEventInTheMotionPhase) {
  CInstance* w = Walker();
  Path_Start(w, 0, 25, PATH_END_STOP, false, 0, 1);
  EXPECT_EQ(w->x, 10);  // relative: stays, the path laid out from here
  EXPECT_EQ(Step(), "S E ");
  EXPECT_EQ(w->x, 35);
  EXPECT_EQ(w->y, 20);
  EXPECT_EQ(w->path_position, 0.25);
  EXPECT_EQ(w->path_positionprevious, 0);
  // Moved by position alone: the direction follows, the speed stays 0.
  EXPECT_EQ(w->direction, 0);
  EXPECT_EQ(w->speed, 0);
  EXPECT_EQ(Step() + Step(), "S E S E ");
  EXPECT_EQ(Step(), "S P E ");
  EXPECT_EQ(w->x, 110);
  EXPECT_EQ(w->path_position, 1);
  EXPECT_EQ(w->path_index, -1);
  EXPECT_EQ(Step(), "S E ");  // the event runs once
  EXPECT_EQ(w->x, 110);
}

TEST_F(PathFollow, EndActions) {
  CInstance* w = Walker();
  // Restart: 1.2 goes on at 0.2 of a new lap from the same start.
  Path_Start(w, 0, 30, PATH_END_RESTART, false, 0, 1);
  EXPECT_EQ(Xs(4), "40 70 100 30");
  EXPECT_NEAR(w->path_position, 0.2, 1e-12);
  // Continue: the next lap starts where the last ended.
  w->SetPosition(10, 20);
  Path_Start(w, 0, 30, PATH_END_CONTINUE, false, 0, 1);
  EXPECT_EQ(Xs(5), "40 70 100 130 160");
  // Reverse: overshooting 1 by 0.2 comes back to 0.8 with a negative speed.
  w->SetPosition(10, 20);
  Path_Start(w, 0, 30, PATH_END_REVERSE, false, 0, 1);
  EXPECT_EQ(Xs(4), "40 70 100 90");
  EXPECT_NEAR(w->path_position, 0.8, 1e-12);
  EXPECT_EQ(w->path_speed, -30);
  EXPECT_EQ(w->direction, 180);
}

TEST_F(PathFollow, BackwardsRunsEndWhereTheyArrive) {
  CInstance* w = Walker();
  // Absolute with a negative speed starts at the path's end.
  Path_Start(w, 0, -50, PATH_END_REVERSE, true, 0, 1);
  EXPECT_EQ(w->x, 100);
  EXPECT_EQ(w->path_position, 1);
  // Landing exactly on 0 is the start: it turns there.
  EXPECT_EQ(Xs(3), "50 0 50");
  EXPECT_EQ(w->path_speed, 50);
  // Stopping after a backwards run leaves it at the start.
  Path_Start(w, 0, -50, PATH_END_STOP, true, 0, 1);
  EXPECT_EQ(Xs(3), "50 0 0");
  EXPECT_EQ(w->path_position, 0);
  EXPECT_EQ(w->path_index, -1);
}

TEST_F(PathFollow, ScaleOrientationAndPointSpeed) {
  CInstance* w = Walker();
  // Twice the size: the speed stays in pixels, the path takes longer.
  Path_Start(w, 0, 50, PATH_END_STOP, false, 0, 2);
  DoStep();
  EXPECT_EQ(w->x, 60);
  EXPECT_EQ(w->path_position, 0.25);
  // A quarter turn: right becomes up.
  w->SetPosition(10, 20);
  Path_Start(w, 0, 25, PATH_END_STOP, false, 90, 1);
  DoStep();
  EXPECT_NEAR(w->x, 10, 1e-9);
  EXPECT_NEAR(w->y, -5, 1e-9);
  EXPECT_NEAR(w->direction, 90, 1e-9);
  // A point speed of 0 holds the instance where it is; it has not arrived
  // anywhere.
  Path_Start(w, 1, 25, PATH_END_RESTART, true, 0, 1);
  EXPECT_EQ(Step(), "S E ");
  EXPECT_EQ(w->x, 0);
  EXPECT_EQ(w->path_position, 0);
  EXPECT_EQ(w->path_index, 1);
}

TEST_F(PathFollow, StartsThatDoNotTakeAndPathsThatGoAway) {
  CInstance* w = Walker();
  Path_Start(w, 7, 10, PATH_END_STOP, false, 0, 1);  // missing
  EXPECT_EQ(w->path_index, -1);
  Path_Start(w, 0, 10, PATH_END_STOP, false, 0, -1);  // negative scale
  EXPECT_EQ(w->path_index, -1);
  Path_Start(w, 0, 10, PATH_END_STOP, false, 0, 0);  // scale 0: stays put
  DoStep();
  EXPECT_EQ(w->x, 10);
  EXPECT_EQ(w->path_index, 0);
  // Through the built-ins, and deleted under the instance's feet.
  ASSERT_TRUE(TestWorld_Run("path_start(0, 10, 0, 0)", w)) << Error_Last();
  DoStep();
  EXPECT_EQ(w->x, 20);
  ASSERT_TRUE(TestWorld_Run("path_delete(0)", w));
  DoStep();
  EXPECT_EQ(w->x, 20);
  ASSERT_TRUE(TestWorld_Run("path_end()", w));
  EXPECT_EQ(w->path_index, -1);
  // path_positionprevious is the position at the start of the step.
  ASSERT_TRUE(TestWorld_Run("path_start(1, 10, 0, 0); path_position = 0.5", w));
  DoStep();
  EXPECT_EQ(w->path_positionprevious, 0.5);
}

}  // namespace
