#include "functions/Particle_Main.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "functions/Particle_Effect.h"
#include "functions/Particle_Form.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "variables/Function_Math.h"

namespace {

constexpr double kRadians = std::numbers::pi / 180;
// Systems within this distance of a depth are drawn together.
constexpr double kDepthTolerance = 0.01;

CParticleTable<RParticleType> g_Types;
CParticleTable<CParticleSystem> g_Systems;

// The type record of a particle. Particles only name types that existed;
// a destroyed type's slot holds the defaults, which such particles live by.
const RParticleType& TypeOf(int32_t id) {
  static const RParticleType kDefaults;
  const std::vector<RParticleType>& slots = g_Types.Slots();
  return id >= 0 && id < static_cast<int32_t>(slots.size()) ? slots[id] : kDefaults;
}

// min + u (max - min) with u from the shared generator; min when max <= min
// (and then nothing is drawn).
double RandomRange(double min, double max) { return max > min ? min + Random_Real() * (max - min) : min; }

// A real as an int32 that cannot overflow: values that grew beyond the range
// (or stopped being numbers) over many steps are held at its ends.
int32_t SafeInt(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(v, -2147483648.0, 2147483647.0)));
}
int32_t Channel(double v) { return std::clamp(SafeInt(v), 0, 255); }

int32_t InitialColour(const RParticleType& t) {
  const double* c = t.colour;
  switch (t.colour_mode) {
    case PART_COLOUR_RGB: {
      const int32_t r = Channel(RandomRange(c[0], c[1]));
      const int32_t g = Channel(RandomRange(c[2], c[3]));
      const int32_t b = Channel(RandomRange(c[4], c[5]));
      return r | g << 8 | b << 16;
    }
    case PART_COLOUR_HSV: {
      const int32_t h = Channel(RandomRange(c[0], c[1]));
      const int32_t s = Channel(RandomRange(c[2], c[3]));
      const int32_t v = Channel(RandomRange(c[4], c[5]));
      return Colour_FromHsv(h, s, v);
    }
    case PART_COLOUR_MIX:
      return Colour_Merge(SafeInt(c[0]), SafeInt(c[1]), Random_Real());
    default:
      return SafeInt(c[0]);
  }
}

// Whether a point already inside a region's box is inside its shape: the
// ellipse or diamond that fills the box; a rectangle or line is the box.
template <class R>
bool InRegion(const R& r, double x, double y) {
  if (x < r.xmin || x > r.xmax || y < r.ymin || y > r.ymax) return false;
  if (r.shape != PART_SHAPE_ELLIPSE && r.shape != PART_SHAPE_DIAMOND) return true;
  const double nx = (x - (r.xmin + r.xmax) / 2) * 2 / (r.xmax - r.xmin);
  const double ny = (y - (r.ymin + r.ymax) / 2) * 2 / (r.ymax - r.ymin);
  return r.shape == PART_SHAPE_ELLIPSE ? nx * nx + ny * ny <= 1 : std::fabs(nx) + std::fabs(ny) <= 1;
}
template <class R>
bool HasArea(const R& r) {
  return r.used && r.xmin < r.xmax && r.ymin < r.ymax;
}

// A fraction 0 ... 1 by an emitter's distribution.
double Fraction(int32_t distribution) {
  if (distribution != PART_DISTR_GAUSSIAN && distribution != PART_DISTR_INVGAUSSIAN) return Random_Real();
  double x;
  do {
    x = (Random_Real() - 0.5) * 6;
  } while (!(Random_Real() < std::exp(-x * x / 2)));
  if (distribution == PART_DISTR_GAUSSIAN) return (x + 3) / 6;
  return x >= 0 ? x / 6 : (x + 6) / 6;
}

// A death or step number as a count: a negative n gives one with chance
// 1 / |n|, else none.
int32_t Chance(int32_t n) {
  if (n >= 0) return n;
  return Random_Below(static_cast<uint32_t>(-static_cast<int64_t>(n))) == 0 ? 1 : 0;
}

// The highest depth below `above` of a system the room still has to draw.
double NextDepth(double above) {
  double next = ROOM_NO_DEPTH;
  for (const CParticleSystem& s : g_Systems.Slots())
    if (s.used && s.automatic_draw && s.depth < above && !(std::fabs(s.depth - above) < kDepthTolerance))
      next = std::max(next, s.depth);
  return next;
}

}  // namespace

double Particle_Wiggle(int64_t k, int32_t period) {
  const double t = static_cast<double>(k % period) / (period / 4.0);
  return (t <= 2 ? t : 4 - t) - 1;
}

// ---------------------------------------------------------------------------
// Creation

RParticle CParticleSystem::Make(const RParticleType& t, int32_t type_id, double px, double py) {
  RParticle p;
  p.alive = true;
  p.type = type_id;
  p.x = p.xprevious = px;
  p.y = p.yprevious = py;
  p.speed = RandomRange(t.speed_min, t.speed_max);
  p.direction = RandomRange(t.direction_min, t.direction_max);
  p.orientation = RandomRange(t.orientation_min, t.orientation_max);
  p.life = SafeInt(RandomRange(t.life_min, t.life_max));
  p.age = 0;
  p.colour = InitialColour(t);
  p.alpha = t.alpha_start;
  p.size = RandomRange(t.size_min, t.size_max);
  p.subimage = t.random_subimage ? static_cast<int32_t>(Random_Below(10000)) : 0;
  p.random = static_cast<int32_t>(Random_Below(100000));
  return p;
}

void CParticleSystem::Create(double px, double py, int32_t type, int32_t n, const int32_t* colour) {
  const RParticleType* t = ParticleType_Find(type);
  if (t == nullptr || n <= 0) return;
  n = std::min(n, PARTICLE_MAX_PER_SYSTEM - Count());
  for (int32_t i = 0; i < n; ++i) {
    particles_.push_back(Make(*t, type, px, py));
    if (colour != nullptr) particles_.back().colour = *colour;
  }
}

void CParticleSystem::Burst(const RParticleEmitter& e, int32_t type, int32_t n) {
  const RParticleType* t = ParticleType_Find(type);
  if (t == nullptr) return;
  n = std::min(Chance(n), PARTICLE_MAX_PER_SYSTEM - Count());
  // Rejected points are drawn again; the bound only keeps a pathological
  // region from spinning (acceptance is above 30% for every shape).
  constexpr int32_t kMaxTries = 1000;
  for (int32_t i = 0; i < n; ++i) {
    double fx = 0.5, fy = 0.5;
    for (int32_t attempt = 0; attempt < kMaxTries; ++attempt) {
      fx = Fraction(e.distribution);
      fy = Fraction(e.distribution);
      if (e.distribution == PART_DISTR_INVGAUSSIAN && e.shape != PART_SHAPE_LINE)
        (Random_Real() >= 0.5 ? fy : fx) = Random_Real();
      const double ax = fx - 0.5, ay = fy - 0.5;
      if (e.shape == PART_SHAPE_ELLIPSE && ax * ax + ay * ay > 0.25) continue;
      if (e.shape == PART_SHAPE_DIAMOND && std::fabs(ax) + std::fabs(ay) > 0.5) continue;
      break;
    }
    const double fy_used = e.shape == PART_SHAPE_LINE ? fx : fy;
    particles_.push_back(
        Make(*t, type, e.xmin + fx * (e.xmax - e.xmin), e.ymin + fy_used * (e.ymax - e.ymin)));
  }
}

// ---------------------------------------------------------------------------
// The step

void CParticleSystem::RemoveDead() {
  particles_.erase(std::remove_if(particles_.begin(), particles_.end(), [](const RParticle& p) { return !p.alive; }),
                   particles_.end());
}

void CParticleSystem::Move(RParticle& p, const RParticleType& t, bool attract) {
  p.xprevious = p.x;
  p.yprevious = p.y;
  p.speed = std::max(0.0, p.speed + t.speed_increase);
  p.direction += t.direction_increase;
  p.orientation += t.orientation_increase;
  double shift_x = 0, shift_y = 0;
  if (t.gravity_amount != 0 || attract) {
    double vx = std::cos(p.direction * kRadians) * p.speed, vy = -std::sin(p.direction * kRadians) * p.speed;
    vx += std::cos(t.gravity_direction * kRadians) * t.gravity_amount;
    vy -= std::sin(t.gravity_direction * kRadians) * t.gravity_amount;
    if (attract) {
      for (const RParticleAttractor& a : attractors.Slots()) {
        if (!a.used) continue;
        const double dx = a.x - p.x, dy = a.y - p.y, e = std::hypot(dx, dy);
        if (e > a.distance || e == 0 || a.force == 0 || a.distance == 0) continue;
        double f = a.force / e;
        if (a.kind == PART_FORCE_LINEAR) f *= (a.distance - e) / a.distance;
        if (a.kind == PART_FORCE_QUADRATIC) f *= (a.distance - e) / a.distance * ((a.distance - e) / a.distance);
        (a.additive ? vx : shift_x) += dx * f;
        (a.additive ? vy : shift_y) += dy * f;
      }
    }
    p.speed = std::hypot(vx, vy);
    if (vx == 0) {
      p.direction = vy > 0 ? 270 : vy < 0 ? 90 : 0;
    } else {
      p.direction = std::atan2(-vy, vx) / kRadians;
      if (p.direction < 0) p.direction += 360;
    }
  }
  double s = p.speed, d = p.direction;
  if (t.speed_wiggle != 0) s += t.speed_wiggle * Particle_Wiggle(p.age + 4 * int64_t{p.random}, 20);
  if (t.direction_wiggle != 0) d += t.direction_wiggle * Particle_Wiggle(p.age + 3 * int64_t{p.random}, 24);
  if (s != 0) {
    p.x += std::cos(d * kRadians) * s;
    p.y -= std::sin(d * kRadians) * s;
  }
  p.x += shift_x;
  p.y += shift_y;
}

void CParticleSystem::Update() {
  // 1. Life. Particles made here are appended and wait for the next step,
  // so a type that dies into itself cannot chain within one step.
  const size_t lived = particles_.size();
  bool died = false;
  for (size_t i = 0; i < lived; ++i) {
    RParticle& p = particles_[i];
    const RParticleType& t = TypeOf(p.type);
    ++p.age;
    const bool dies = p.age >= p.life;
    if (dies) p.alive = false;
    died |= dies;
    const int32_t n = Chance(dies ? t.death_number : t.step_number);
    if (n > 0) Create(p.x, p.y, dies ? t.death_type : t.step_type, n);  // p may move
  }
  if (died) RemoveDead();

  // 2. Motion.
  bool attract = false;
  for (const RParticleAttractor& a : attractors.Slots()) attract |= a.used;
  for (RParticle& p : particles_) Move(p, TypeOf(p.type), attract);

  // 3. Deflectors.
  for (const RParticleDeflector& d : deflectors.Slots()) {
    if (!HasArea(d)) continue;
    for (RParticle& p : particles_) {
      if (p.x < d.xmin || p.x > d.xmax || p.y < d.ymin || p.y > d.ymax) continue;
      if (d.kind == PART_DEFLECT_HORIZONTAL) {
        p.direction = 180 - p.direction;
        if (p.direction < 0) p.direction += 360;
        p.x = 2 * p.xprevious - p.x;
      } else {
        p.direction = 360 - p.direction;
        p.y = 2 * p.yprevious - p.y;
      }
      p.speed = std::max(0.0, p.speed - d.friction);
    }
  }

  // 4. Changers. A changer whose second type does not exist changes nothing:
  // there is no particle of that type to take the place or looks from.
  for (const RParticleChanger& c : changers.Slots()) {
    if (!HasArea(c)) continue;
    const RParticleType* into = ParticleType_Find(c.type2);
    if (into == nullptr) continue;
    for (RParticle& p : particles_) {
      if (p.type != c.type1 || !InRegion(c, p.x, p.y)) continue;
      const RParticle made = Make(*into, c.type2, p.x, p.y);
      p.type = c.type2;
      if (c.kind == PART_CHANGE_ALL) {
        p = made;
      } else if (c.kind == PART_CHANGE_SHAPE) {
        p.colour = made.colour;
        p.alpha = made.alpha;
        p.size = made.size;
        p.subimage = made.subimage;
        p.orientation = made.orientation;
      } else if (c.kind == PART_CHANGE_MOTION) {
        p.speed = made.speed;
        p.direction = made.direction;
      }
    }
  }

  // 5. Destroyers.
  bool destroyed = false;
  for (const RParticleDestroyer& d : destroyers.Slots()) {
    if (!HasArea(d)) continue;
    for (RParticle& p : particles_)
      if (p.alive && InRegion(d, p.x, p.y)) p.alive = false, destroyed = true;
  }
  if (destroyed) RemoveDead();

  // 6. Appearance.
  for (RParticle& p : particles_) {
    const RParticleType& t = TypeOf(p.type);
    p.size = std::max(0.0, p.size + t.size_increase);
    const bool aged = p.age > 0 && p.life > 0;
    if (t.colour_mode == PART_COLOUR_TWO) {
      const double f = aged ? std::min(static_cast<double>(p.age) / p.life, 1.0) : 0;
      p.colour = Colour_Merge(SafeInt(t.colour[0]), SafeInt(t.colour[1]), f);
    } else if (t.colour_mode == PART_COLOUR_THREE) {
      const double f = aged ? std::min(2.0 * p.age / p.life, 2.0) : 0;
      p.colour = f < 1 ? Colour_Merge(SafeInt(t.colour[0]), SafeInt(t.colour[1]), f)
                       : Colour_Merge(SafeInt(t.colour[1]), SafeInt(t.colour[2]), f - 1);
    }
    const double f = p.life > 0 ? 2.0 * p.age / p.life : 1;
    p.alpha = f < 1 ? (1 - f) * t.alpha_start + f * t.alpha_middle : (2 - f) * t.alpha_middle + (f - 1) * t.alpha_end;
  }

  // 7. Streams.
  for (const RParticleEmitter& e : emitters.Slots())
    if (e.used && e.stream_number != 0) Burst(e, e.stream_type, e.stream_number);
}

// ---------------------------------------------------------------------------
// Drawing

void CParticleSystem::Draw() const {
  if (particles_.empty() || !D3D_DeviceExists()) return;
  const bool interpolation = D3D_RenderState().interpolation;
  D3D_SetInterpolation(true);
  const int32_t forms = ParticleForm_Texture();
  // Blending changes only where additive and normal particles meet, so runs
  // of either reach the device as one batch.
  bool additive = false;
  auto draw = [&](const RParticle& p) {
    if (p.life <= 0) return;
    const RParticleType& t = TypeOf(p.type);
    int32_t texture = forms, left = 0, top = 0, width = PARTICLE_SHAPE_SIZE, height = PARTICLE_SHAPE_SIZE;
    int32_t xorigin = PARTICLE_SHAPE_ORIGIN, yorigin = PARTICLE_SHAPE_ORIGIN;
    if (const CSprite* sprite = t.sprite >= 0 ? Sprite_Get(t.sprite) : nullptr) {
      const int64_t count = sprite->ImageCount();
      if (count <= 0) return;
      int64_t frame = p.subimage;
      if (t.animate) frame += t.stretch ? count * p.age / std::max(p.life, 1) : p.age;
      texture = sprite->TextureOf(static_cast<int32_t>(frame % count));
      width = sprite->width;
      height = sprite->height;
      xorigin = sprite->xorigin;
      yorigin = sprite->yorigin;
    } else {
      if (t.shape < 0 || t.shape >= PARTICLE_SHAPE_COUNT) return;
      ParticleForm_CellOf(t.shape, left, top);
    }
    double angle = p.orientation + (t.orientation_relative ? p.direction : 0);
    if (t.orientation_wiggle != 0) angle += t.orientation_wiggle * Particle_Wiggle(p.age + 2 * int64_t{p.random}, 16);
    double size = p.size;
    if (t.size_wiggle != 0) size += t.size_wiggle * Particle_Wiggle(p.age + int64_t{p.random}, 16);
    if (t.additive != additive) {
      D3D_SetBlendMode(t.additive ? 1 : 0);
      additive = t.additive;
    }
    DrawTexturePartExt(texture, left, top, width, height, x + p.x, y + p.y, xorigin, yorigin, t.xscale * size,
                       t.yscale * size, angle * kRadians, p.colour, p.alpha);
  };
  if (old_to_new)
    for (const RParticle& p : particles_) draw(p);
  else
    for (auto it = particles_.rbegin(); it != particles_.rend(); ++it) draw(*it);
  if (additive) D3D_SetBlendMode(0);
  D3D_SetInterpolation(interpolation);
}

// ---------------------------------------------------------------------------
// The tables

CParticleTable<RParticleType>& Particle_Types() { return g_Types; }
RParticleType* ParticleType_Find(int32_t id) { return g_Types.Find(id); }
int32_t ParticleType_Create() { return g_Types.Add(); }

CParticleTable<CParticleSystem>& Particle_Systems() { return g_Systems; }
CParticleSystem* ParticleSystem_Find(int32_t id) { return g_Systems.Find(id); }

int32_t ParticleSystem_Create() {
  ParticleForm_Build();
  Room_AddDepthDrawer({NextDepth, Particle_DrawAtDepth});
  return g_Systems.Add();
}

void Particle_UpdateSystems() {
  // By index: the table does not change during an update, but a reference
  // into it must not outlive a growth.
  std::vector<CParticleSystem>& systems = g_Systems.Slots();
  for (size_t i = 0; i < systems.size(); ++i)
    if (systems[i].used && systems[i].automatic_update) systems[i].Update();
}

void Particle_DrawAtDepth(double depth) {
  for (const CParticleSystem& s : g_Systems.Slots())
    if (s.used && s.automatic_draw && std::fabs(s.depth - depth) < kDepthTolerance) s.Draw();
}

void Particle_Reset() {
  g_Types.Clear();
  g_Systems.Clear();
  Effect_Reset();
}
