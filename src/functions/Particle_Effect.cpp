#include "functions/Particle_Effect.h"

#include <algorithm>
#include <cmath>

#include "functions/Particle_Main.h"
#include "variables/Function_Math.h"
#include "world/Room_Class.h"
#include "world/Room_Main.h"
#include "world/Run_State.h"

namespace {

// The 35 effect types, by kind: explosion two per size, rain and snow one,
// every other kind one per size (the firework uses its first for all).
constexpr int32_t kTypeCount = 35;
constexpr int32_t kFirstType[EFFECT_KIND_COUNT] = {0, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 34};

int32_t g_Below = -1, g_Above = -1;
int32_t g_Types[kTypeCount];
bool g_TypesMade = false;
RActionParticles g_Actions;

int32_t MakeSystem(int32_t id, double depth) {
  if (ParticleSystem_Find(id)) return id;
  id = ParticleSystem_Create();
  ParticleSystem_Find(id)->depth = depth;
  return id;
}

// The effect type at `index`, reset to defaults: every effect sets only its
// own fields. A type a script destroyed is made again.
RParticleType& Fresh(int32_t index) {
  if (!ParticleType_Find(g_Types[index])) g_Types[index] = ParticleType_Create();
  Particle_Types().Reset(g_Types[index]);
  return *ParticleType_Find(g_Types[index]);
}

void Range(double& min, double& max, double a, double b) { min = a, max = b; }
void Alpha2(RParticleType& t, double start, double end) {
  t.alpha_start = start;
  t.alpha_end = end;
  t.alpha_middle = (start + end) / 2;
}
int32_t Steps(double life, double e) { return static_cast<int32_t>(std::nearbyint(life / e)); }
void Life(RParticleType& t, double a, double b, double e) {
  t.life_min = Steps(a, e);
  t.life_max = Steps(b, e);
}

}  // namespace

RActionParticles::RActionParticles() {
  std::fill(std::begin(types), std::end(types), -1);
  std::fill(std::begin(emitters), std::end(emitters), -1);
}

double Effect_FrameFactor() {
  const CRoom* room = Room_Current();
  const double speed = room ? room->speed : 30;
  const double fps = RunState.Fps;
  if (speed <= 30 || fps <= 30) return 1;
  return 30 / (speed / fps < 1.2 ? speed : fps);
}


void Effect_Create(int32_t kind, double x, double y, int32_t size, int32_t colour, bool below) {
  g_Below = MakeSystem(g_Below, EFFECT_DEPTH_BELOW);
  g_Above = MakeSystem(g_Above, EFFECT_DEPTH_ABOVE);
  if (!g_TypesMade) {
    for (int32_t& id : g_Types) id = ParticleType_Create();
    g_TypesMade = true;
  }
  CParticleSystem& system = *ParticleSystem_Find(below ? g_Below : g_Above);
  if (kind < 0 || kind >= EFFECT_KIND_COUNT) return;
  const int32_t s = size == 0 ? 0 : size == 2 ? 2 : 1;
  const double e = Effect_FrameFactor();
  const CRoom* room = Room_Current();
  const double room_width = room ? room->width : 0, room_height = room ? room->height : 0;
  const int32_t first = kFirstType[kind];
  // The type of this kind and size; explosions use their pair from here.
  const int32_t own = kind == EFFECT_FIREWORK || kind >= EFFECT_RAIN ? first
                      : kind == EFFECT_EXPLOSION                    ? first + 2 * s
                                                                    : first + s;
  auto emit = [&](int32_t index, double px, double py, int32_t n) {
    system.Create(px, py, g_Types[index], n, &colour);
  };

  switch (kind) {
    case EFFECT_EXPLOSION: {
      static const double kSpeed[] = {2, 4, 7}, kSlow[] = {-0.1, -0.18, -0.2}, kSize[] = {0.1, 0.3, 0.4},
                          kGrow[] = {0.05, 0.1, 0.2}, kLife[] = {10, 12, 15};
      RParticleType& fly = Fresh(own);
      fly.shape = 10;
      Range(fly.direction_min, fly.direction_max, 0, 360);
      Range(fly.orientation_min, fly.orientation_max, 0, 360);
      Range(fly.speed_min, fly.speed_max, kSpeed[s] * e, kSpeed[s] * e);
      fly.speed_increase = kSlow[s] * e;
      Range(fly.size_min, fly.size_max, kSize[s], kSize[s]);
      fly.size_increase = kGrow[s] * e;
      Alpha2(fly, 0.6, 0);
      Life(fly, kLife[s], kLife[s] + 5, e);
      RParticleType& core = Fresh(own + 1);
      core.shape = 10;
      Range(core.orientation_min, core.orientation_max, 0, 360);
      Range(core.size_min, core.size_max, kSize[s], kSize[s]);
      core.size_increase = 2 * kGrow[s] * e;
      Alpha2(core, 0.8, 0);
      Life(core, kLife[s] + 5, kLife[s] + 5, e);
      emit(own, x, y, 20);
      emit(own + 1, x, y, 1);
      break;
    }
    case EFFECT_RING:
    case EFFECT_ELLIPSE: {
      static const double kRing[] = {0.15, 0.25, 0.4}, kEllipse[] = {0.2, 0.35, 0.6}, kLife[] = {10, 13, 18};
      RParticleType& t = Fresh(own);
      t.shape = 6;
      Range(t.size_min, t.size_max, 0, 0);
      t.size_increase = (kind == EFFECT_RING ? kRing[s] : kEllipse[s]) * e;
      if (kind == EFFECT_ELLIPSE) t.xscale = 1, t.yscale = 0.5;
      Alpha2(t, 1, 0);
      Life(t, kLife[s], kLife[s] + 2, e);
      emit(own, x, y, 1);
      break;
    }
    case EFFECT_FIREWORK: {
      static const double kSpeed[] = {3, 6, 8}, kGravity[] = {0.1, 0.15, 0.17}, kLife[] = {15, 20, 30};
      static const int32_t kCount[] = {75, 150, 250};
      RParticleType& t = Fresh(own);
      t.shape = 8;
      Range(t.size_min, t.size_max, 0.1, 0.2);
      Range(t.speed_min, t.speed_max, 0.5 * e, kSpeed[s] * e);
      Range(t.direction_min, t.direction_max, 0, 360);
      Alpha2(t, 1, 0.4);
      t.gravity_amount = kGravity[s] * e;
      t.gravity_direction = 270;
      Life(t, kLife[s], kLife[s] + 10, e);
      emit(own, x, y, kCount[s]);
      break;
    }
    case EFFECT_SMOKE:
    case EFFECT_SMOKEUP: {
      static const double kMin[] = {0.2, 0.4, 0.4}, kMax[] = {0.4, 0.7, 1.0}, kLife[] = {25, 30, 50};
      static const double kUp[] = {3, 5, 6};
      static const int32_t kCount[] = {6, 11, 16}, kHalf[] = {5, 15, 30};
      RParticleType& t = Fresh(own);
      t.shape = 10;
      Range(t.size_min, t.size_max, kMin[s], kMax[s]);
      t.size_increase = -0.01 * e;
      Alpha2(t, 0.4, 0);
      Life(t, kLife[s], kLife[s], e);
      if (kind == EFFECT_SMOKEUP) {
        Range(t.speed_min, t.speed_max, kUp[s] * e, (kUp[s] + 1) * e);
        Range(t.direction_min, t.direction_max, 90, 90);
      }
      const int32_t h = kHalf[s];
      for (int32_t n = 0; n < kCount[s]; ++n) {
        const double i = Random_Below(static_cast<uint32_t>(2 * h));
        const double j = Random_Below(static_cast<uint32_t>(2 * h));
        emit(own, x - h + i, y - h + j, 1);
      }
      break;
    }
    case EFFECT_STAR:
    case EFFECT_SPARK:
    case EFFECT_FLARE: {
      static const double kSize[] = {0.4, 0.75, 1.2}, kStarMax[] = {0.3, 0.75, 1.2}, kShrink[] = {-0.02, -0.03, -0.04},
                          kLife[] = {20, 25, 30};
      static const int32_t kShape[] = {4, 9, 8};
      RParticleType& t = Fresh(own);
      t.shape = kShape[kind - EFFECT_STAR];
      Range(t.size_min, t.size_max, kSize[s], kind == EFFECT_STAR ? kStarMax[s] : kSize[s]);
      t.size_increase = kShrink[s] * e;
      Range(t.orientation_min, t.orientation_max, 0, 360);
      Life(t, kLife[s], kLife[s], e);
      emit(own, x, y, 1);
      break;
    }
    case EFFECT_CLOUD: {
      static const double kSize[] = {2, 4, 8};
      RParticleType& t = Fresh(own);
      t.shape = 10;
      Range(t.size_min, t.size_max, kSize[s], kSize[s]);
      t.xscale = 1, t.yscale = 0.5;
      t.alpha_start = 0, t.alpha_middle = 0.3, t.alpha_end = 0;
      Life(t, 100, 100, e);
      emit(own, x, y, 1);
      break;
    }
    case EFFECT_RAIN:
    case EFFECT_SNOW: {
      const bool rain = kind == EFFECT_RAIN;
      static const int32_t kRain[] = {2, 5, 9}, kSnow[] = {1, 3, 7};
      RParticleType& t = Fresh(own);
      if (rain) {
        t.shape = 3;
        Range(t.size_min, t.size_max, 0.2, 0.3);
        t.orientation_relative = true;
        Range(t.speed_min, t.speed_max, 7 * e, 7 * e);
        Range(t.direction_min, t.direction_max, 260, 260);
        t.alpha_start = t.alpha_middle = t.alpha_end = 0.4;
        t.life_min = t.life_max = Steps(0.2 * room_height, e);
      } else {
        t.shape = 13;
        Range(t.size_min, t.size_max, 0.1, 0.25);
        t.alpha_start = t.alpha_middle = t.alpha_end = 0.6;
        Range(t.orientation_min, t.orientation_max, 0, 360);
        Range(t.speed_min, t.speed_max, 2.5 * e, 3 * e);
        Range(t.direction_min, t.direction_max, 240, 300);
        t.direction_wiggle = 20;
        t.life_min = t.life_max = Steps(0.5 * room_height, e);
      }
      // The given position is not used: drops start just above the room.
      for (int32_t n = 0; n < (rain ? kRain[s] : kSnow[s]); ++n) {
        const double px = 1.2 * room_width * Random_Real() - (rain ? 0 : 60);
        const double py = -30.0 + Random_Below(20);
        emit(own, px, py, 1);
      }
      break;
    }
    default:
      break;
  }
}

void Effect_Clear() {
  for (int32_t id : {g_Below, g_Above})
    if (CParticleSystem* s = ParticleSystem_Find(id)) s->ClearParticles();
}

int32_t Effect_SystemBelow() { return g_Below; }
int32_t Effect_SystemAbove() { return g_Above; }

RActionParticles& Effect_Actions() { return g_Actions; }

int32_t Effect_ActionSystem() {
  if (!ParticleSystem_Find(g_Actions.system)) g_Actions.system = ParticleSystem_Create();
  return g_Actions.system;
}

void Effect_Reset() {
  g_Below = g_Above = -1;
  g_TypesMade = false;
  g_Actions = RActionParticles{};
}
