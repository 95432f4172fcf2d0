// Function_Path: the path built-ins: the path resource functions, following
// a path, drawing one, and the path actions. Path ids and point indices are
// rounded; a missing path gives the neutral result without a message unless
// the function names one.
#include <string>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "step/Path_Main.h"
#include "variables/Code_Function.h"
#include "world/Instance_Class.h"

namespace {

// ---- Reading a path: -1 when it does not exist ----

template <double (*Read)(const CPath&, const RValue*)>
void F_Read(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CPath* path = Path_Get(ArgInt(args, 0));
  result.SetReal(path ? Read(*path, args) : -1);
}

double Length(const CPath& p, const RValue*) { return p.Length(); }
double Kind(const CPath& p, const RValue*) { return p.Kind(); }
double Closed(const CPath& p, const RValue*) { return p.Closed() ? 1 : 0; }
double Precision(const CPath& p, const RValue*) { return p.Precision(); }
double Number(const CPath& p, const RValue*) { return p.Count(); }
double PointX(const CPath& p, const RValue* args) { return p.Point(ArgInt(args, 1)).x; }
double PointY(const CPath& p, const RValue* args) { return p.Point(ArgInt(args, 1)).y; }
double PointSpeed(const CPath& p, const RValue* args) { return p.Point(ArgInt(args, 1)).speed; }
double AtX(const CPath& p, const RValue* args) { return p.PositionAt(ArgReal(args, 1)).x; }
double AtY(const CPath& p, const RValue* args) { return p.PositionAt(ArgReal(args, 1)).y; }
double AtSpeed(const CPath& p, const RValue* args) { return p.PositionAt(ArgReal(args, 1)).speed; }

void F_PathExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Path_Exists(ArgInt(args, 0)) ? 1 : 0);
}

void F_PathName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = ArgInt(args, 0);
  result.SetString(Path_Exists(index) ? Resource_Name(RESOURCE_PATH, index) : std::string("<undefined>"));
}

// ---- Changing a path: a missing one is ignored ----

template <void (*Change)(CPath&, const RValue*)>
void F_Change(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CPath* path = Path_Get(ArgInt(args, 0))) Change(*path, args);
}

void SetKind(CPath& p, const RValue* args) { p.SetKind(ArgInt(args, 1)); }
void SetClosed(CPath& p, const RValue* args) { p.SetClosed(ArgBool(args, 1)); }
void SetPrecision(CPath& p, const RValue* args) { p.SetPrecision(ArgInt(args, 1)); }
void AddPoint(CPath& p, const RValue* args) { p.AddPoint(ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3)); }
void InsertPoint(CPath& p, const RValue* args) {
  p.InsertPoint(ArgInt(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4));
}
void ChangePoint(CPath& p, const RValue* args) {
  p.ChangePoint(ArgInt(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4));
}
void DeletePoint(CPath& p, const RValue* args) { p.DeletePoint(ArgInt(args, 1)); }
void ClearPoints(CPath& p, const RValue*) { p.ClearPoints(); }
void Reverse(CPath& p, const RValue*) { p.Reverse(); }
void Mirror(CPath& p, const RValue*) { p.Mirror(); }
void Flip(CPath& p, const RValue*) { p.Flip(); }
void Rotate(CPath& p, const RValue* args) { p.Rotate(ArgReal(args, 1)); }
void Scale(CPath& p, const RValue* args) { p.Scale(ArgReal(args, 1), ArgReal(args, 2)); }
void Shift(CPath& p, const RValue* args) { p.Shift(ArgReal(args, 1), ArgReal(args, 2)); }

// ---- The table ----

void F_PathAdd(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Path_Add()); }

void F_PathDuplicate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t copy = Path_Duplicate(ArgInt(args, 0));
  if (copy < 0)
    ReportActionError("Trying to duplicate non-existing path.");
  else
    result.SetReal(copy);
}

void F_PathAssign(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Path_Assign(ArgInt(args, 0), ArgInt(args, 1))) ReportActionError("Error assigning a path.");
}

void F_PathAppend(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CPath* path = Path_Get(ArgInt(args, 0));
  const CPath* other = Path_Get(ArgInt(args, 1));
  if (!path)
    ReportActionError("Appending to non-existing path.");
  else if (!other)
    ReportActionError("Appending a non-existing path.");
  else
    path->Append(*other);
}

void F_PathDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (Path_Delete(ArgInt(args, 0)))
    result.SetReal(1);
  else
    ReportActionError("Trying to delete non-existing path.");
}

// ---- Following and drawing ----

// path_start and action_path (path, speed, end action, absolute).
void F_PathStart(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  if (self) Path_Start(self, ArgInt(args, 0), ArgReal(args, 1), ArgInt(args, 2), ArgBool(args, 3), 0, 1);
}

void F_PathEnd(CInstance* self, CInstance*, int, RValue*, RValue&) {
  if (self) Path_End(self);
}

void F_DrawPath(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Path_Draw(ArgInt(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgBool(args, 3)))
    ReportActionError("Trying to drawn non-existing path.");
}

const RFunctionDef kPathFunctions[] = {
    {"path_start", F_PathStart, 4},
    {"path_end", F_PathEnd, 0},
    {"action_path", F_PathStart, 4},
    {"action_path_end", F_PathEnd, 0},
    {"path_exists", F_PathExists, 1},
    {"path_name", F_PathName, 1},
    {"path_get_name", F_PathName, 1},
    {"path_get_length", F_Read<Length>, 1},
    {"path_get_kind", F_Read<Kind>, 1},
    {"path_get_closed", F_Read<Closed>, 1},
    {"path_get_precision", F_Read<Precision>, 1},
    {"path_get_number", F_Read<Number>, 1},
    {"path_get_point_x", F_Read<PointX>, 2},
    {"path_get_point_y", F_Read<PointY>, 2},
    {"path_get_point_speed", F_Read<PointSpeed>, 2},
    {"path_get_x", F_Read<AtX>, 2},
    {"path_get_y", F_Read<AtY>, 2},
    {"path_get_speed", F_Read<AtSpeed>, 2},
    {"path_set_kind", F_Change<SetKind>, 2},
    {"path_set_closed", F_Change<SetClosed>, 2},
    {"path_set_precision", F_Change<SetPrecision>, 2},
    {"path_add", F_PathAdd, 0},
    {"path_duplicate", F_PathDuplicate, 1},
    {"path_assign", F_PathAssign, 2},
    {"path_append", F_PathAppend, 2},
    {"path_delete", F_PathDelete, 1},
    {"path_add_point", F_Change<AddPoint>, 4},
    {"path_insert_point", F_Change<InsertPoint>, 5},
    {"path_change_point", F_Change<ChangePoint>, 5},
    {"path_delete_point", F_Change<DeletePoint>, 2},
    {"path_clear_points", F_Change<ClearPoints>, 1},
    {"path_reverse", F_Change<Reverse>, 1},
    {"path_mirror", F_Change<Mirror>, 1},
    {"path_flip", F_Change<Flip>, 1},
    {"path_rotate", F_Change<Rotate>, 2},
    {"path_scale", F_Change<Scale>, 3},
    {"path_shift", F_Change<Shift>, 3},
    {"draw_path", F_DrawPath, 4},
};

}  // namespace

void Function_Path_Register() { RegisterFunctions(kPathFunctions); }
