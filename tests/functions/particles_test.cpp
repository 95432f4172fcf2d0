// Particle types and systems through their built-ins: life and deaths,
// motion worked out by hand, colour and alpha over life, emitters,
// attractors, destroyers, deflectors, changers, effects, the particle
// actions, and the same particles from the same seed.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/Option_Main.h"
#include "functions/Particle_Effect.h"
#include "functions/Particle_Main.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "variables/Function_Math.h"
#include "world/Room_Main.h"
#include "world/Run_State.h"

namespace {

RValue N(double r) { return RValue(r); }

class Particles : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings.DisplayErrors = false;
    Error_Reset();
    Particle_Reset();
    Random_SetSeed(1234);
    ps = Call("part_system_create");
  }
  void TearDown() override {
    Particle_Reset();
    Error_Reset();
  }
  static int32_t Call(const char* name, std::initializer_list<RValue> args = {}) {
    return static_cast<int32_t>(CallByName(name, args).real);
  }
  // A type that stands still for `life` steps.
  static int32_t Still(int32_t life) {
    const int32_t t = Call("part_type_create");
    Call("part_type_life", {N(t), N(life), N(life)});
    return t;
  }
  void Update(int times = 1) {
    for (int i = 0; i < times; ++i) Call("part_system_update", {N(ps)});
  }
  int32_t Count() { return Call("part_particles_count", {N(ps)}); }
  const RParticle& At(size_t i) { return ParticleSystem_Find(ps)->Particles().at(i); }

  int32_t ps = -1;
};

TEST_F(Particles, LifeDeathsAndSteps) {
  const int32_t t = Still(3);
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(5)});
  Update(2);
  EXPECT_EQ(Count(), 5);
  Update();
  EXPECT_EQ(Count(), 0);

  // Life 1: drawn once, dies at the next update making its death particles.
  const int32_t spark = Still(10), flash = Still(1);
  Call("part_type_death", {N(flash), N(2), N(spark)});
  Call("part_particles_create", {N(ps), N(7), N(8), N(flash), N(3)});
  Update();
  ASSERT_EQ(Count(), 6);
  EXPECT_EQ(At(0).type, spark);
  EXPECT_EQ(At(0).x, 7);
  EXPECT_EQ(At(0).age, 0);  // made during the update, not aged by it

  // Step particles come from every live particle each step.
  Call("part_particles_clear", {N(ps)});
  Call("part_type_step", {N(spark), N(1), N(flash)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(spark), N(2)});
  Update();
  EXPECT_EQ(Count(), 4);

  // A type dying into two of itself doubles once per step, never within one.
  const int32_t self = Still(1);
  Call("part_type_death", {N(self), N(2), N(self)});
  Call("part_particles_clear", {N(ps)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(self), N(1)});
  Update(3);
  EXPECT_EQ(Count(), 8);
}

TEST_F(Particles, NegativeNumbersAreChances) {
  // Death number -3: one death particle with chance one in three.
  const int32_t spark = Still(100), flash = Still(1);
  Call("part_type_death", {N(flash), N(-3), N(spark)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(flash), N(3000)});
  Update();
  EXPECT_NEAR(Count(), 1000, 90);

  // A stream of -4 makes one particle in about four steps.
  Call("part_particles_clear", {N(ps)});
  const int32_t e = Call("part_emitter_create", {N(ps)});
  Call("part_emitter_stream", {N(ps), N(e), N(spark), N(-4)});
  Update(80);
  EXPECT_NEAR(Count(), 20, 9);
  Call("part_emitter_stream", {N(ps), N(e), N(spark), N(3)});
  const int32_t before = Count();
  Update();
  EXPECT_EQ(Count(), before + 3);

  Call("part_particles_clear", {N(ps)});
  Call("part_emitter_burst", {N(ps), N(e), N(spark), N(0)});
  EXPECT_EQ(Count(), 0);
  for (int i = 0; i < 10; ++i) Call("part_emitter_burst", {N(ps), N(e), N(spark), N(-1)});
  EXPECT_EQ(Count(), 10);
}

TEST_F(Particles, MotionByHand) {
  // Speed 3 upwards slowing by 1: moves 2, 1, then stops (never reverses).
  const int32_t up = Still(100);
  Call("part_type_speed", {N(up), N(3), N(3), N(-1), N(0)});
  Call("part_type_direction", {N(up), N(90), N(90), N(0), N(0)});
  Call("part_particles_create", {N(ps), N(10), N(10), N(up), N(1)});
  Update(4);
  EXPECT_NEAR(At(0).y, 7, 1e-9);
  EXPECT_NEAR(At(0).x, 10, 1e-9);
  EXPECT_EQ(At(0).speed, 0);

  // Gravity 1 downwards from rest: 1, 3, 6 pixels, speed 3 pointing down.
  Call("part_particles_clear", {N(ps)});
  const int32_t fall = Still(100);
  Call("part_type_gravity", {N(fall), N(1), N(270)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(fall), N(1)});
  Update();
  EXPECT_NEAR(At(0).y, 1, 1e-9);
  Update(2);
  EXPECT_NEAR(At(0).y, 6, 1e-9);
  EXPECT_NEAR(At(0).speed, 3, 1e-9);
  EXPECT_NEAR(At(0).direction, 270, 1e-9);

  // Turning 90 degrees a step at speed 1: up, then left.
  Call("part_particles_clear", {N(ps)});
  const int32_t turn = Still(100);
  Call("part_type_speed", {N(turn), N(1), N(1), N(0), N(0)});
  Call("part_type_direction", {N(turn), N(0), N(0), N(90), N(0)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(turn), N(1)});
  Update(2);
  EXPECT_NEAR(At(0).x, -1, 1e-9);
  EXPECT_NEAR(At(0).y, -1, 1e-9);

  // A minimum above the maximum gives the minimum.
  const int32_t fixed = Still(100);
  Call("part_type_speed", {N(fixed), N(5), N(2), N(0), N(0)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(fixed), N(3)});
  EXPECT_EQ(At(1).speed, 5);
  EXPECT_EQ(At(3).speed, 5);
}

TEST_F(Particles, ColourAndAlphaOverLife) {
  const int32_t t = Still(10);
  Call("part_type_color3", {N(t), N(0x0000FF), N(0x00FF00), N(0xFF0000)});
  Call("part_type_alpha3", {N(t), N(1), N(0.5), N(0)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(1)});
  EXPECT_EQ(At(0).colour, 0x0000FF);
  Update(2);  // t = 0.4
  EXPECT_EQ(At(0).colour, 0x0066 << 8 | 0x99);
  EXPECT_NEAR(At(0).alpha, 0.8, 1e-12);
  Update(3);  // t = 1
  EXPECT_EQ(At(0).colour, 0x00FF00);
  EXPECT_NEAR(At(0).alpha, 0.5, 1e-12);
  Update(2);  // t = 1.4
  EXPECT_EQ(At(0).colour, 0x66 << 16 | 0x99 << 8);
  EXPECT_NEAR(At(0).alpha, 0.3, 1e-12);

  // Two colours over the whole life; alpha2 puts the middle halfway.
  Call("part_particles_clear", {N(ps)});
  Call("part_type_color2", {N(t), N(0x000000), N(0xC8C8C8)});
  Call("part_type_alpha2", {N(t), N(1), N(0)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(1)});
  Update(5);
  EXPECT_EQ(At(0).colour, 0x646464);
  EXPECT_NEAR(At(0).alpha, 0.5, 1e-12);

  // A colour given at creation lasts in mode 0 and gives way in mode 2.
  Call("part_particles_clear", {N(ps)});
  Call("part_type_color1", {N(t), N(0xFFFFFF)});
  Call("part_particles_create_color", {N(ps), N(0), N(0), N(t), N(0x123456), N(1)});
  Update();
  EXPECT_EQ(At(0).colour, 0x123456);

  // Ranges: every channel inside its range.
  Call("part_particles_clear", {N(ps)});
  Call("part_type_color_rgb", {N(t), N(10), N(20), N(100), N(100), N(200), N(250)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(50)});
  for (const RParticle& p : ParticleSystem_Find(ps)->Particles()) {
    EXPECT_GE(p.colour & 0xFF, 10);
    EXPECT_LE(p.colour & 0xFF, 20);
    EXPECT_EQ(p.colour >> 8 & 0xFF, 100);
    EXPECT_GE(p.colour >> 16, 200);
    EXPECT_LE(p.colour >> 16, 250);
  }
}

TEST_F(Particles, EmitterRegionsAndDistributions) {
  const int32_t t = Still(100);
  const int32_t e = Call("part_emitter_create", {N(ps)});
  auto burst = [&](int32_t shape, int32_t distribution, int32_t n) {
    Call("part_particles_clear", {N(ps)});
    Call("part_emitter_region", {N(ps), N(e), N(0), N(100), N(0), N(200), N(shape), N(distribution)});
    Call("part_emitter_burst", {N(ps), N(e), N(t), N(n)});
    return ParticleSystem_Find(ps)->Particles();
  };
  for (const RParticle& p : burst(PART_SHAPE_LINE, PART_DISTR_LINEAR, 50)) EXPECT_NEAR(p.y, 2 * p.x, 1e-9);
  for (const RParticle& p : burst(PART_SHAPE_ELLIPSE, PART_DISTR_LINEAR, 300)) {
    const double nx = (p.x - 50) / 50, ny = (p.y - 100) / 100;
    EXPECT_LE(nx * nx + ny * ny, 1 + 1e-9);
  }
  for (const RParticle& p : burst(PART_SHAPE_DIAMOND, PART_DISTR_LINEAR, 300))
    EXPECT_LE(std::fabs(p.x - 50) / 50 + std::fabs(p.y - 100) / 100, 1 + 1e-9);

  // Gaussian gathers in the middle; inverse gaussian along the edges.
  auto share = [](const std::vector<RParticle>& ps, auto pred) {
    int n = 0;
    for (const RParticle& p : ps) n += pred(p);
    return static_cast<double>(n) / ps.size();
  };
  auto middle = [](const RParticle& p) { return std::fabs(p.x - 50) < 25 && std::fabs(p.y - 100) < 50; };
  EXPECT_GT(share(burst(PART_SHAPE_RECTANGLE, PART_DISTR_GAUSSIAN, 1000), middle), 0.6);
  EXPECT_LT(share(burst(PART_SHAPE_RECTANGLE, PART_DISTR_LINEAR, 1000), middle), 0.35);
  auto edge = [](const RParticle& p) { return p.x < 20 || p.x > 80 || p.y < 40 || p.y > 160; };
  EXPECT_GT(share(burst(PART_SHAPE_RECTANGLE, PART_DISTR_INVGAUSSIAN, 1000), edge), 0.8);
  EXPECT_LT(share(burst(PART_SHAPE_RECTANGLE, PART_DISTR_LINEAR, 1000), edge), 0.7);

  // A missing type, system or emitter makes nothing.
  Call("part_particles_clear", {N(ps)});
  Call("part_emitter_burst", {N(ps), N(e), N(t + 1), N(10)});
  Call("part_emitter_burst", {N(ps), N(e + 1), N(t), N(10)});
  Call("part_emitter_burst", {N(ps + 1), N(e), N(t), N(10)});
  EXPECT_EQ(Count(), 0);
}

TEST_F(Particles, AttractorsDeflectorsDestroyersAndChangers) {
  const int32_t t = Still(100);
  const int32_t a = Call("part_attractor_create", {N(ps)});
  Call("part_attractor_position", {N(ps), N(a), N(0), N(0)});
  Call("part_attractor_force", {N(ps), N(a), N(2), N(200), N(PART_FORCE_CONSTANT), N(1)});
  Call("part_particles_create", {N(ps), N(100), N(0), N(t), N(1)});
  Call("part_particles_create", {N(ps), N(300), N(0), N(t), N(1)});  // out of reach
  Update();
  EXPECT_NEAR(At(0).x, 98, 1e-9);
  EXPECT_NEAR(At(0).speed, 2, 1e-9);
  EXPECT_NEAR(At(0).direction, 180, 1e-9);
  EXPECT_EQ(At(1).x, 300);
  // Linear force halves at half the distance; a non-additive one shifts
  // the position and leaves the speed alone.
  Call("part_attractor_force", {N(ps), N(a), N(2), N(200), N(PART_FORCE_LINEAR), N(0)});
  Call("part_particles_clear", {N(ps)});
  Call("part_particles_create", {N(ps), N(100), N(0), N(t), N(1)});
  Update();
  EXPECT_NEAR(At(0).x, 99, 1e-9);
  EXPECT_EQ(At(0).speed, 0);
  Call("part_attractor_destroy", {N(ps), N(a)});

  // A horizontal deflector turns a particle running into it, with friction.
  const int32_t run = Still(100);
  Call("part_type_speed", {N(run), N(5), N(5), N(0), N(0)});
  Call("part_particles_clear", {N(ps)});
  Call("part_particles_create", {N(ps), N(8), N(50), N(run), N(1)});
  const int32_t d = Call("part_deflector_create", {N(ps)});
  Call("part_deflector_region", {N(ps), N(d), N(10), N(20), N(0), N(100)});
  Call("part_deflector_kind", {N(ps), N(d), N(PART_DEFLECT_HORIZONTAL)});
  Call("part_deflector_friction", {N(ps), N(d), N(1)});
  Update();
  EXPECT_NEAR(At(0).x, 3, 1e-9);
  EXPECT_NEAR(At(0).direction, 180, 1e-9);
  EXPECT_NEAR(At(0).speed, 4, 1e-9);
  // Without width it does nothing.
  Call("part_deflector_region", {N(ps), N(d), N(0), N(0), N(0), N(100)});
  Update();
  EXPECT_NEAR(At(0).x, -1, 1e-9);

  // An ellipse destroyer takes the middle of its box, not its corners.
  Call("part_particles_clear", {N(ps)});
  for (double x : {50.0, 2.0, 150.0}) Call("part_particles_create", {N(ps), N(x), N(x), N(t), N(1)});
  const int32_t k = Call("part_destroyer_create", {N(ps)});
  Call("part_destroyer_region", {N(ps), N(k), N(0), N(100), N(0), N(100), N(PART_SHAPE_ELLIPSE)});
  Update();
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(At(0).x, 2);
  EXPECT_EQ(At(1).x, 150);
  Call("part_destroyer_destroy_all", {N(ps)});

  // A motion changer gives the new type's speed and direction but keeps
  // colour, age and life; kind all replaces the particle.
  const int32_t into = Still(40);
  Call("part_type_speed", {N(into), N(0.5), N(0.5), N(0), N(0)});
  Call("part_type_direction", {N(into), N(45), N(45), N(0), N(0)});
  Call("part_type_color1", {N(into), N(0x00FF00)});
  Call("part_type_color1", {N(t), N(0x0000FF)});
  Call("part_particles_clear", {N(ps)});
  Call("part_particles_create", {N(ps), N(50), N(50), N(t), N(1)});
  const int32_t c = Call("part_changer_create", {N(ps)});
  Call("part_changer_region", {N(ps), N(c), N(0), N(100), N(0), N(100), N(PART_SHAPE_RECTANGLE)});
  Call("part_changer_types", {N(ps), N(c), N(t), N(into)});
  Call("part_changer_kind", {N(ps), N(c), N(PART_CHANGE_MOTION)});
  Update();
  EXPECT_EQ(At(0).type, into);
  EXPECT_EQ(At(0).speed, 0.5);
  EXPECT_EQ(At(0).direction, 45);
  EXPECT_EQ(At(0).colour, 0x0000FF);
  EXPECT_EQ(At(0).age, 1);
  EXPECT_EQ(At(0).life, 100);
  Call("part_changer_types", {N(ps), N(c), N(into), N(t)});
  Call("part_changer_kind", {N(ps), N(c), N(PART_CHANGE_ALL)});
  Update();
  EXPECT_EQ(At(0).type, t);
  EXPECT_EQ(At(0).age, 0);
  EXPECT_EQ(At(0).colour, 0x0000FF);
  // A second type that does not exist changes nothing.
  Call("part_changer_types", {N(ps), N(c), N(t), N(99)});
  Update();
  EXPECT_EQ(At(0).type, t);
}

TEST_F(Particles, IdsAreReusedAndMissingOnesIgnored) {
  const int32_t a = Call("part_type_create"), b = Call("part_type_create");
  Call("part_type_destroy", {N(a)});
  EXPECT_EQ(Call("part_type_exists", {N(a)}), 0);
  EXPECT_EQ(Call("part_type_create"), a);
  EXPECT_EQ(Call("part_type_exists", {N(b)}), 1);
  // A destroyed type's particles live on by the defaults (no increase).
  Call("part_type_speed", {N(b), N(3), N(3), N(1), N(0)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(b), N(1)});
  Call("part_type_destroy", {N(b)});
  Update(2);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(At(0).speed, 3);

  EXPECT_EQ(Call("part_emitter_create", {N(ps + 5)}), -1);
  EXPECT_EQ(Call("part_particles_count", {N(ps + 5)}), 0);
  Call("part_particles_create", {N(ps), N(0), N(0), N(a), N(-5)});
  EXPECT_EQ(Count(), 1);
  Call("part_system_destroy", {N(ps)});
  EXPECT_EQ(Call("part_system_exists", {N(ps)}), 0);
  Call("part_system_update", {N(ps)});
  Call("part_system_drawit", {N(ps)});
  EXPECT_EQ(Call("part_system_create"), ps);
  EXPECT_EQ(Count(), 0);
  EXPECT_FALSE(Error_Occurred());
}

TEST_F(Particles, HugeCountsStopAtTheCap) {
  const int32_t t = Still(5);
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(2e9)});
  EXPECT_EQ(Count(), PARTICLE_MAX_PER_SYSTEM);
  const int32_t e = Call("part_emitter_create", {N(ps)});
  Call("part_emitter_burst", {N(ps), N(e), N(t), N(1000)});
  EXPECT_EQ(Count(), PARTICLE_MAX_PER_SYSTEM);
}

TEST_F(Particles, AutomaticUpdateAndTheStep) {
  const int32_t t = Still(3);
  Call("part_particles_create", {N(ps), N(0), N(0), N(t), N(2)});
  Call("part_system_automatic_update", {N(ps), N(0)});
  Particle_UpdateSystems();
  EXPECT_EQ(At(0).age, 0);
  Call("part_system_automatic_update", {N(ps), N(1)});
  Particle_UpdateSystems();
  EXPECT_EQ(At(0).age, 1);
}

TEST_F(Particles, SameSeedSameParticles) {
  const int32_t t = Call("part_type_create");
  Call("part_type_speed", {N(t), N(1), N(4), N(0), N(0.5)});
  Call("part_type_direction", {N(t), N(0), N(360), N(1), N(3)});
  Call("part_type_color_hsv", {N(t), N(0), N(255), N(100), N(200), N(255), N(255)});
  Call("part_type_life", {N(t), N(5), N(30)});
  const int32_t e = Call("part_emitter_create", {N(ps)});
  Call("part_emitter_region", {N(ps), N(e), N(0), N(50), N(0), N(50), N(1), N(1)});
  Call("part_emitter_stream", {N(ps), N(e), N(t), N(-2)});
  auto run = [&] {
    Random_SetSeed(99);
    Call("part_particles_clear", {N(ps)});
    Call("part_emitter_burst", {N(ps), N(e), N(t), N(20)});
    Update(25);
    std::vector<double> out;
    for (const RParticle& p : ParticleSystem_Find(ps)->Particles())
      out.insert(out.end(), {p.x, p.y, p.speed, double(p.colour), double(p.life)});
    return out;
  };
  const std::vector<double> first = run();
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(run(), first);
}

TEST_F(Particles, EffectsCountsAndLives) {
  Call("effect_create_above", {N(12), N(0), N(0), N(0), N(0)});
  ASSERT_GE(Effect_SystemAbove(), 0);
  EXPECT_EQ(ParticleSystem_Find(Effect_SystemAbove())->depth, EFFECT_DEPTH_ABOVE);
  EXPECT_EQ(ParticleSystem_Find(Effect_SystemBelow())->depth, EFFECT_DEPTH_BELOW);
  EXPECT_EQ(ParticleSystem_Find(Effect_SystemAbove())->Count(), 0);

  // At speed 30 a small explosion: 20 flying out at speed 2, slowing by 0.1,
  // and one more; all gone after 15 steps.
  Call("effect_create_below", {N(EFFECT_EXPLOSION), N(100), N(50), N(0), N(0x00FFFF)});
  CParticleSystem& below = *ParticleSystem_Find(Effect_SystemBelow());
  ASSERT_EQ(below.Count(), 21);
  EXPECT_EQ(below.Particles()[0].speed, 2);
  EXPECT_EQ(below.Particles()[20].colour, 0x00FFFF);
  below.Update();
  EXPECT_NEAR(below.Particles()[0].speed, 1.9, 1e-12);
  for (int i = 0; i < 8; ++i) below.Update();
  EXPECT_EQ(below.Count(), 21);
  for (int i = 0; i < 6; ++i) below.Update();
  EXPECT_EQ(below.Count(), 0);

  // Sizes: 7 counts as medium; fireworks make 75 / 150 / 250.
  Call("effect_create_below", {N(EFFECT_FIREWORK), N(0), N(0), N(7), N(0)});
  EXPECT_EQ(below.Count(), 150);
  Call("effect_create_below", {N(EFFECT_SMOKE), N(0), N(0), N(2), N(0)});
  EXPECT_EQ(below.Count(), 166);
  for (size_t i = 150; i < 166; ++i) EXPECT_LE(std::fabs(below.Particles()[i].x), 30);
  Call("effect_clear");
  EXPECT_EQ(below.Count(), 0);

  // A destroyed effect system is made again at the next effect.
  Call("part_system_destroy", {N(Effect_SystemAbove())});
  Call("effect_create_above", {N(EFFECT_RING), N(0), N(0), N(0), N(0)});
  ASSERT_NE(ParticleSystem_Find(Effect_SystemAbove()), nullptr);
  EXPECT_EQ(ParticleSystem_Find(Effect_SystemAbove())->Count(), 1);
}

TEST_F(Particles, EffectsFollowTheFrameRateAndLeaveWithTheRoom) {
  RTestWorld world;
  RRoomRecord room;
  room.name = "rm";
  room.speed = 60;
  room.height = 300;
  world.rooms.push_back(room);
  ASSERT_TRUE(TestWorld_Install(world));
  StartGame();
  int32_t& fps = RunState.Fps;
  fps = 0;
  EXPECT_EQ(Effect_FrameFactor(), 1);  // fps still 0
  fps = 60;
  EXPECT_EQ(Effect_FrameFactor(), 0.5);
  fps = 40;  // running slower than the room: the measured rate counts
  EXPECT_EQ(Effect_FrameFactor(), 0.75);

  fps = 60;
  Call("effect_create_below", {N(EFFECT_EXPLOSION), N(0), N(0), N(0), N(0)});
  Call("effect_create_above", {N(EFFECT_RAIN), N(0), N(0), N(1), N(0)});
  const CParticleSystem& below = *ParticleSystem_Find(Effect_SystemBelow());
  const CParticleSystem& above = *ParticleSystem_Find(Effect_SystemAbove());
  EXPECT_EQ(below.Particles()[0].speed, 1);
  EXPECT_GE(below.Particles()[0].life, 20);
  ASSERT_EQ(above.Count(), 5);
  for (const RParticle& p : above.Particles()) {
    EXPECT_EQ(p.life, 120);  // 0.2 x 300 / 0.5
    EXPECT_LE(p.y, -11);
    EXPECT_GE(p.x, 0);
    EXPECT_LE(p.x, 1.2 * 640);
  }
  GotoRoom(0, false);
  EXPECT_EQ(below.Count() + above.Count(), 0);
  fps = 0;
  TestWorld_Clear();
}

TEST_F(Particles, ParticleActions) {
  CallByName("action_partemit_burst", {N(0), N(0), N(5)});
  EXPECT_EQ(ReportedError(), "The particle emitter must first be created.");
  Error_Reset();
  CallByName("action_partsyst_create", {N(-7)});
  const int32_t system = Effect_Actions().system;
  ASSERT_NE(ParticleSystem_Find(system), nullptr);
  EXPECT_EQ(ParticleSystem_Find(system)->depth, -7);

  CallByName("action_parttype_create", {N(2), N(1), N(-1), N(0.5), N(0.5), N(0)});
  CallByName("action_parttype_life", {N(2), N(10), N(10)});
  CallByName("action_parttype_speed", {N(2), N(4), N(4), N(0), N(0), N(1)});
  CallByName("action_partemit_create", {N(1), N(PART_SHAPE_RECTANGLE), N(0), N(10), N(0), N(10)});
  CallByName("action_partemit_burst", {N(1), N(2), N(6)});
  CParticleSystem& s = *ParticleSystem_Find(system);
  ASSERT_EQ(s.Count(), 6);
  EXPECT_EQ(s.Particles()[0].speed, 4);
  s.Update();
  EXPECT_EQ(s.Particles()[0].speed, 3);  // friction 1
  CallByName("action_partemit_stream", {N(1), N(2), N(2)});
  s.Update();
  EXPECT_EQ(s.Count(), 8);

  // Numbers outside the slots touch nothing.
  CallByName("action_parttype_life", {N(16), N(1), N(1)});
  CallByName("action_partemit_burst", {N(-1), N(2), N(1)});
  EXPECT_EQ(ReportedError(), "The particle emitter must first be created.");
  Error_Reset();

  CallByName("action_partemit_destroy", {N(1)});
  CallByName("action_partemit_burst", {N(1), N(2), N(1)});
  EXPECT_EQ(ReportedError(), "The particle emitter must first be created.");
  Error_Reset();

  // A new action system forgets the slots: type 2 is made anew.
  const int32_t old_type = Effect_Actions().types[2];
  CallByName("action_partsyst_create", {N(0)});
  EXPECT_EQ(Effect_Actions().types[2], -1);
  CallByName("action_parttype_life", {N(2), N(5), N(5)});
  EXPECT_NE(Effect_Actions().types[2], old_type);
  EXPECT_TRUE(ParticleType_Find(old_type) != nullptr);

  CallByName("action_partsyst_destroy");
  EXPECT_EQ(ParticleSystem_Find(system), nullptr);
  CallByName("action_partsyst_clear");
  EXPECT_EQ(Effect_Actions().system, -1);
  CallByName("action_effect", {N(EFFECT_STAR), N(5), N(5), N(0), N(0), N(1)});
  EXPECT_EQ(ParticleSystem_Find(Effect_SystemAbove())->Count(), 1);
  EXPECT_FALSE(Error_Occurred());
}

}  // namespace
