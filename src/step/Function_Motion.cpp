// Function_Motion: the motion planning built-ins (mp_) and the step actions
// that use them. The calling instance is the one that moves. Ids, cell
// indices, grid sizes and obj are rounded; flags are true when >= 0.5.
// action_linear_step and action_potential_step (x, y, step size, all) are
// the matching mp_ steps, the goal taken relative to the instance when the
// action is relative.
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Tree.h"
#include "step/Motion_Grid.h"
#include "step/Motion_Potential.h"
#include "step/Path_Main.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"

namespace {

// The last argument says what blocks: a flag (check all) for the plain
// forms, an object or instance for the _object forms.
enum EBlock { BLOCK_CHECK_ALL, BLOCK_OBJECT };

template <EBlock Block>
RObstacles Obstacles(CInstance* other, const RValue* args, int i) {
  if constexpr (Block == BLOCK_OBJECT)
    return RObstacles{other, ArgInt(args, i), false};
  else
    return RObstacles{other, OWNER_ALL, ArgBool(args, i)};
}

// The path a planner writes into, or null after the message.
CPath* TargetPath(const RValue* args, int i) {
  CPath* path = Path_Get(ArgInt(args, i));
  if (!path) ReportActionError("Trying to assign to a non-existing path.");
  return path;
}

// ---- Steps and routes ----

using StepFn = bool (*)(CInstance*, double, double, double, const RObstacles&);

// mp_linear_step, mp_potential_step and their _object forms (x, y, step, ...).
template <StepFn Step, EBlock Block>
void F_Step(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  if (!self) return;
  result.SetReal(Step(self, ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), Obstacles<Block>(other, args, 3)));
}

// action_linear_step and action_potential_step.
template <StepFn Step>
void A_Step(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  if (!self) return;
  const double dx = Action_ArgumentRelative ? self->x : 0, dy = Action_ArgumentRelative ? self->y : 0;
  Step(self, ArgReal(args, 0) + dx, ArgReal(args, 1) + dy, ArgReal(args, 2), Obstacles<BLOCK_CHECK_ALL>(other, args, 3));
}

// mp_linear_path[_object] (path, x, y, step, ...).
template <EBlock Block>
void F_LinearPath(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CPath* path = TargetPath(args, 0);
  if (!self || !path) return;
  result.SetReal(Motion_LinearPath(self, *path, ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3),
                                   Obstacles<Block>(other, args, 4)));
}

// mp_potential_path[_object] (path, x, y, step, factor, ...).
template <EBlock Block>
void F_PotentialPath(CInstance* self, CInstance* other, int, RValue* args, RValue& result) {
  CPath* path = TargetPath(args, 0);
  if (!self || !path) return;
  result.SetReal(Motion_PotentialPath(self, *path, ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3),
                                      ArgReal(args, 4), Obstacles<Block>(other, args, 5)));
}

void F_PotentialSettings(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Motion_SetPotentialSettings({ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgBool(args, 3)});
}

// ---- Grids: a missing grid does nothing ----

void F_GridCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t h = ArgInt(args, 2), v = ArgInt(args, 3), w = ArgInt(args, 4), ht = ArgInt(args, 5);
  const int32_t id = Motion_GridCreate(ArgInt(args, 0), ArgInt(args, 1), h, v, w, ht);
  if (id < 0) {
    ReportActionError("Cannot create a motion planning grid of " + std::to_string(h) + " by " + std::to_string(v) +
                      " cells of " + std::to_string(w) + " by " + std::to_string(ht) + " pixels (at most " +
                      std::to_string(GRID_MAX_CELLS) + " cells, each at least one pixel).");
  }
  result.SetReal(id);
}

template <void (*Apply)(CGrid&, CInstance*, CInstance*, const RValue*)>
void F_Grid(CInstance* self, CInstance* other, int, RValue* args, RValue&) {
  if (CGrid* grid = Motion_Grid(ArgInt(args, 0))) Apply(*grid, self, other, args);
}

void ClearAll(CGrid& g, CInstance*, CInstance*, const RValue*) { g.ClearAll(); }
template <int32_t Value>
void SetCell(CGrid& g, CInstance*, CInstance*, const RValue* args) {
  g.SetCell(ArgInt(args, 1), ArgInt(args, 2), Value);
}
template <int32_t Value>
void SetRectangle(CGrid& g, CInstance*, CInstance*, const RValue* args) {
  g.SetRectangle(ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4), Value);
}
void AddInstances(CGrid& g, CInstance* self, CInstance* other, const RValue* args) {
  g.AddInstances(self, other, ArgInt(args, 1), ArgBool(args, 2));
}
void Draw(CGrid& g, CInstance*, CInstance*, const RValue*) { g.Draw(); }

void F_GridDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) { Motion_GridDestroy(ArgInt(args, 0)); }

// mp_grid_path (id, path, start x, start y, goal x, goal y, diagonal).
void F_GridPath(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CGrid* grid = Motion_Grid(ArgInt(args, 0));
  if (!grid) return;
  CPath* path = TargetPath(args, 1);
  if (!path) return;
  const bool found = grid->FindPath(*path, ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4), ArgReal(args, 5),
                                    ArgBool(args, 6));
  result.SetReal(found ? 1 : 0);
}

const RFunctionDef kMotionFunctions[] = {
    {"mp_linear_step", F_Step<Motion_LinearStep, BLOCK_CHECK_ALL>, 4},
    {"mp_linear_step_object", F_Step<Motion_LinearStep, BLOCK_OBJECT>, 4},
    {"mp_linear_path", F_LinearPath<BLOCK_CHECK_ALL>, 5},
    {"mp_linear_path_object", F_LinearPath<BLOCK_OBJECT>, 5},
    {"mp_potential_settings", F_PotentialSettings, 4},
    {"mp_potential_step", F_Step<Motion_PotentialStep, BLOCK_CHECK_ALL>, 4},
    {"mp_potential_step_object", F_Step<Motion_PotentialStep, BLOCK_OBJECT>, 4},
    {"mp_potential_path", F_PotentialPath<BLOCK_CHECK_ALL>, 6},
    {"mp_potential_path_object", F_PotentialPath<BLOCK_OBJECT>, 6},
    {"mp_grid_create", F_GridCreate, 6},
    {"mp_grid_destroy", F_GridDestroy, 1},
    {"mp_grid_clear_all", F_Grid<ClearAll>, 1},
    {"mp_grid_clear_cell", F_Grid<SetCell<GRID_FREE>>, 3},
    {"mp_grid_add_cell", F_Grid<SetCell<GRID_FORBIDDEN>>, 3},
    {"mp_grid_clear_rectangle", F_Grid<SetRectangle<GRID_FREE>>, 5},
    {"mp_grid_add_rectangle", F_Grid<SetRectangle<GRID_FORBIDDEN>>, 5},
    {"mp_grid_add_instances", F_Grid<AddInstances>, 3},
    {"mp_grid_path", F_GridPath, 7},
    {"mp_grid_draw", F_Grid<Draw>, 1},
    {"action_linear_step", A_Step<Motion_LinearStep>, 4},
    {"action_potential_step", A_Step<Motion_PotentialStep>, 4},
};

}  // namespace

void Function_Motion_Register() { RegisterFunctions(kMotionFunctions); }
