// Sprite throughput: N copies of one 32 x 32 image bouncing around a 640 x 480
// room, drawn through the drawing layer one image at a time and presented
// every frame. Prints milliseconds per frame for a few N and the largest N
// that still fits in 16.7 ms. bench/run_bunnymark.sh runs it beside the same
// scene in LOVE.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Bench_Frames.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

namespace {

constexpr double kWidth = 640, kHeight = 480, kGravity = 0.5;
constexpr double kFrameBudgetMs = 1000.0 / 60.0;

struct RBunnies {
  std::vector<float> x, y, vx, vy;
  uint32_t seed = 12345;
  double Random() {  // the same generator in the LOVE scene
    seed = seed * 134775813u + 1u;
    return (seed >> 8) / 16777216.0;
  }
  void Resize(size_t n) {
    while (x.size() < n) {
      x.push_back(0);
      y.push_back(0);
      vx.push_back(static_cast<float>(Random() * 8));
      vy.push_back(static_cast<float>(Random() * 5 - 2.5));
    }
    x.resize(n), y.resize(n), vx.resize(n), vy.resize(n);
  }
  void Step() {
    for (size_t i = 0; i < x.size(); ++i) {
      x[i] += vx[i];
      y[i] += vy[i];
      vy[i] += kGravity;
      if (x[i] > kWidth - 32) vx[i] = -vx[i], x[i] = kWidth - 32;
      if (x[i] < 0) vx[i] = -vx[i], x[i] = 0;
      if (y[i] > kHeight - 32) {
        vy[i] *= -0.85f;
        y[i] = kHeight - 32;
        if (Random() > 0.5) vy[i] -= static_cast<float>(Random() * 6);
      }
      if (y[i] < 0) vy[i] = 0, y[i] = 0;
    }
  }
};

int32_t MakeBunny() {
  CBitmap32 image(32, 32);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const int dx = x - 16, dy = y - 16;
      image.pixels[y * 32 + x] = dx * dx + dy * dy < 256 ? 0xFFFFFFFFu - static_cast<uint32_t>(x * 4 << 8) : 0;
    }
  return TextureFromImage(image);
}

// Milliseconds of one frame with n bunnies (at least `frames` frames and half
// a second per run).
double MeasureFrame(RBunnies& bunnies, int32_t texture, size_t n, int frames) {
  bunnies.Resize(n);
  auto frame = [&] {
    bunnies.Step();
    D3D_Clear(0x402020);
    for (size_t i = 0; i < n; ++i) DrawTexture(texture, bunnies.x[i], bunnies.y[i]);
    D3D_Present();
  };
  return Bench_FrameMilliseconds(frame, frames, 500000);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  if (!Bench_OpenDevice()) return 1;
  const int32_t texture = MakeBunny();
  RBunnies bunnies;

  std::printf("engine: best of 3 runs of at least %d frames and 0.5 s each\n", frames);
  for (size_t n : {1000, 10000, 50000})
    std::printf("engine: N = %6zu  %8.3f ms/frame\n", n, MeasureFrame(bunnies, texture, n, frames));

  // Largest N within one 60 Hz frame: grow by doubling, then bisect to 1%.
  size_t low = 0, high = 1000;
  while (MeasureFrame(bunnies, texture, high, frames) <= kFrameBudgetMs) {
    low = high;
    high *= 2;
  }
  while (high - low > std::max<size_t>(low / 100, 100)) {
    const size_t mid = (low + high) / 2;
    (MeasureFrame(bunnies, texture, mid, frames) <= kFrameBudgetMs ? low : high) = mid;
  }
  std::printf("engine: largest N within 16.7 ms: %zu\n", low);
  PlatformWindow_Destroy();
  Platform_Quit();
  return 0;
}
