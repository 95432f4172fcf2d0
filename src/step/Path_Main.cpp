#include "step/Path_Main.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "data/Resource_Names.h"
#include "graphics/Graphics_Draw.h"
#include "world/Instance_Class.h"

namespace {

std::vector<std::unique_ptr<CPath>> g_Table;

// A drawn path gets one vertex per 4 pixels of length; past this many the
// vertices only cost memory, so very long paths get longer segments.
constexpr double kMaxDrawSegments = 65536;

// (dx, dy) turned by the path orientation (degrees, counter-clockwise on
// screen) and multiplied by the path scale.
void Orient(const CInstance* inst, double& dx, double& dy) {
  const double r = inst->path_orientation * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
  const double x = dx, y = dy;
  dx = (c * x + s * y) * inst->path_scale;
  dy = (c * y - s * x) * inst->path_scale;
}

// Applies the end action to a position that has passed one end of the path.
// Which end is told by the position itself: past 1 is the far end, 0 or
// below the start. (A backwards run that lands exactly on 0 has reached the
// start, not the far end.)
void EndOfPath(CInstance* inst, const CPath& path) {
  const bool far_end = inst->path_position > 0;
  switch (inst->path_endaction) {
    case PATH_END_RESTART: inst->path_position += far_end ? -1 : 1; break;
    case PATH_END_CONTINUE: {
      const RPathPosition first = path.PositionAt(0), last = path.PositionAt(1);
      double dx = last.x - first.x, dy = last.y - first.y;
      Orient(inst, dx, dy);
      const double sign = far_end ? 1 : -1;
      inst->path_xstart += sign * dx;
      inst->path_ystart += sign * dy;
      inst->path_position -= sign;
      break;
    }
    case PATH_END_REVERSE:
      if (far_end) {
        inst->path_position = 2 - inst->path_position;
        inst->path_speed = -std::fabs(inst->path_speed);
      } else {
        inst->path_position = -inst->path_position;
        inst->path_speed = std::fabs(inst->path_speed);
      }
      break;
    default:
      // The instance stays at the end it reached, whichever way it ran.
      inst->path_position = far_end ? 1 : 0;
      inst->path_index = -1;
      break;
  }
}

}  // namespace

// ---- The table ----

void Path_Install(const RSlots<RPathRecord>& records) {
  g_Table.clear();
  g_Table.resize(records.size());
  for (size_t i = 0; i < records.size(); i++) {
    if (!records[i]) continue;
    g_Table[i] = std::make_unique<CPath>();
    g_Table[i]->LoadFrom(*records[i]);
  }
}

int32_t Path_Count() { return static_cast<int32_t>(g_Table.size()); }

CPath* Path_Get(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < g_Table.size() ? g_Table[index].get() : nullptr;
}

int32_t Path_Add() {
  const int32_t index = Path_Count();
  g_Table.push_back(std::make_unique<CPath>());
  Resource_SetName(RESOURCE_PATH, index, "__newpath" + std::to_string(index));
  return index;
}

int32_t Path_Duplicate(int32_t index) {
  if (!Path_Exists(index)) return -1;
  const int32_t copy = Path_Add();
  g_Table[copy]->CopyFrom(*g_Table[index]);
  return copy;
}

bool Path_Assign(int32_t target, int32_t source) {
  const CPath* from = Path_Get(source);
  if (!from || target < 0 || target >= Path_Count()) return false;
  if (!g_Table[target]) {
    g_Table[target] = std::make_unique<CPath>();
    Resource_SetName(RESOURCE_PATH, target, "__newpath" + std::to_string(target));
  }
  g_Table[target]->CopyFrom(*from);
  return true;
}

bool Path_Delete(int32_t index) {
  if (!Path_Exists(index)) return false;
  g_Table[index].reset();
  Resource_SetName(RESOURCE_PATH, index, "");
  return true;
}

// ---- Instances following paths ----

void Path_Start(CInstance* inst, int32_t path, double speed, int32_t end_action, bool absolute, double orientation,
                double scale) {
  inst->path_index = path;
  if (path < 0) return;
  const CPath* p = Path_Get(path);
  if (!p || !(p->Length() > 0)) {
    inst->path_index = -1;
    return;
  }
  inst->path_speed = speed;
  inst->path_position = inst->path_positionprevious = speed < 0 ? 1 : 0;
  inst->path_scale = scale;
  if (scale < 0) {
    inst->path_index = -1;
    return;
  }
  inst->path_orientation = orientation;
  inst->path_endaction = end_action;
  const RPathPosition from = p->PositionAt(inst->path_position), first = p->PositionAt(0);
  if (absolute) inst->SetPosition(from.x, from.y);
  // The anchor is where the path's first point lies, so that the instance
  // stands at the point it starts from: one running backwards starts at the
  // path's end, and an absolute path then lies exactly where it was made.
  double dx = from.x - first.x, dy = from.y - first.y;
  Orient(inst, dx, dy);
  inst->path_xstart = inst->x - dx;
  inst->path_ystart = inst->y - dy;
}

void Path_End(CInstance* inst) { inst->path_index = -1; }

bool Path_AdvanceInstance(CInstance* inst) {
  if (inst->path_index < 0) return false;
  const CPath* path = Path_Get(inst->path_index);
  // A scale of 0 shrinks the path to a point that cannot be travelled: the
  // instance stays, as on a path of length 0.
  if (!path || !(path->Length() > 0) || inst->path_speed == 0 || inst->path_scale == 0) return false;

  const double f = path->PositionAt(inst->path_position).speed;
  const double step = inst->path_speed * (f / (inst->path_scale * 100)) / path->Length();
  inst->path_position += step;
  // Held by a point speed of 0, the instance has not travelled: standing at
  // either end of the path is not arriving there.
  const bool ended = step != 0 && (inst->path_position >= 1 || inst->path_position <= 0);
  if (ended) EndOfPath(inst, *path);

  const RPathPosition at = path->PositionAt(inst->path_position), first = path->PositionAt(0);
  double dx = at.x - first.x, dy = at.y - first.y;
  Orient(inst, dx, dy);
  const double tx = inst->path_xstart + dx, ty = inst->path_ystart + dy;
  // Through the motion setters, so that the direction follows the motion
  // while the instance itself moves by the position alone.
  inst->SetHspeed(tx - inst->x);
  inst->SetVspeed(ty - inst->y);
  inst->SetSpeed(0);
  inst->SetPosition(tx, ty);
  return ended;
}

// ---- Drawing ----

bool Path_Draw(int32_t index, double x, double y, bool absolute) {
  const CPath* path = Path_Get(index);
  if (!path) return false;
  const RPathPosition start = path->PositionAt(0);
  const double ox = absolute ? 0 : x - start.x, oy = absolute ? 0 : y - start.y;
  const double k = std::min(std::nearbyint(path->Length() / 4), kMaxDrawSegments);
  if (!(k >= 1)) return true;
  static std::vector<double> xy;  // kept between calls: paths are drawn every frame
  xy.clear();
  const int32_t n = static_cast<int32_t>(k);
  for (int32_t j = 0; j <= n; j++) {
    const RPathPosition at = path->PositionAt(static_cast<double>(j) / n);
    xy.push_back(at.x + ox);
    xy.push_back(at.y + oy);
  }
  Draw_LineStrip(xy, Draw_Colour(), Draw_Alpha());
  return true;
}
