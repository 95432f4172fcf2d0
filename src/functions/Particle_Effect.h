// Particle_Effect: the ready-made effects (explosion, ring, smoke, rain and
// the rest) drawn below or above everything, and the one particle system
// with sixteen numbered types and emitters that the particle actions share.
//
// State (owned here, program lifetime, emptied by Effect_Reset, which
// Particle_Reset calls): the two effect systems and the 35 effect types,
// made at the first effect; the action system and its slots. The source of
// the measured frame rate is a hook the main loop installs once.
#pragma once

#include <cstdint>

// Effect kinds (the ef_ constants).
enum : int32_t {
  EFFECT_EXPLOSION = 0,
  EFFECT_RING,
  EFFECT_ELLIPSE,
  EFFECT_FIREWORK,
  EFFECT_SMOKE,
  EFFECT_SMOKEUP,
  EFFECT_STAR,
  EFFECT_SPARK,
  EFFECT_FLARE,
  EFFECT_CLOUD,
  EFFECT_RAIN,
  EFFECT_SNOW,
  EFFECT_KIND_COUNT
};
// Depths of the effect systems.
constexpr double EFFECT_DEPTH_BELOW = 100000, EFFECT_DEPTH_ABOVE = -100000;

// Makes an effect of a kind at (x, y) in the below or the above system.
// Size 0 is small, 2 large, anything else medium; the particles take the
// colour. The systems and types are made (again) when missing; a kind
// outside 0 ... 11 makes nothing more.
void Effect_Create(int32_t kind, double x, double y, int32_t size, int32_t colour, bool below);
// Removes every particle of both effect systems (also on entering a room).
void Effect_Clear();
// The ids of the effect systems, -1 before the first effect.
int32_t Effect_SystemBelow();
int32_t Effect_SystemAbove();

// The factor that keeps effects as long at any frame rate: 1 at a room
// speed or measured rate of at most 30, else 30 over the room speed (or the
// measured rate when the room runs 20% or more slower than its speed).
double Effect_FrameFactor();

// The particle actions' shared system: an id (-1: none) and sixteen slots of
// particle type ids and of emitter ids (-1: empty).
constexpr int32_t ACTION_SLOTS = 16;
struct RActionParticles {
  int32_t system = -1;
  int32_t types[ACTION_SLOTS];
  int32_t emitters[ACTION_SLOTS];
  RActionParticles();
};
RActionParticles& Effect_Actions();
// The action system, made when there is none (or a script destroyed it).
int32_t Effect_ActionSystem();

// Forgets the effect and action systems and types (their tables were
// emptied); the frame-rate source stays.
void Effect_Reset();
