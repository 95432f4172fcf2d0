// Particle_Main: particle types and particle systems with their emitters,
// attractors, destroyers, deflectors and changers; creating particles, the
// update of one step and drawing.
//
// Types and systems are addressed by ids that are slot indices of two
// tables; a destroyed slot is reset to defaults and reused by the next
// creation. The items of a system (emitters and the rest) live in per-system
// tables managed the same way. Particles are plain records in one array per
// system, in creation order. Positions inside a system are relative to the
// system's position. Every random number comes from the engine's shared
// generator, in a fixed order, so a seeded game makes the same particles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The most particles one system holds. Creation beyond it is dropped (the
// particles already there live on), so that a burst of a huge number or a
// type whose death makes several of itself cannot exhaust memory.
constexpr int32_t PARTICLE_MAX_PER_SYSTEM = 1000000;

// ---------------------------------------------------------------------------
// Records

// Colour modes of a type.
enum : int32_t {
  PART_COLOUR_ONE = 0,
  PART_COLOUR_TWO = 1,
  PART_COLOUR_THREE = 2,
  PART_COLOUR_RGB = 3,
  PART_COLOUR_HSV = 4,
  PART_COLOUR_MIX = 5,
};

// How a particle looks, moves and changes over its life. A fresh record holds
// the defaults.
struct RParticleType {
  bool used = false;
  int32_t sprite = -1;  // -1 or a missing sprite: the built-in shape
  bool animate = true, stretch = false, random_subimage = false;
  int32_t shape = 0;    // 0 ... 13
  double size_min = 1, size_max = 1, size_increase = 0, size_wiggle = 0;
  double xscale = 1, yscale = 1;
  int32_t life_min = 100, life_max = 100;
  int32_t death_type = 0, death_number = 0;
  int32_t step_type = 0, step_number = 0;
  double speed_min = 0, speed_max = 0, speed_increase = 0, speed_wiggle = 0;
  double direction_min = 0, direction_max = 0, direction_increase = 0, direction_wiggle = 0;
  double gravity_amount = 0, gravity_direction = 270;
  double orientation_min = 0, orientation_max = 0, orientation_increase = 0, orientation_wiggle = 0;
  bool orientation_relative = false;
  int32_t colour_mode = PART_COLOUR_ONE;
  // Colours (modes 0, 1, 2, 5) or channel ranges min, max (modes 3, 4).
  double colour[6] = {16777215, 16777215, 16777215, 0, 0, 0};
  double alpha_start = 1, alpha_middle = 1, alpha_end = 1;
  bool additive = false;
};

// One live particle.
struct RParticle {
  double x, y, xprevious, yprevious;
  double speed, direction, orientation;
  double alpha, size;
  int32_t type, age, life, colour, subimage;
  int32_t random;  // 0 ... 99999, the particle's own wiggle phase
  bool alive;
};

// Region shapes of emitters, destroyers and changers.
enum : int32_t { PART_SHAPE_RECTANGLE = 0, PART_SHAPE_ELLIPSE = 1, PART_SHAPE_DIAMOND = 2, PART_SHAPE_LINE = 3 };
enum : int32_t { PART_DISTR_LINEAR = 0, PART_DISTR_GAUSSIAN = 1, PART_DISTR_INVGAUSSIAN = 2 };
enum : int32_t { PART_FORCE_CONSTANT = 0, PART_FORCE_LINEAR = 1, PART_FORCE_QUADRATIC = 2 };
enum : int32_t { PART_DEFLECT_VERTICAL = 0, PART_DEFLECT_HORIZONTAL = 1 };
enum : int32_t { PART_CHANGE_ALL = 0, PART_CHANGE_SHAPE = 1, PART_CHANGE_MOTION = 2 };

struct RParticleEmitter {
  bool used = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t distribution = PART_DISTR_LINEAR;
  int32_t shape = PART_SHAPE_RECTANGLE;
  int32_t stream_type = 0, stream_number = 0;
};
struct RParticleAttractor {
  bool used = false;
  double x = 0, y = 0, force = 0, distance = 0;
  int32_t kind = PART_FORCE_CONSTANT;
  bool additive = true;  // pulls the velocity; otherwise shifts the position
};
struct RParticleDestroyer {
  bool used = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t shape = PART_SHAPE_RECTANGLE;  // a line counts as its box
};
struct RParticleDeflector {
  bool used = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t kind = PART_DEFLECT_VERTICAL;
  double friction = 0;
};
struct RParticleChanger {
  bool used = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t shape = PART_SHAPE_RECTANGLE;
  int32_t type1 = -1, type2 = -1;  // particles of type1 become type2
  int32_t kind = PART_CHANGE_ALL;
};

// A table of records with a used flag: creation takes the first free slot,
// else appends one; removal resets the slot to defaults.
template <class T>
class CParticleTable {
 public:
  int32_t Add() {
    for (size_t i = 0; i < slots_.size(); ++i)
      if (!slots_[i].used) {
        slots_[i].used = true;
        return static_cast<int32_t>(i);
      }
    slots_.emplace_back().used = true;
    return static_cast<int32_t>(slots_.size() - 1);
  }
  // The record of a used slot, or null.
  T* Find(int32_t id) {
    return id >= 0 && id < static_cast<int32_t>(slots_.size()) && slots_[id].used ? &slots_[id] : nullptr;
  }
  // Resets a used slot to defaults, keeping it used; false when unused.
  bool Reset(int32_t id) {
    if (!Find(id)) return false;
    slots_[id] = T{};
    slots_[id].used = true;
    return true;
  }
  bool Remove(int32_t id) {
    if (!Find(id)) return false;
    slots_[id] = T{};
    return true;
  }
  void Clear() { slots_.clear(); }
  bool Empty() const { return slots_.empty(); }
  // Every slot, used or not, in id order.
  std::vector<T>& Slots() { return slots_; }
  const std::vector<T>& Slots() const { return slots_; }

 private:
  std::vector<T> slots_;
};

// ---------------------------------------------------------------------------
// Systems

class CParticleSystem {
 public:
  bool used = false;
  bool old_to_new = true;  // draw the oldest particles first
  double depth = 0;
  double x = 0, y = 0;     // drawing offset of every particle
  bool automatic_update = true, automatic_draw = true;
  CParticleTable<RParticleEmitter> emitters;
  CParticleTable<RParticleAttractor> attractors;
  CParticleTable<RParticleDestroyer> destroyers;
  CParticleTable<RParticleDeflector> deflectors;
  CParticleTable<RParticleChanger> changers;

  const std::vector<RParticle>& Particles() const { return particles_; }
  int32_t Count() const { return static_cast<int32_t>(particles_.size()); }
  void ClearParticles() { particles_.clear(); }

  // Appends n particles of a type at (x, y): nothing for a missing type or
  // n <= 0, and never beyond PARTICLE_MAX_PER_SYSTEM. Given a colour, each
  // new particle takes it.
  void Create(double px, double py, int32_t type, int32_t n, const int32_t* colour = nullptr);
  // n particles of a type spread over an emitter's region; n < 0 makes one
  // particle with chance 1 / |n|.
  void Burst(const RParticleEmitter& emitter, int32_t type, int32_t n);
  // One step: life, motion, deflectors, changers, destroyers, appearance,
  // streams.
  void Update();
  // Draws every particle through the drawing layer (nothing without a
  // device).
  void Draw() const;

 private:
  // The particle made for a type at (x, y), drawing its random values.
  RParticle Make(const RParticleType& type, int32_t type_id, double px, double py);
  // One particle's new motion for this step.
  void Move(RParticle& p, const RParticleType& type, bool attract);
  void RemoveDead();

  std::vector<RParticle> particles_;
};

// ---------------------------------------------------------------------------
// The tables (owned here, program lifetime; emptied by Particle_Reset)

CParticleTable<RParticleType>& Particle_Types();
// A used type, or null.
RParticleType* ParticleType_Find(int32_t id);
int32_t ParticleType_Create();

CParticleTable<CParticleSystem>& Particle_Systems();
// A used system, or null.
CParticleSystem* ParticleSystem_Find(int32_t id);
// A new system with defaults; the first one also makes the built-in shapes
// and joins the room drawing.
int32_t ParticleSystem_Create();

// The step's update: every system in use with automatic update on, in table
// order.
void Particle_UpdateSystems();
// Draws every system in use with automatic draw on whose depth is within
// 0.01 of `depth`, in table order (the room drawing's merge by depth).
void Particle_DrawAtDepth(double depth);

// Empties both tables and the effect module's state with them: every type,
// system and particle is gone. For program end and tests; a game restart
// keeps them, as the game may still hold their ids.
void Particle_Reset();

// The wiggle of a particle: a triangle wave from -1 to 1 of period P over the
// phase k.
double Particle_Wiggle(int64_t k, int32_t period);
