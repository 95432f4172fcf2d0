#include "step/Motion_Potential.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "code/Code_Tree.h"
#include "step/Path_Class.h"
#include "step/Run_Handle_Collision.h"
#include "variables/Function_Math.h"
#include "world/Instance_Class.h"

namespace {

RPotentialSettings g_Settings;

// A route longer than this many steps is given up: a tiny step towards a
// far goal would otherwise keep the game busy for hours.
constexpr int32_t kMaxRouteSteps = 100000;

constexpr double kDegrees = std::numbers::pi / 180;

double Normalised(double a) { return a - 360 * std::floor(a / 360); }

double AngleDifference(double a, double b) {
  const double d = std::fabs(Normalised(a) - Normalised(b));
  return d > 180 ? 360 - d : d;
}

// Turns the instance towards the point and puts it there.
void MoveTo(CInstance* self, double x, double y) {
  self->SetDirection(Math_PointDirection(self->x, self->y, x, y));
  self->SetPosition(x, y);
}

// Direction a succeeds when it turns no more than the maximum rotation and
// both the step and the look-ahead beyond it are free; the instance then
// takes the step.
bool TryDirection(CInstance* self, double a, double step, const RObstacles& obstacles) {
  if (AngleDifference(self->direction, a) > g_Settings.max_rotation) return false;
  const double c = std::cos(a * kDegrees), s = std::sin(a * kDegrees);
  const double far = g_Settings.look_ahead * step;
  if (!Motion_Free(self, obstacles, self->x + c * far, self->y - s * far)) return false;
  const double x = self->x + c * step, y = self->y - s * step;
  if (!Motion_Free(self, obstacles, x, y)) return false;
  self->SetDirection(a);
  self->SetPosition(x, y);
  return true;
}

// The instance's place and heading, put back after a route was planned.
struct RSavedPlace {
  CInstance* inst;
  double x, y, direction;
  explicit RSavedPlace(CInstance* i) : inst(i), x(i->x), y(i->y), direction(i->direction) {}
  ~RSavedPlace() {
    inst->SetPosition(x, y);
    inst->SetDirection(direction);
  }
};

// The route being planned; kept between plans so that planning every step
// allocates nothing once it has grown.
std::vector<RPathPoint> g_Route;

void AddHere(const CInstance* self) { g_Route.push_back({self->x, self->y, 100}); }

}  // namespace

const RPotentialSettings& Motion_PotentialSettings() { return g_Settings; }

void Motion_SetPotentialSettings(const RPotentialSettings& settings) {
  g_Settings.max_rotation = std::max(settings.max_rotation, 1.0);
  g_Settings.rotation_step = std::max(settings.rotation_step, 1.0);
  g_Settings.look_ahead = std::max(settings.look_ahead, 1.0);
  g_Settings.rotate_on_spot = settings.rotate_on_spot;
}

bool Motion_Free(CInstance* self, const RObstacles& obstacles, double x, double y) {
  if (obstacles.obj == OWNER_ALL)
    return Collision_PlaceFree(self, x, y, obstacles.check_all ? COLLISION_ALL : COLLISION_SOLID);
  return !Collision_PlaceMeeting(self, obstacles.other, x, y, obstacles.obj);
}

bool Motion_LinearStep(CInstance* self, double gx, double gy, double step, const RObstacles& obstacles) {
  if (self->x == gx && self->y == gy) return true;
  const double dx = gx - self->x, dy = gy - self->y, d = std::sqrt(dx * dx + dy * dy);
  const bool reached = d <= step;
  const double tx = reached ? gx : self->x + dx * step / d, ty = reached ? gy : self->y + dy * step / d;
  if (Motion_Free(self, obstacles, tx, ty)) MoveTo(self, tx, ty);
  return reached;
}

bool Motion_PotentialStep(CInstance* self, double gx, double gy, double step, const RObstacles& obstacles) {
  if (self->x == gx && self->y == gy) return true;
  const double dx = gx - self->x, dy = gy - self->y;
  if (std::sqrt(dx * dx + dy * dy) <= step) {
    if (Motion_Free(self, obstacles, gx, gy)) MoveTo(self, gx, gy);
    return true;
  }
  // Directions ever further from the goal, each side in turn.
  const double h = Math_PointDirection(self->x, self->y, gx, gy);
  for (double m = 0; m < 180; m += g_Settings.rotation_step) {
    if (TryDirection(self, h - m, step, obstacles)) return false;
    if (m > 0 && TryDirection(self, h + m, step, obstacles)) return false;
  }
  if (g_Settings.rotate_on_spot) self->SetDirection(self->direction + g_Settings.max_rotation);
  return false;
}

bool Motion_LinearPath(CInstance* self, CPath& path, double gx, double gy, double step, const RObstacles& obstacles) {
  if (!(step > 0)) return false;
  RSavedPlace saved(self);
  g_Route.clear();
  bool found = false;
  for (int32_t n = 0; n < kMaxRouteSteps && !found; n++) {
    AddHere(self);
    const double x = self->x, y = self->y;
    found = Motion_LinearStep(self, gx, gy, step, obstacles);
    if (!found && self->x == x && self->y == y) break;
  }
  if (found) g_Route.push_back({gx, gy, 100});
  path.SetPolyline(g_Route);
  return found;
}

bool Motion_PotentialPath(CInstance* self, CPath& path, double gx, double gy, double step, double factor,
                          const RObstacles& obstacles) {
  if (!(step > 0) || !(factor >= 1)) return false;
  RSavedPlace saved(self);
  g_Route.clear();
  AddHere(self);
  const double limit = factor * std::hypot(gx - self->x, gy - self->y);
  // Standing still while turning by the maximum rotation each step, the
  // instance has faced every direction after this many steps: if it still
  // cannot move, it never will.
  const int32_t stuck_limit =
      g_Settings.rotate_on_spot ? static_cast<int32_t>(std::ceil(360 / g_Settings.max_rotation)) + 1 : 0;
  double length = 0;
  bool found = false;
  for (int32_t n = 0, still = 0; n < kMaxRouteSteps; n++) {
    if (Motion_PotentialStep(self, gx, gy, step, obstacles)) {
      found = true;
      break;
    }
    const RPathPoint& last = g_Route.back();
    const double moved = std::hypot(self->x - last.x, self->y - last.y);
    AddHere(self);
    length += moved;
    if (length > limit) break;
    still = moved == 0 ? still + 1 : 0;
    if (still > stuck_limit) break;
  }
  if (found) g_Route.push_back({gx, gy, 100});
  path.SetPolyline(g_Route);
  return found;
}
