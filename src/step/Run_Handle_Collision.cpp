#include "step/Run_Handle_Collision.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "step/Path_Main.h"
#include "variables/Function_Math.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

constexpr double kDegrees = std::numbers::pi / 180.0;
// Pixel-by-pixel moves without a usable limit stop after this many pixels.
constexpr int64_t kDefaultMoveLimit = 1000;
constexpr int32_t kRandomTries = 100;
constexpr int32_t kBounceProbes = 35;

// A real coordinate as the nearest integer pixel, ties to even; values out
// of range (NaN included) end at the far edge instead of wrapping round.
int32_t Pixel(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (!(v < 2147483647.0)) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(v));
}

int64_t MoveLimit(double maxdist) {
  if (!(maxdist > 0)) return kDefaultMoveLimit;
  double n = std::nearbyint(maxdist);
  return n < 9.0e18 ? static_cast<int64_t>(n) : INT64_MAX;
}

// Box against box, edges included. Shapeless instances all carry the same
// placeholder box, so the shape check follows a hit rather than precede
// every test.
inline bool BoxesOverlap(const CInstance* a, const CInstance* b) {
  return b->bbox_left <= a->bbox_right && a->bbox_left <= b->bbox_right && b->bbox_top <= a->bbox_bottom &&
         a->bbox_top <= b->bbox_bottom;
}

// The box against a rectangle given by real corners in any order: the box
// reaches up to the next pixel on the right and at the bottom.
bool BoxMeetsArea(const CInstance* inst, double x1, double y1, double x2, double y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  return x1 < inst->bbox_right + 1.0 && x2 >= inst->bbox_left && y1 < inst->bbox_bottom + 1.0 &&
         y2 >= inst->bbox_top;
}

bool Testable(const CInstance* inst) { return !inst->destroyed && inst->HasShape(); }

// ---- Mask tests ----

// The shape sprite of an instance (its mask, else its sprite) placed as the
// instance shows it; null when there is none or it has no images, which
// meets nothing precisely.
const CSprite* ShapeSprite(const CInstance* inst, RSpritePlacement& p) {
  const CSprite* s = Sprite_Get(inst->mask_index >= 0 ? inst->mask_index : inst->sprite_index);
  if (!s || s->ImageCount() == 0) return nullptr;
  p.image = Pixel(std::floor(inst->image_index));
  p.left = inst->bbox_left;
  p.top = inst->bbox_top;
  p.right = inst->bbox_right;
  p.bottom = inst->bbox_bottom;
  p.x = Pixel(inst->x);
  p.y = Pixel(inst->y);
  p.xscale = inst->image_xscale;
  p.yscale = inst->image_yscale;
  p.angle = inst->image_angle;
  return s;
}

// Calls test(sprite, placement, x1, y1, x2, y2) for the instance's shape.
bool MaskMeets(const CInstance* inst, bool (*test)(const CSprite&, const RSpritePlacement&, int32_t, int32_t, int32_t, int32_t),
               int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  RSpritePlacement p;
  const CSprite* s = ShapeSprite(inst, p);
  return s && test(*s, p, x1, y1, x2, y2);
}

bool MaskPoint(const CInstance* inst, int32_t px, int32_t py) {
  RSpritePlacement p;
  const CSprite* s = ShapeSprite(inst, p);
  return s && Sprite_PrecisePoint(*s, p, px, py);
}

bool MaskOverlap(const CInstance* a, const CInstance* b) {
  RSpritePlacement pa, pb;
  const CSprite* sa = ShapeSprite(a, pa);
  const CSprite* sb = sa ? ShapeSprite(b, pb) : nullptr;
  return sb && Sprite_PreciseOverlap(*sa, pa, *sb, pb);
}

// ---- Place tests ----

bool Blocks(const CInstance* self, const CInstance* inst, ECollisionAgainst against) {
  return (against == COLLISION_ALL || inst->solid) && Collision_Collides(self, inst, true);
}

bool FreeHere(CInstance* self, ECollisionAgainst against) {
  CRoom* room = Room_Current();
  if (!room) return true;
  for (const CInstance* inst : room->Instances())
    if (Blocks(self, inst, against)) return false;
  return true;
}

// One pixel along a direction in degrees.
void Step(double dir, double& dx, double& dy) {
  dx = std::cos(dir * kDegrees);
  dy = -std::sin(dir * kDegrees);
}

// A random integer in [low, high); low itself for an empty range.
double RandomIn(double low, double high) {
  double size = high - low;
  return size >= 1 ? low + Random_Below(static_cast<uint32_t>(std::min(size, 4294967295.0))) : low;
}

double SnapDown(double v, int32_t snap) { return snap > 0 ? snap * std::floor(v / snap) : v; }

// ---- Collision phase ----

void MoveBack(CInstance* inst) {
  inst->SetPosition(inst->xprevious, inst->yprevious);
  inst->SetPathPosition(inst->path_positionprevious);
}

void MoveOn(CInstance* inst) {
  // The end of a path reached here raises no event.
  Path_AdvanceInstance(inst);
  inst->SetPosition(inst->x + inst->hspeed, inst->y + inst->vspeed);
}

void Collide(CInstance* i, CInstance* j) {
  if (i->solid || j->solid) {
    MoveBack(i);
    MoveBack(j);
  }
  PerformEvent(i, j, EV_COLLISION, j->object_index);
  PerformEvent(j, i, EV_COLLISION, i->object_index);
  // The events may have changed the speeds or the solid flags.
  if (i->solid || j->solid) {
    MoveOn(i);
    MoveOn(j);
    if (Collision_Collides(i, j, true)) {
      MoveBack(i);
      MoveBack(j);
    }
  }
}

// Every instance of object a against every instance of object b. Events
// may create, destroy or (de)activate instances and so move the lists: the
// counts are taken first and a list is fetched again after every event.
void CollideObjects(CRoom& room, int32_t a, int32_t b) {
  const size_t count_a = room.ObjectInstances(a).size();
  for (size_t ia = 0; ia < count_a; ia++) {
    const std::vector<CInstance*>* list_a = &room.ObjectInstances(a);
    if (ia >= list_a->size()) break;
    CInstance* i = (*list_a)[ia];
    if (i->destroyed) continue;
    const std::vector<CInstance*>* list_b = &room.ObjectInstances(b);
    const size_t count_b = list_b->size();
    for (size_t ib = 0; ib < count_b && ib < list_b->size(); ib++) {
      CInstance* j = (*list_b)[ib];
      if (!BoxesOverlap(i, j) || !Collision_Collides(i, j, true)) continue;
      Collide(i, j);
      list_b = &room.ObjectInstances(b);
    }
  }
}

}  // namespace

void Collision_ApplyFrictionGravity(CInstance* inst) {
  if (inst->friction != 0) {
    double s = inst->speed;
    double slowed = s > 0 ? s - inst->friction : s + inst->friction;
    // Friction stops an instance; it never turns it round.
    if ((s > 0 && slowed < 0) || (s < 0 && slowed > 0))
      inst->SetSpeed(0);
    else if (s != 0)
      inst->SetSpeed(slowed);
  }
  if (inst->gravity != 0) inst->AddMotion(inst->gravity_direction, inst->gravity);
}

// ---- Shape tests ----

bool Collision_ContainsPoint(const CInstance* inst, double px, double py, bool precise) {
  if (!(px >= inst->bbox_left && px < inst->bbox_right + 1.0 && py >= inst->bbox_top && py < inst->bbox_bottom + 1.0))
    return false;
  if (!Testable(inst)) return false;
  return !(precise && inst->precise) || MaskPoint(inst, Pixel(px), Pixel(py));
}

bool Collision_MeetsRectangle(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise) {
  if (!BoxMeetsArea(inst, x1, y1, x2, y2) || !Testable(inst)) return false;
  return !(precise && inst->precise) || MaskMeets(inst, Sprite_PreciseRectangle, Pixel(x1), Pixel(y1), Pixel(x2), Pixel(y2));
}

bool Collision_MeetsEllipse(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise) {
  if (!BoxMeetsArea(inst, x1, y1, x2, y2) || !Testable(inst)) return false;
  int32_t l = Pixel(std::min(x1, x2)), r = Pixel(std::max(x1, x2));
  int32_t t = Pixel(std::min(y1, y2)), b = Pixel(std::max(y1, y2));
  if (l == r || t == b) return Collision_MeetsRectangle(inst, x1, y1, x2, y2, precise);
  const double cx = (static_cast<double>(l) + r) / 2, cy = (static_cast<double>(t) + b) / 2;
  const double rx = (static_cast<double>(r) - l) / 2, ry = (static_cast<double>(b) - t) / 2;
  const bool beside = cx < inst->bbox_left || cx > inst->bbox_right;
  const bool beyond = cy < inst->bbox_top || cy > inst->bbox_bottom;
  // Only in a diagonal position can the box overlap the ellipse's rectangle
  // without meeting the ellipse; a corner of the box must then lie inside.
  if (beside && beyond) {
    auto inside = [&](double px, double py) {
      double u = (cx - px) / rx, v = (cy - py) / ry;
      return u * u + v * v <= 1;
    };
    if (!inside(inst->bbox_left, inst->bbox_top) && !inside(inst->bbox_right, inst->bbox_top) &&
        !inside(inst->bbox_left, inst->bbox_bottom) && !inside(inst->bbox_right, inst->bbox_bottom))
      return false;
  }
  return !(precise && inst->precise) || MaskMeets(inst, Sprite_PreciseEllipse, l, t, r, b);
}

bool Collision_MeetsLine(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise) {
  if (!BoxMeetsArea(inst, x1, y1, x2, y2) || !Testable(inst)) return false;
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  // Clip to the box's columns; a vertical segment needs no clipping.
  const double left = inst->bbox_left, right = inst->bbox_right + 1.0;
  double ya = y1, yb = y2, xa = x1, xb = x2;
  if (x2 != x1) {
    const double slope = (y2 - y1) / (x2 - x1);
    if (xa < left) {
      ya = y1 + (left - x1) * slope;
      xa = left;
    }
    if (xb > right) {
      yb = y1 + (right - x1) * slope;
      xb = right;
    }
  }
  const double top = inst->bbox_top, bottom = inst->bbox_bottom + 1.0;
  if ((ya < top && yb < top) || (ya >= bottom && yb >= bottom)) return false;
  return !(precise && inst->precise) || MaskMeets(inst, Sprite_PreciseLine, Pixel(xa), Pixel(ya), Pixel(xb), Pixel(yb));
}

bool Collision_Collides(const CInstance* a, const CInstance* b, bool precise) {
  if (!BoxesOverlap(a, b) || a == b || !Testable(a) || !Testable(b)) return false;
  if (!precise || (!a->precise && !b->precise)) return true;
  return MaskOverlap(a, b);
}

// ---- Place tests and moves ----

bool Collision_PlaceFree(CInstance* self, double x, double y, ECollisionAgainst against) {
  return Collision_WithSelfAt(self, x, y, [&] { return FreeHere(self, against); });
}

bool Collision_PlaceMeeting(CInstance* self, CInstance* other, double x, double y, int32_t selector) {
  return Collision_WithSelfAt(self, x, y, [&] {
    bool met = false;
    Collision_ForSelected(self, other, selector, [&](CInstance* inst) {
      met = Collision_Collides(self, inst, true);
      return !met;
    });
    return met;
  });
}

void Collision_MoveContact(CInstance* self, double dir, double maxdist, ECollisionAgainst against) {
  if (!FreeHere(self, against)) return;
  double dx, dy;
  Step(dir, dx, dy);
  for (int64_t n = MoveLimit(maxdist); n > 0; n--) {
    const double nx = self->x + dx, ny = self->y + dy;
    if (!Collision_PlaceFree(self, nx, ny, against)) return;
    self->SetPosition(nx, ny);
  }
}

bool Collision_MoveOutside(CInstance* self, double dir, double maxdist, ECollisionAgainst against) {
  double dx, dy;
  Step(dir, dx, dy);
  const int64_t limit = MoveLimit(maxdist);
  for (int64_t n = 0; n < limit && !FreeHere(self, against); n++) self->SetPosition(self->x + dx, self->y + dy);
  return FreeHere(self, against);
}

void Collision_MoveBounce(CInstance* self, bool advanced, ECollisionAgainst against) {
  auto free_at = [&](double x, double y) { return Collision_PlaceFree(self, x, y, against); };
  bool moved_back = false;
  if (!FreeHere(self, against)) {
    self->SetPosition(self->xprevious, self->yprevious);
    moved_back = true;
  }
  const double x = self->x, y = self->y, hs = self->hspeed, vs = self->vspeed;
  if (!advanced) {
    const bool h = !free_at(x + hs, y), v = !free_at(x, y + vs);
    // Both components blocked, or neither but the diagonal: a corner.
    if (h == v && (h || !free_at(x + hs, y + vs))) {
      self->SetHspeed(-hs);
      self->SetVspeed(-vs);
    } else if (h) {
      self->SetHspeed(-hs);
    } else if (v) {
      self->SetVspeed(-vs);
    }
    return;
  }
  // Probe the directions on either side of the motion, 10 degrees apart,
  // for the first free one: the new direction mirrors the motion about the
  // gap between them.
  const double m = 10 * std::nearbyint(self->direction / 10), sp = self->speed;
  bool blocked = false;
  auto probe = [&](double sign) {
    double o = m;
    for (int32_t k = 1; k <= kBounceProbes; k++) {
      o = m + sign * 10 * k;
      if (free_at(x + std::cos(o * kDegrees) * sp, y - std::sin(o * kDegrees) * sp)) break;
      blocked = true;
    }
    return o;
  };
  const double o = probe(-1);
  const double r = probe(1);
  if (moved_back || blocked) self->SetDirection(o + r + 180 - m);
}

void Collision_MoveRandom(CInstance* self, double hsnap, double vsnap) {
  CRoom* room = Room_Current();
  if (!room) return;
  const int32_t hs = Pixel(hsnap), vs = Pixel(vsnap);
  double xlo = 0, xhi = room->width, ylo = 0, yhi = room->height;
  if (self->HasShape()) {
    // The origin's range that keeps the whole box inside the room.
    xlo = Pixel(self->x - self->bbox_left);
    xhi = Pixel(self->x + room->width - self->bbox_right);
    ylo = Pixel(self->y - self->bbox_top);
    yhi = Pixel(room->height + self->y - self->bbox_bottom);
  }
  for (int32_t t = 0; t < kRandomTries; t++) {
    const double nx = SnapDown(RandomIn(xlo, xhi), hs);
    const double ny = SnapDown(RandomIn(ylo, yhi), vs);
    if (Collision_PlaceFree(self, nx, ny, COLLISION_SOLID)) {
      self->SetPosition(nx, ny);
      return;
    }
  }
}

// ---- Distances ----

double Collision_DistanceToPoint(const CInstance* self, double px, double py) {
  double dx = 0, dy = 0;
  if (px > self->bbox_right) dx = px - self->bbox_right;
  if (px < self->bbox_left) dx = px - self->bbox_left;
  if (py > self->bbox_bottom) dy = py - self->bbox_bottom;
  if (py < self->bbox_top) dy = py - self->bbox_top;
  return std::sqrt(dx * dx + dy * dy);
}

double Collision_DistanceBetween(const CInstance* a, const CInstance* b) {
  double dx = 0, dy = 0;
  if (a->bbox_right < b->bbox_left) dx = static_cast<double>(b->bbox_left) - a->bbox_right;
  if (b->bbox_right < a->bbox_left) dx = static_cast<double>(a->bbox_left) - b->bbox_right;
  if (a->bbox_bottom < b->bbox_top) dy = static_cast<double>(b->bbox_top) - a->bbox_bottom;
  if (b->bbox_bottom < a->bbox_top) dy = static_cast<double>(a->bbox_top) - b->bbox_bottom;
  return std::sqrt(dx * dx + dy * dy);
}

// ---- The step ----

void Collision_StepPhase() {
  CRoom* room = Room_Current();
  if (!room) return;
  // Events may rebuild the pair list (object_event_add): read it by position.
  for (size_t p = 0; p < Event_CollisionPairs().size(); p++) {
    const auto [a, b] = Event_CollisionPairs()[p];
    CollideObjects(*room, a, b);
  }
}
