#include "world/Instance_Class.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "world/Object_Main.h"

int32_t Instance_LastId = INSTANCE_ID_BASE;

namespace {

bool NoSprites(int32_t, RSpriteShape&) { return false; }
SpriteShapeSource g_SpriteSource = NoSprites;

std::vector<std::unique_ptr<CInstance>> g_FreeInstances;
// Counters that only grow (see Instance_DestroyMarks).
uint64_t g_DestroyMarks = 0;
uint64_t g_DepthChanges = 0;

constexpr double kDegrees = std::numbers::pi / 180.0;

// Motion values within 0.0001 of an integer become that integer, so that
// directions and speeds derived from each other do not drift.
double Snap(double v) {
  double r = std::round(v);
  return std::fabs(v - r) < 0.0001 ? r : v;
}

int32_t RoundBox(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

}  // namespace

void Instance_SetSpriteSource(SpriteShapeSource source) { g_SpriteSource = source ? source : NoSprites; }
bool Instance_SpriteShape(int32_t sprite, RSpriteShape& out) { return g_SpriteSource(sprite, out); }

void Instance_MarkDestroyed(CInstance* inst) {
  inst->destroyed = true;
  g_DestroyMarks++;
}

uint64_t Instance_DestroyMarks() { return g_DestroyMarks; }
uint64_t Instance_DepthChanges() { return g_DepthChanges; }

CInstance* Instance_New() {
  if (g_FreeInstances.empty()) return new CInstance();
  CInstance* inst = g_FreeInstances.back().release();
  g_FreeInstances.pop_back();
  return inst;
}

void Instance_Free(CInstance* inst) {
  if (!inst) return;
  inst->Reset();
  g_FreeInstances.emplace_back(inst);
}

void CInstance::Reset() {
  // The stores keep their capacity for the next use.
  static_cast<RInstanceState&>(*this) = RInstanceState();
  variables.Clear();
  creation_code.clear();
}

void CInstance::Create(int32_t new_id, int32_t object, double px, double py) {
  id = new_id;
  x = xstart = xprevious = px;
  y = ystart = yprevious = py;
  SetObject(object);
  ComputeBoundingBox();
}

void CInstance::CopyFrom(const CInstance& source) {
  if (this == &source) return;
  static_cast<RInstanceState&>(*this) = source;
  variables.CopyFrom(source.variables);
  creation_code = source.creation_code;
}

void CInstance::SetObject(int32_t object) {
  object_index = object;
  if (const CObject* obj = Object_Get(object)) {
    SetSprite(obj->sprite);
    mask_index = obj->mask;
    SetDepth(obj->depth);
    solid = obj->solid;
    visible = obj->visible;
    persistent = obj->persistent;
  }
  ComputeBoundingBox();
}

void CInstance::SetSprite(int32_t sprite) {
  sprite_index = sprite;
  RSpriteShape shape;
  int32_t images = Instance_SpriteShape(sprite, shape) ? shape.images : 0;
  if (std::floor(image_index) >= images) image_index = 0;
  ComputeBoundingBox();
}

void CInstance::SetMask(int32_t mask) {
  mask_index = mask;
  ComputeBoundingBox();
}

void CInstance::SetXScale(double value) {
  if (value == image_xscale) return;
  image_xscale = value;
  ComputeBoundingBox();
}

void CInstance::SetYScale(double value) {
  if (value == image_yscale) return;
  image_yscale = value;
  ComputeBoundingBox();
}

void CInstance::SetAngle(double value) {
  if (value == image_angle) return;
  image_angle = value;
  ComputeBoundingBox();
}

void CInstance::SetDepth(double value) {
  // NaN compares unequal to itself: counted every time, which only costs a sort.
  if (value == depth) return;
  depth = value;
  g_DepthChanges++;
}

void CInstance::SetPosition(double px, double py) {
  if (px == x && py == y) return;
  x = px;
  y = py;
  ComputeBoundingBox();
}

void CInstance::SetPosition(double px, double py, const RSpriteShape* shape) {
  if (px == x && py == y) return;
  x = px;
  y = py;
  ComputeBoundingBox(shape);
}

void CInstance::DeriveDirectionAndSpeed() {
  double dir;
  if (hspeed != 0) {
    double a = std::atan2(vspeed, hspeed) / kDegrees;
    dir = a > 0 ? 360 - a : -a;
  } else {
    dir = vspeed > 0 ? 270 : vspeed < 0 ? 90 : 0;
  }
  dir = Snap(dir);
  direction = dir - 360 * std::floor(dir / 360);
  speed = Snap(std::sqrt(hspeed * hspeed + vspeed * vspeed));
}

void CInstance::DeriveComponents() {
  hspeed = Snap(std::cos(direction * kDegrees) * speed);
  vspeed = Snap(-std::sin(direction * kDegrees) * speed);
}

void CInstance::SetHspeed(double value) {
  if (value == hspeed) return;
  hspeed = value;
  DeriveDirectionAndSpeed();
}

void CInstance::SetVspeed(double value) {
  if (value == vspeed) return;
  vspeed = value;
  DeriveDirectionAndSpeed();
}

void CInstance::SetDirection(double value) {
  if (value == direction) return;
  direction = value - std::floor(value / 360) * 360;
  DeriveComponents();
}

void CInstance::SetSpeed(double value) {
  if (value == speed) return;
  speed = value;
  DeriveComponents();
}

void CInstance::AddMotion(double dir, double amount) {
  hspeed += std::cos(dir * kDegrees) * amount;
  vspeed -= std::sin(dir * kDegrees) * amount;
  DeriveDirectionAndSpeed();
}

void CInstance::SetPathPosition(double value) { path_position = value >= 0 ? std::min(value, 1.0) : 0; }
void CInstance::SetPathPositionPrevious(double value) {
  path_positionprevious = value >= 0 ? std::min(value, 1.0) : 0;
}

int32_t CInstance::ImageCount() const {
  RSpriteShape shape;
  return Instance_SpriteShape(sprite_index, shape) ? shape.images : 0;
}

bool CInstance::HasShape() const {
  RSpriteShape shape;
  return Instance_SpriteShape(ShapeIndex(), shape);
}

void CInstance::ComputeBoundingBox() {
  RSpriteShape shape;
  ComputeBoundingBox(Instance_SpriteShape(ShapeIndex(), shape) ? &shape : nullptr);
}

void CInstance::ComputeBoundingBox(const RSpriteShape* shape) {
  if (!shape) {
    bbox_left = bbox_top = bbox_right = bbox_bottom = INSTANCE_NO_BOX;
    precise = false;
    return;
  }
  const RSpriteShape& s = *shape;
  if (image_angle == 0) {
    bbox_left = RoundBox((s.left - s.xorigin) * image_xscale + x);
    bbox_right = RoundBox(x + image_xscale * (s.right - s.xorigin + 1) - 1);
    if (bbox_right < bbox_left) std::swap(bbox_left, bbox_right);
    bbox_top = RoundBox(y + image_yscale * (s.top - s.yorigin));
    bbox_bottom = RoundBox(y + image_yscale * (s.bottom - s.yorigin + 1) - 1);
    if (bbox_bottom < bbox_top) std::swap(bbox_top, bbox_bottom);
  } else {
    double l = std::min(s.left, s.right), r = std::max(s.left, s.right);
    double t = std::min(s.top, s.bottom), b = std::max(s.top, s.bottom);
    double B = (l - s.xorigin) * image_xscale, C = (r - s.xorigin + 1) * image_xscale - 1;
    double F = (t - s.yorigin) * image_yscale, G = (b - s.yorigin + 1) * image_yscale - 1;
    double c = std::cos(image_angle * kDegrees), n = std::sin(image_angle * kDegrees);
    bbox_left = RoundBox(std::min(c * B, c * C) + x + std::min(n * F, n * G));
    bbox_right = RoundBox(std::max(c * B, c * C) + x + std::max(n * F, n * G));
    bbox_top = RoundBox(std::min(c * F, c * G) + y - std::max(B * n, C * n));
    bbox_bottom = RoundBox(std::max(c * F, c * G) + y - std::min(B * n, C * n));
  }
  precise = s.precise;
}
