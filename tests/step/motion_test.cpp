// Motion planning: linear and potential-field steps and routes around
// walls, grids with their marking rules, and grid routes with and without
// diagonals, checked against hand-worked routes and, on random grids,
// against an independent flood fill.
#include <gtest/gtest.h>

#include <cstdio>
#include <queue>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "step/Motion_Grid.h"
#include "step/Motion_Potential.h"
#include "step/Path_Main.h"
#include "step/Run_Handle_Collision.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

RValue R(double v) { return RValue(v); }

enum : int32_t { kBox = 0, kBig = 1 };
enum : int32_t { kMover = 0, kWall = 1, kGhost = 2 };

// Sprite 0: a 10 x 10 box, 1: a 100 x 100 box, both with the origin at the
// top-left corner.
bool Shapes(int32_t sprite, RSpriteShape& out) {
  switch (sprite) {
    case kBox: out = RSpriteShape{1, 0, 0, 9, 9, 0, 0, false}; return true;
    case kBig: out = RSpriteShape{1, 0, 0, 99, 99, 0, 0, false}; return true;
    default: return false;
  }
}

RObjectRecord Object(const std::string& name, bool solid) {
  RObjectRecord r = TestWorld_Object(name, -1, {});
  r.sprite = kBox;
  r.solid = solid;
  return r;
}

// The points of a path as "x,y" pairs.
std::string Points(int32_t index) {
  const CPath* p = Path_Get(index);
  if (!p) return "missing";
  std::string text;
  char one[64];
  for (int32_t i = 0; i < p->Count(); i++) {
    std::snprintf(one, sizeof one, "%s%g,%g", i ? " " : "", p->Point(i).x, p->Point(i).y);
    text += one;
  }
  return text;
}

// A room with the mover (id 100001) at (100, 100); walls are added per test.
// Object 1 is a solid wall, object 2 a wall that is not solid.
class Motion : public ::testing::Test {
 protected:
  void SetUp() override {
    Instance_SetSpriteSource(Shapes);
    RTestWorld world;
    world.objects = {Object("Mover", false), Object("Wall", true), Object("Ghost", false)};
    world.rooms.resize(1);
    world.rooms[0].instances = {TestWorld_Instance(kMover, 100001, 100, 100)};
    ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
    Path_Install({});
    Resource_ClearNames(RESOURCE_PATH);
    Motion_Reset();
    IO_ClearAll();
    StartGame();
    Error_Reset();
  }
  void TearDown() override {
    TestWorld_Clear();
    Path_Install({});
    Motion_Reset();
    IO_ClearAll();
    Instance_SetSpriteSource(nullptr);
  }
  static CInstance* Mover() { return Room_FindInstance(100001); }
  // Places an instance of the object with the sprite at (x, y).
  static CInstance* Place(int32_t object, double x, double y, int32_t sprite = kBox) {
    RValue args[3] = {R(x), R(y), R(object)};
    RValue id = CallWithSlots("instance_create", args, 3);
    CInstance* inst = Room_FindInstance(static_cast<int32_t>(id.real));
    inst->SetSprite(sprite);
    return inst;
  }
  // Calls a built-in with the mover as self.
  static double Call(const char* name, std::initializer_list<RValue> args) {
    RValue slots[MAX_ARGUMENTS];
    std::copy(args.begin(), args.end(), slots);
    RValue result;
    CallBuiltin(Function_BuiltinIdOf(name), Mover(), nullptr, static_cast<int>(args.size()), slots, result);
    return result.real;
  }
};

// ---- Linear ----

TEST_F(Motion, LinearStepWalksUntilBlocked) {
  CInstance* m = Mover();
  EXPECT_EQ(Call("mp_linear_step", {R(103), R(100), R(5), R(0)}), 1);  // within one step
  EXPECT_EQ(m->x, 103);
  EXPECT_EQ(Call("mp_linear_step", {R(103), R(110), R(5), R(0)}), 0);
  EXPECT_EQ(m->y, 105);
  EXPECT_EQ(m->direction, 270);
  m->SetPosition(60, 100);
  Place(kWall, 100, 100);  // pixels 100..109
  double reached = 1;
  for (int i = 0; i < 20; i++) reached = Call("mp_linear_step", {R(200), R(100), R(5), R(0)});
  EXPECT_EQ(reached, 0);
  EXPECT_EQ(m->x, 90);  // 95 would overlap the wall
  // A blocked goal within one step: stays, yet reports the goal reached.
  EXPECT_EQ(Call("mp_linear_step", {R(93), R(100), R(5), R(0)}), 1);
  EXPECT_EQ(m->x, 90);
}

TEST_F(Motion, WhatBlocksALinearStep) {
  CInstance* m = Mover();
  m->SetPosition(60, 100);
  Place(kGhost, 70, 100);
  Call("mp_linear_step", {R(200), R(100), R(5), R(0)});  // solids only: the ghost is no obstacle
  EXPECT_EQ(m->x, 65);
  m->SetPosition(58, 100);
  Call("mp_linear_step", {R(200), R(100), R(5), R(1)});  // all instances
  EXPECT_EQ(m->x, 58);
  Call("mp_linear_step_object", {R(200), R(100), R(5), R(kWall)});
  EXPECT_EQ(m->x, 63);
  Call("mp_linear_step_object", {R(200), R(100), R(5), R(kGhost)});
  EXPECT_EQ(m->x, 63);
  // The step actions: a relative goal lies beside the instance.
  m->SetPosition(20, 20);
  Action_ArgumentRelative = true;
  Call("action_linear_step", {R(0), R(30), R(4), R(0)});
  Call("action_potential_step", {R(0), R(30), R(4), R(0)});
  Action_ArgumentRelative = false;
  EXPECT_EQ(m->x, 20);
  EXPECT_EQ(m->y, 28);
}

TEST_F(Motion, LinearPathsAndTheirFailures) {
  CInstance* m = Mover();
  const int32_t p = Path_Add();
  m->SetPosition(60, 100);
  m->SetDirection(45);
  EXPECT_EQ(Call("mp_linear_path", {R(p), R(80), R(100), R(5), R(0)}), 1);
  EXPECT_EQ(Points(p), "60,100 65,100 70,100 75,100 80,100");
  EXPECT_FALSE(Path_Get(p)->Closed());
  EXPECT_EQ(m->x, 60);
  EXPECT_EQ(m->direction, 45);
  // Around a wall: the route ends at the last free place.
  Place(kWall, 100, 100);
  EXPECT_EQ(Call("mp_linear_path", {R(p), R(200), R(100), R(5), R(0)}), 0);
  EXPECT_EQ(Points(p), "60,100 65,100 70,100 75,100 80,100 85,100 90,100");
  EXPECT_EQ(m->x, 60);
  // A step that is not > 0 leaves the path as it was; a missing path is named.
  EXPECT_EQ(Call("mp_linear_path", {R(p), R(0), R(0), R(0), R(0)}), 0);
  EXPECT_EQ(Path_Get(p)->Count(), 7);
  EXPECT_EQ(Call("mp_linear_path", {R(p + 1), R(0), R(0), R(5), R(0)}), 0);
  EXPECT_EQ(ReportedError(), "Trying to assign to a non-existing path.");
}

// ---- Potential field ----

TEST_F(Motion, PotentialSettingsHaveLowerBounds) {
  CallByName("mp_potential_settings", {R(0), R(0), R(0), R(0)});
  const RPotentialSettings& s = Motion_PotentialSettings();
  EXPECT_EQ(s.max_rotation, 1);
  EXPECT_EQ(s.rotation_step, 1);
  EXPECT_EQ(s.look_ahead, 1);
  EXPECT_FALSE(s.rotate_on_spot);
}

TEST_F(Motion, PotentialStepTurnsByAtMostTheMaximumRotation) {
  CInstance* m = Mover();
  // Heading straight away from the goal: the first direction within 30
  // degrees of the heading is h - 150.
  m->SetDirection(180);
  EXPECT_EQ(Call("mp_potential_step", {R(200), R(100), R(5), R(0)}), 0);
  EXPECT_NEAR(m->direction, 210, 1e-9);
  EXPECT_NEAR(m->x, 100 - 5 * std::sqrt(3.0) / 2, 1e-9);
  EXPECT_NEAR(m->y, 102.5, 1e-9);
  // Every direction within 30 degrees blocked three steps ahead: it only
  // turns on the spot.
  m->SetPosition(100, 100);
  m->SetDirection(180);
  Place(kWall, -5, 50, kBig);  // pixels -5..94
  Call("mp_potential_step", {R(200), R(100), R(5), R(0)});
  EXPECT_EQ(m->x, 100);
  EXPECT_EQ(m->direction, 210);
  CallByName("mp_potential_settings", {R(30), R(10), R(3), R(0)});
  Call("mp_potential_step", {R(200), R(100), R(5), R(0)});
  EXPECT_EQ(m->direction, 210);
}

TEST_F(Motion, PotentialStepsGoAroundAnObstacle) {
  CInstance* m = Mover();
  m->SetPosition(20, 100);
  CInstance* post = Place(kWall, 80, 85);  // pixels 80..89 x 85..94
  post->SetYScale(4);                      // rows 85..124
  bool passed_by = false;
  double reached = 0;
  for (int i = 0; i < 200 && reached == 0; i++) {
    reached = Call("mp_potential_step", {R(200), R(100), R(4), R(0)});
    EXPECT_FALSE(Collision_Collides(m, post, true)) << "step " << i;
    if (m->x > 70 && m->x < 90) passed_by |= m->bbox_bottom < 85 || m->bbox_top > 124;
  }
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(m->x, 200);
  EXPECT_EQ(m->y, 100);
  EXPECT_TRUE(passed_by);

  // The same as a route: the instance stays where it was.
  m->SetPosition(20, 100);
  const int32_t p = Path_Add();
  EXPECT_EQ(Call("mp_potential_path", {R(p), R(200), R(100), R(4), R(4), R(0)}), 1);
  const CPath* route = Path_Get(p);
  EXPECT_EQ(route->Point(0).x, 20);
  EXPECT_EQ(route->Point(route->Count() - 1).x, 200);
  EXPECT_GT(route->Length(), 180);
  EXPECT_EQ(m->x, 20);
  // Too short a limit fails; a factor below 1 changes nothing.
  EXPECT_EQ(Call("mp_potential_path", {R(p), R(200), R(100), R(4), R(1), R(0)}), 0);
  const int32_t points = route->Count();
  EXPECT_EQ(Call("mp_potential_path", {R(p), R(200), R(100), R(4), R(0.5), R(0)}), 0);
  EXPECT_EQ(route->Count(), points);
}

TEST_F(Motion, EnclosedPotentialRoutesEnd) {
  CInstance* m = Mover();
  // Walls touching the mover on all four sides: any move meets one.
  Place(kWall, 90, 100);
  Place(kWall, 110, 100);
  Place(kWall, 100, 90);
  Place(kWall, 100, 110);
  const int32_t p = Path_Add();
  EXPECT_EQ(Call("mp_potential_path", {R(p), R(500), R(500), R(3), R(1000), R(0)}), 0);
  EXPECT_EQ(m->x, 100);
  CallByName("mp_potential_settings", {R(30), R(10), R(3), R(0)});
  EXPECT_EQ(Call("mp_potential_path", {R(p), R(500), R(500), R(3), R(1000), R(0)}), 0);
}

// ---- Grids ----

TEST_F(Motion, GridRoutesOnAnEmptyGrid) {
  const double g = CallByName("mp_grid_create", {R(0), R(0), R(3), R(3), R(10), R(10)}).real;
  const int32_t p = Path_Add();
  // Without diagonals the walk back prefers left: down the left column,
  // then along the bottom row.
  EXPECT_EQ(CallByName("mp_grid_path", {R(g), R(p), R(5), R(5), R(25), R(25), R(0)}).real, 1);
  EXPECT_EQ(Points(p), "5,5 5,15 5,25 15,25 25,25");
  EXPECT_FALSE(Path_Get(p)->Closed());
  EXPECT_EQ(CallByName("mp_grid_path", {R(g), R(p), R(5), R(5), R(25), R(25), R(1)}).real, 1);
  EXPECT_EQ(Points(p), "5,5 15,15 25,25");
  // From a cell to itself.
  EXPECT_EQ(CallByName("mp_grid_path", {R(g), R(p), R(3), R(3), R(7), R(7), R(1)}).real, 1);
  EXPECT_EQ(Points(p), "3,3 7,7");
  // A grid of odd-sized cells puts centres at the truncated half.
  const double odd = CallByName("mp_grid_create", {R(0), R(0), R(3), R(1), R(5), R(5)}).real;
  EXPECT_EQ(CallByName("mp_grid_path", {R(odd), R(p), R(0), R(0), R(14), R(4), R(0)}).real, 1);
  EXPECT_EQ(Points(p), "0,0 7,2 14,4");
  EXPECT_EQ(CallByName("mp_grid_path", {R(99), R(p), R(0), R(0), R(9), R(4), R(0)}).real, 0);
}

TEST_F(Motion, GridRoutesAroundAWall) {
  const int32_t g = Motion_GridCreate(0, 0, 5, 5, 10, 10);
  CGrid* grid = Motion_Grid(g);
  grid->SetRectangle(20, 0, 29, 39, GRID_FORBIDDEN);  // column 2, rows 0..3
  const int32_t p = Path_Add();
  ASSERT_TRUE(grid->FindPath(*Path_Get(p), 5, 5, 45, 5, false));
  EXPECT_EQ(Points(p), "5,5 5,15 5,25 5,35 5,45 15,45 25,45 35,45 35,35 35,25 35,15 35,5 45,5");
  ASSERT_TRUE(grid->FindPath(*Path_Get(p), 5, 5, 45, 5, true));
  EXPECT_LT(Path_Get(p)->Count(), 13);
  // The search leaves no marks behind.
  for (int32_t i = 0; i < 5; i++)
    for (int32_t j = 0; j < 5; j++) EXPECT_EQ(grid->Cell(i, j), i == 2 && j < 4 ? GRID_FORBIDDEN : GRID_FREE);
  // Closing the gap: no route, and the path stays as it was.
  grid->SetCell(2, 4, GRID_FORBIDDEN);
  const std::string before = Points(p);
  EXPECT_FALSE(grid->FindPath(*Path_Get(p), 5, 5, 45, 5, true));
  EXPECT_FALSE(grid->FindPath(*Path_Get(p), 25, 5, 45, 5, true));   // starts in the wall
  EXPECT_FALSE(grid->FindPath(*Path_Get(p), 5, 5, 50, 5, true));    // goal past the edge
  EXPECT_FALSE(grid->FindPath(*Path_Get(p), -1, 5, 5, 5, true));    // start before it
  EXPECT_EQ(Points(p), before);
  EXPECT_EQ(grid->Cell(0, 0), GRID_FREE);
}

TEST_F(Motion, GridMarking) {
  const int32_t g = Motion_GridCreate(100, 0, 4, 3, 10, 10);
  CGrid* grid = Motion_Grid(g);
  CallByName("mp_grid_add_cell", {R(g), R(0), R(3)});  // past the last row
  CallByName("mp_grid_add_cell", {R(g), R(-1), R(0)});
  CallByName("mp_grid_add_rectangle", {R(g), R(0), R(0), R(50), R(29)});  // wholly left of it
  for (int32_t i = 0; i < 4; i++)
    for (int32_t j = 0; j < 3; j++) EXPECT_EQ(grid->Cell(i, j), GRID_FREE);
  // Less than one cell to the left still reaches column 0 (truncation).
  CallByName("mp_grid_add_rectangle", {R(g), R(95), R(25), R(92), R(29)});
  EXPECT_EQ(grid->Cell(0, 2), GRID_FORBIDDEN);
  EXPECT_EQ(grid->Cell(1, 2), GRID_FREE);
  CallByName("mp_grid_add_rectangle", {R(g), R(125), R(5), R(1000), R(5)});  // held to the grid
  EXPECT_EQ(grid->Cell(3, 0), GRID_FORBIDDEN);
  EXPECT_EQ(grid->Cell(2, 0), GRID_FORBIDDEN);
  CallByName("mp_grid_clear_rectangle", {R(g), R(0), R(0), R(139), R(9)});
  EXPECT_EQ(grid->Cell(3, 0), GRID_FREE);
  CallByName("mp_grid_clear_cell", {R(g), R(0), R(2)});
  EXPECT_EQ(grid->Cell(0, 2), GRID_FREE);

  // Instances: their boxes' cells; shapeless instances cover nothing.
  CInstance* wall = Place(kWall, 115, 5);  // pixels 115..124 x 5..14
  Place(kGhost, 135, 25)->SetSprite(-1);
  CallByName("mp_grid_add_instances", {R(g), R(kWall), R(0)});
  EXPECT_EQ(grid->Cell(1, 0), GRID_FORBIDDEN);
  EXPECT_EQ(grid->Cell(2, 1), GRID_FORBIDDEN);
  EXPECT_EQ(grid->Cell(0, 0), GRID_FREE);
  CallByName("mp_grid_clear_all", {R(g)});
  CallByName("mp_grid_add_instances", {R(g), R(wall->id), R(1)});
  EXPECT_EQ(grid->Cell(2, 1), GRID_FORBIDDEN);
  CallByName("mp_grid_add_instances", {R(g), R(-3), R(1)});  // the mover lies below the grid
  EXPECT_EQ(grid->Cell(3, 2), GRID_FREE);
  EXPECT_EQ(grid->Cell(0, 2), GRID_FREE);
  EXPECT_EQ(grid->Cell(0, 0), GRID_FREE);
}

TEST_F(Motion, GridTableAndSizes) {
  Settings.DisplayErrors = false;
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(0), R(0), R(1), R(1)}).real, 0);  // empty but valid
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(2), R(2), R(1), R(1)}).real, 1);
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(100000), R(100000), R(1), R(1)}).real, -1);
  EXPECT_NE(ReportedError().find("Cannot create a motion planning grid"), std::string::npos);
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(2), R(2), R(0), R(1)}).real, -1);
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(-2), R(2), R(1), R(1)}).real, -1);
  CallByName("mp_grid_destroy", {R(0)});
  EXPECT_EQ(Motion_Grid(0), nullptr);
  EXPECT_EQ(CallByName("mp_grid_create", {R(0), R(0), R(1), R(1), R(1), R(1)}).real, 0);  // slot reused
  const int32_t p = Path_Add();
  EXPECT_EQ(CallByName("mp_grid_path", {R(1), R(p + 1), R(0), R(0), R(1), R(1), R(0)}).real, 0);
  EXPECT_EQ(ReportedError(), "Trying to assign to a non-existing path.");
}

// The cell of a route point.
struct RCell {
  int32_t i, j;
};

// Shortest number of 4-neighbour moves between two cells, -1 when none.
int32_t FloodDistance(const CGrid& g, RCell from, RCell to) {
  const int32_t H = g.HorizontalCells(), V = g.VerticalCells();
  std::vector<int32_t> dist(static_cast<size_t>(H * V), -1);
  std::queue<RCell> q;
  dist[from.i * V + from.j] = 0;
  q.push(from);
  while (!q.empty()) {
    RCell c = q.front();
    q.pop();
    const RCell next[4] = {{c.i - 1, c.j}, {c.i + 1, c.j}, {c.i, c.j - 1}, {c.i, c.j + 1}};
    for (RCell n : next) {
      if (!g.Inside(n.i, n.j) || g.Cell(n.i, n.j) == GRID_FORBIDDEN || dist[n.i * V + n.j] >= 0) continue;
      dist[n.i * V + n.j] = dist[c.i * V + c.j] + 1;
      q.push(n);
    }
  }
  return dist[to.i * V + to.j];
}

TEST_F(Motion, GridRoutesOnRandomGridsAreSoundAndShortest) {
  uint32_t seed = 12345;
  auto next = [&](uint32_t n) {
    seed = seed * 134775813u + 1;
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * n) >> 32);
  };
  const int32_t p = Path_Add();
  for (int round = 0; round < 1000; round++) {
    const int32_t g = Motion_GridCreate(0, 0, 16, 16, 8, 8);
    CGrid* grid = Motion_Grid(g);
    for (int32_t c = 0; c < 16 * 16; c++)
      if (next(100) < 20 + round % 30) grid->SetCell(c / 16, c % 16, GRID_FORBIDDEN);
    const RCell from{next(16), next(16)}, to{next(16), next(16)};
    grid->SetCell(from.i, from.j, GRID_FREE);
    grid->SetCell(to.i, to.j, GRID_FREE);
    const int32_t shortest = FloodDistance(*grid, from, to);
    for (bool diagonal : {false, true}) {
      SCOPED_TRACE(testing::Message() << "round " << round << (diagonal ? " diagonal" : ""));
      const bool found = grid->FindPath(*Path_Get(p), from.i * 8 + 1, from.j * 8 + 1, to.i * 8 + 6, to.j * 8 + 6,
                                        diagonal);
      ASSERT_EQ(found, shortest >= 0);
      if (!found) continue;
      // Start, the cells between, goal: every move goes to a neighbour, and
      // a diagonal move never squeezes between two forbidden cells.
      const CPath& route = *Path_Get(p);
      if (from.i == to.i && from.j == to.j) {
        EXPECT_EQ(route.Count(), 2);
        continue;
      }
      std::vector<RCell> cells = {from};
      for (int32_t k = 1; k + 1 < route.Count(); k++)
        cells.push_back({static_cast<int32_t>(route.Point(k).x) / 8, static_cast<int32_t>(route.Point(k).y) / 8});
      cells.push_back(to);
      if (!diagonal) EXPECT_EQ(static_cast<int32_t>(cells.size()) - 1, std::max(shortest, 0));
      for (size_t k = 1; k < cells.size(); k++) {
        const int32_t di = cells[k].i - cells[k - 1].i, dj = cells[k].j - cells[k - 1].j;
        ASSERT_LE(std::abs(di) + std::abs(dj), diagonal ? 2 : 1);
        ASSERT_TRUE(std::abs(di) <= 1 && std::abs(dj) <= 1);
        ASSERT_NE(grid->Cell(cells[k].i, cells[k].j), GRID_FORBIDDEN);
        if (di != 0 && dj != 0)
          ASSERT_TRUE(grid->Cell(cells[k - 1].i + di, cells[k - 1].j) != GRID_FORBIDDEN &&
                      grid->Cell(cells[k - 1].i, cells[k - 1].j + dj) != GRID_FORBIDDEN)
              << "cuts a corner at " << cells[k].i << "," << cells[k].j;
      }
    }
    Motion_GridDestroy(g);
  }
}

}  // namespace
