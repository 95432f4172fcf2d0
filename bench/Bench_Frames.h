// The shared harness of the drawing benchmarks: a headless window with a
// 640 x 480 drawing device, and the time of one frame as the best of three
// runs (the machine is shared; the best run is the one least disturbed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

// The window and the device; false, with the reason on stderr, without them.
inline bool Bench_OpenDevice() {
  if (!Platform_Init()) {
    std::fprintf(stderr, "no video driver\n");
    return false;
  }
  Settings = RSettings{};
  if (!Window_ApplySettings(Settings) || !D3D_CreateDevice(640, 480, false)) return false;
  Window_SetRegionForRoom(640, 480);
  Window_SetVisible(true);
  return true;
}

// Milliseconds of one `frame()`: the average over at least `frames` frames
// and `min_us` microseconds, the best of three such runs.
template <class Frame>
double Bench_FrameMilliseconds(Frame frame, int frames, int64_t min_us) {
  uint32_t pixel = 0;
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    frame();
    PlatformGL_ReadPixels(0, 0, 1, 1, &pixel);  // wait for the GPU
    const int64_t start = Platform_Microseconds();
    int done = 0;
    while (done < frames || Platform_Microseconds() - start < min_us) {
      frame();
      ++done;
    }
    PlatformGL_ReadPixels(0, 0, 1, 1, &pixel);
    best = std::min(best, (Platform_Microseconds() - start) / 1000.0 / done);
  }
  return best;
}
