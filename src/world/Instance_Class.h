// Instance_Class: CInstance, one live copy of an object in a room: position
// and motion, sprite and image state, alarms, path and time line state, flags
// and its own variables. Fields whose change has consequences (the bounding
// box, the motion components) are written through the setters below.
#pragma once

#include <cstdint>
#include <string>

#include "code/Code_World.h"
#include "variables/Variable_Class.h"

constexpr int32_t INSTANCE_ALARMS = 12;
// The bounding box of an instance without a shape.
constexpr int32_t INSTANCE_NO_BOX = -100000;

// What the bounding box needs to know of a sprite.
struct RSpriteShape {
  int32_t images = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the sprite's own box
  int32_t xorigin = 0, yorigin = 0;
  bool precise = false;
};
// The sprite table answers through this hook: false when the index names no
// sprite. Until the sprite module sets it, no sprite exists.
using SpriteShapeSource = bool (*)(int32_t sprite, RSpriteShape& out);
void Instance_SetSpriteSource(SpriteShapeSource source);
bool Instance_SpriteShape(int32_t sprite, RSpriteShape& out);

// The last instance id handed out; run-time ids count on from it. Loaded with
// the rooms, never reset by a restart.
extern int32_t Instance_LastId;
inline int32_t Instance_NewId() { return ++Instance_LastId; }

// The plain fields of an instance, copied as one block.
struct RInstanceState {
  int32_t id = 0;
  int32_t sprite_index = -1;
  double image_index = 0;
  double image_speed = 1;
  double image_xscale = 1;
  double image_yscale = 1;
  double image_angle = 0;
  double image_alpha = 1;
  int32_t image_blend = 0xFFFFFF;
  int32_t mask_index = -1;
  double depth = 0;
  double x = 0, y = 0;
  double xstart = 0, ystart = 0;
  double xprevious = 0, yprevious = 0;
  double direction = 0;
  double speed = 0;
  double friction = 0;
  double gravity_direction = 270;
  double gravity = 0;
  double hspeed = 0, vspeed = 0;
  int32_t bbox_left = INSTANCE_NO_BOX, bbox_top = INSTANCE_NO_BOX;
  int32_t bbox_right = INSTANCE_NO_BOX, bbox_bottom = INSTANCE_NO_BOX;
  int32_t object_index = -1;
  int32_t alarm[INSTANCE_ALARMS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int32_t path_index = -1;
  int32_t path_endaction = 0;
  int32_t timeline_index = -1;
  double path_position = 0;
  double path_positionprevious = 0;
  double path_speed = 0;
  double path_scale = 1;
  double path_orientation = 0;
  double path_xstart = 0, path_ystart = 0;
  double timeline_position = 0;
  double timeline_speed = 1;
  // Copy of the precise flag of the sprite giving the shape.
  bool precise = false;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  // Marked for removal: skipped by every loop, test and lookup until the
  // room frees it.
  bool destroyed = false;
  // Marked for the room's deactivated list.
  bool deactivated = false;
};

class CInstance : public RInstanceState {
 public:
  // The instance's own variables.
  CVariableList variables;
  // Code run when its room is first entered.
  std::string creation_code;

  // Every field to its default, the variables emptied (a recycled instance
  // starts as a new one).
  void Reset();
  // A new instance of an object at a point: the defaults, then the object's
  // sprite, mask, depth, solid, visible and persistent, and the box.
  void Create(int32_t new_id, int32_t object, double px, double py);
  // Every field and the variables of `source`, id included.
  void CopyFrom(const CInstance& source);

  // Changes the object and takes the new object's sprite, mask, depth and
  // flags when it exists.
  void SetObject(int32_t object);
  // image_index goes back to 0 when it lies past the new sprite's images.
  void SetSprite(int32_t sprite);
  void SetMask(int32_t mask);
  void SetXScale(double value);
  void SetYScale(double value);
  void SetAngle(double value);
  void SetPosition(double px, double py);
  // The same with the shape already looked up by the caller: what
  // Instance_SpriteShape gives for ShapeIndex(), null when it gives none.
  void SetPosition(double px, double py, const RSpriteShape* shape);
  // A new depth counts as a change of the drawing order (Instance_DepthChanges).
  void SetDepth(double value);

  // Writing one motion component recomputes the others.
  void SetHspeed(double value);
  void SetVspeed(double value);
  void SetDirection(double value);
  void SetSpeed(double value);
  // hspeed += cos(dir) * amount, vspeed -= sin(dir) * amount.
  void AddMotion(double dir, double amount);

  // -1 outside 0..11; setting outside 0..11 does nothing.
  int32_t GetAlarm(int32_t i) const { return i >= 0 && i < INSTANCE_ALARMS ? alarm[i] : -1; }
  void SetAlarm(int32_t i, int32_t value) {
    if (i >= 0 && i < INSTANCE_ALARMS) alarm[i] = value;
  }
  // Clamped to 0..1; anything not >= 0 (NaN included) becomes 0.
  void SetPathPosition(double value);
  void SetPathPositionPrevious(double value);

  // Images of the sprite, 0 when it does not exist.
  int32_t ImageCount() const;
  // Whether the instance has a shape (a sprite through its mask or sprite).
  bool HasShape() const;
  // The sprite giving the shape: the mask, else the sprite.
  int32_t ShapeIndex() const { return mask_index >= 0 ? mask_index : sprite_index; }
  void ComputeBoundingBox();
  // From a shape looked up by the caller, as SetPosition's.
  void ComputeBoundingBox(const RSpriteShape* shape);

 private:
  void DeriveDirectionAndSpeed();
  void DeriveComponents();
};

// Marks an instance destroyed (skipped from now on, freed by its room's
// next CRoom::RemoveDestroyed) and counts the mark. Every destruction goes
// through here: a room that saw no new mark since its last removal skips
// its scan.
void Instance_MarkDestroyed(CInstance* inst);
// The marks and the depth changes made so far in the program. Counters of
// program lifetime that only grow, owned by Instance_Class and never reset:
// rooms keep the values they last acted on and compare.
uint64_t Instance_DestroyMarks();
uint64_t Instance_DepthChanges();

// Recycled instances: New gives a reset instance, Free takes it back. Games
// create and destroy instances constantly; reuse keeps the allocator and
// the variable stores' capacity out of it.
CInstance* Instance_New();
void Instance_Free(CInstance* inst);
