// Path_Main: the path table, instances following paths and drawing a path.
//
// State: the path table (paths with their names in the resource names),
// owned here for the game: filled by Path_Install at load, changed by the
// path built-ins, emptied by Path_Install({}) (tests, and a new load).
#pragma once

#include <cstdint>

#include "data/DataNew_Class.h"
#include "step/Path_Class.h"

class CInstance;

// ---- The table ----

// Replaces the table with paths made from the records (slot i empty for a
// missing record). The names are installed with the other resource names.
void Path_Install(const RSlots<RPathRecord>& records);
int32_t Path_Count();
// The path at index, or null.
CPath* Path_Get(int32_t index);
inline bool Path_Exists(int32_t index) { return Path_Get(index) != nullptr; }
// A new empty path named "__newpath" + index; its index.
int32_t Path_Add();
// A new path copied from an existing one; -1 when it does not exist.
int32_t Path_Duplicate(int32_t index);
// Path `target` (created when its slot is empty) becomes a copy of
// `source`; false when source does not exist or target lies outside the
// table.
bool Path_Assign(int32_t target, int32_t source);
// Frees the path and clears its name; false when it does not exist.
// Instances still naming it stop moving along it.
bool Path_Delete(int32_t index);

// ---- Instances following paths ----

// End actions of an instance's path.
enum : int32_t { PATH_END_STOP = 0, PATH_END_RESTART = 1, PATH_END_CONTINUE = 2, PATH_END_REVERSE = 3 };

// Sets the instance on a path: a negative index ends its path; a missing
// path, one of length 0 or a negative scale leave it without one. With a
// negative speed it starts at the end. When absolute, the instance moves to
// the point it starts from; otherwise the path is laid out so that this
// point is where the instance stands.
void Path_Start(CInstance* inst, int32_t path, double speed, int32_t end_action, bool absolute, double orientation,
                double scale);
// The instance follows no path any more; nothing else changes.
void Path_End(CInstance* inst);

// Moves the instance along its path for one step; true when it reached the
// end of the path in this step (the caller raises the end of path event).
// Does nothing without a path, with a missing or empty path, at speed 0 or
// at scale 0.
bool Path_AdvanceInstance(CInstance* inst);

// ---- Drawing ----

// Draws the path as a line strip in the drawing colour and alpha, starting
// at (x, y) unless absolute; false when the path does not exist.
bool Path_Draw(int32_t path, double x, double y, bool absolute);

