// Run_Handle_Collision: the motion and collision work of a step and of the
// built-ins: friction and gravity, the shape tests of an instance against
// another instance, a point, a rectangle, an ellipse and a line, the place
// tests and the moves that depend on them, and the collision phase.
//
// An instance marked destroyed, or without a shape (no sprite through its
// mask or sprite), meets nothing. Boxes are inclusive integer room pixels.
// `precise` asks for the mask test as well, which applies only to instances
// whose shape sprite has the precise flag.
#pragma once

#include <cstdint>

#include <vector>

#include "code/Code_Tree.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

// Friction slows the speed towards 0 (a negative friction accelerates), then
// gravity adds its motion; the caller moves the instance afterwards.
void Collision_ApplyFrictionGravity(CInstance* inst);

// ---- Shape tests ----

// Whether the shape contains the point; the box's right and bottom edges
// reach up to the next pixel.
bool Collision_ContainsPoint(const CInstance* inst, double px, double py, bool precise);
// Whether the shape meets the rectangle (corners in any order), the ellipse
// inscribed in it, or the segment between the two points.
bool Collision_MeetsRectangle(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise);
bool Collision_MeetsEllipse(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise);
bool Collision_MeetsLine(const CInstance* inst, double x1, double y1, double x2, double y2, bool precise);
// Whether two different instances collide: their boxes overlap, edges
// included, and with `precise` their masks do where either uses precise
// collisions.
bool Collision_Collides(const CInstance* a, const CInstance* b, bool precise);

// ---- Instance selectors ----

// Calls fn(inst) for every live active instance a selector names: self,
// other, all, an instance id or an object with its descendants; fn returns
// false to stop.
template <class Fn>
void Collision_ForSelected(CInstance* self, CInstance* other, int32_t selector, Fn fn);

// ---- Place tests: self moved to (x, y) for the test, then moved back ----

// Which instances a place test considers.
enum ECollisionAgainst : uint8_t { COLLISION_SOLID, COLLISION_ALL };

// Whether no instance (solid ones only for COLLISION_SOLID) of the current
// room collides with self at (x, y).
bool Collision_PlaceFree(CInstance* self, double x, double y, ECollisionAgainst against);
// Whether self at (x, y) meets an instance the selector names.
bool Collision_PlaceMeeting(CInstance* self, CInstance* other, double x, double y, int32_t selector);
// Calls fn() with self at (x, y) and returns its result; self goes back to
// where it was whatever fn did to the position.
template <class Fn>
auto Collision_WithSelfAt(CInstance* self, double x, double y, Fn&& fn);

// ---- Moves ----

// Moves pixel by pixel along dir until the next place would not be free, at
// most maxdist (rounded; 1000 when <= 0) pixels; nothing when the current
// place is not free.
void Collision_MoveContact(CInstance* self, double dir, double maxdist, ECollisionAgainst against);
// Moves pixel by pixel along dir while the place is not free, at most
// maxdist (rounded; 1000 when <= 0) pixels; whether the place is free at the
// end.
bool Collision_MoveOutside(CInstance* self, double dir, double maxdist, ECollisionAgainst against);
// Bounces off what self meets: without `advanced` by reversing the blocked
// speed components, with it by probing directions around the motion.
void Collision_MoveBounce(CInstance* self, bool advanced, ECollisionAgainst against);
// Up to 100 random places in the room, snapped down to the grid when a
// rounded snap is > 0; the first one free of solids becomes the position.
void Collision_MoveRandom(CInstance* self, double hsnap, double vsnap);

// ---- Distances ----

// From the box to the point; 0 inside.
double Collision_DistanceToPoint(const CInstance* self, double px, double py);
// Between the two boxes; 0 when they overlap.
double Collision_DistanceBetween(const CInstance* a, const CInstance* b);

// ---- The step ----

// The collision phase: for every ordered pair of objects with a collision
// event, every colliding pair of their instances performs both collision
// events; where one of the two is solid, both are first moved back, and
// after the events moved on by their (possibly changed) speeds unless that
// makes them collide again.
void Collision_StepPhase();

// ---- inline definitions ----

template <class Fn>
void Collision_ForSelected(CInstance* self, CInstance* other, int32_t selector, Fn fn) {
  if (selector == OWNER_SELF || selector == OWNER_OTHER) {
    CInstance* inst = selector == OWNER_SELF ? self : other;
    if (inst && !inst->destroyed && !inst->deactivated) fn(inst);
    return;
  }
  if (selector >= INSTANCE_ID_BASE) {
    if (CInstance* inst = Room_FindInstance(selector)) fn(inst);
    return;
  }
  if (selector != OWNER_ALL && selector < 0) return;
  auto list = [selector]() -> const std::vector<CInstance*>& {
    return selector == OWNER_ALL ? Room_Instances() : Room_ObjectInstances(selector);
  };
  size_t count = list().size();
  for (size_t i = 0; i < count && i < list().size(); i++) {
    CInstance* inst = list()[i];
    if (!inst->destroyed && !fn(inst)) return;
  }
}

template <class Fn>
auto Collision_WithSelfAt(CInstance* self, double x, double y, Fn&& fn) {
  const double old_x = self->x, old_y = self->y;
  self->SetPosition(x, y);
  auto result = fn();
  self->SetPosition(old_x, old_y);
  return result;
}
