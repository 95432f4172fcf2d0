// Particle throughput: 10,000 and 50,000 live particles of the built-in disk
// at a quarter size, streamed from the middle of a 640 x 480 room, each
// living 50 steps, moving 1 to 3 pixels a step in any direction, turning 2
// degrees a step and going from yellow to red while fading out. One frame is
// one update and one draw of the system, presented. Prints milliseconds per
// frame; bench/run_particles.sh runs it beside the same scene in LOVE.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Bench_Frame.h"
#include "functions/Particle_Main.h"
#include "variables/Function_Math.h"

namespace {

constexpr int32_t kLife = 50;

// A system holding about n live particles once it has run kLife steps.
int32_t MakeSystem(int32_t n) {
  Particle_Reset();
  Random_SetSeed(12345);
  const int32_t t = ParticleType_Create();
  RParticleType& type = *ParticleType_Find(t);
  type.shape = 1;
  type.size_min = type.size_max = 0.25;
  type.life_min = type.life_max = kLife;
  type.speed_min = 1, type.speed_max = 3;
  type.direction_min = 0, type.direction_max = 360;
  type.orientation_increase = 2;
  type.colour_mode = PART_COLOUR_TWO;
  type.colour[0] = 0x00FFFF, type.colour[1] = 0x0000FF;
  type.alpha_start = 1, type.alpha_middle = 0.5, type.alpha_end = 0;
  const int32_t id = ParticleSystem_Create();
  CParticleSystem& system = *ParticleSystem_Find(id);
  RParticleEmitter& e = system.emitters.Slots()[system.emitters.Add()];
  e.xmin = 310, e.xmax = 330, e.ymin = 230, e.ymax = 250;
  e.stream_type = t;
  e.stream_number = n / kLife;
  for (int i = 0; i <= kLife; ++i) system.Update();
  return id;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  if (!Bench_OpenWindow()) return 1;

  std::printf("engine: best of 3 runs of at least %d frames and 0.5 s each\n", frames);
  for (int32_t n : {10000, 50000}) {
    CParticleSystem& system = *ParticleSystem_Find(MakeSystem(n));
    const double ms = Bench_MeasureFrame(
        [&] {
          system.Update();
          D3D_Clear(0x402020);
          system.Draw();
          D3D_Present();
        },
        frames);
    std::printf("engine: N = %6d  %8.3f ms/frame  (%d live)\n", n, ms, system.Count());
  }
  Particle_Reset();
  Bench_CloseWindow();
  return 0;
}
