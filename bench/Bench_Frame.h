// The shared harness of the drawing benchmarks: a visible 640 x 480 game
// window with a drawing device, and the time of one frame measured the same
// way for every scene (and for the LOVE scenes beside them).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

// Opens the window and its device; false, with the reason on stderr, when
// there is no video driver or no device.
inline bool Bench_OpenWindow() {
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

inline void Bench_CloseWindow() {
  PlatformWindow_Destroy();
  Platform_Quit();
}

// Milliseconds of one call of `frame` (which draws and presents): the
// average over at least `frames` frames and half a second, the best of three
// such runs (the machine is shared; the best run is the one least
// disturbed). Reading a pixel waits for the GPU at both ends.
template <class F>
double Bench_MeasureFrame(F&& frame, int frames) {
  uint32_t pixel = 0;
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    frame();
    PlatformGL_ReadPixels(0, 0, 1, 1, &pixel);
    const int64_t start = Platform_Microseconds();
    int done = 0;
    while (done < frames || Platform_Microseconds() - start < 500000) {
      frame();
      ++done;
    }
    PlatformGL_ReadPixels(0, 0, 1, 1, &pixel);
    best = std::min(best, (Platform_Microseconds() - start) / 1000.0 / done);
  }
  return best;
}
