// Platform_SplashWindow: the splash screen's own window, a plain picture
// that the engine paints, with the player's Escape, clicks and close button
// reported back. Painting is done by the CPU: no drawing device is involved.
#pragma once

#include <cstdint>
#include <string>

struct RSplashWindowSetup {
  std::string caption;
  bool full_screen = false;  // the whole screen, no border
  bool border = true;
  bool stay_on_top = true;
  bool cursor = true;  // the mouse cursor shows over it
  int32_t width = 640, height = 480;
};

// What the player did to the window since the last call.
struct RSplashWindowInput {
  bool escape = false, click = false, closed = false;
};

// Opens the window centred on the screen (closing one that is open); false
// without a display.
bool SplashWindow_Open(const RSplashWindowSetup& setup);
bool SplashWindow_IsOpen();
// Paints a picture of width x height pixels (0xAARRGGBB, rows top first)
// stretched over the client area.
void SplashWindow_Show(const uint32_t* pixels, int32_t width, int32_t height);
RSplashWindowInput SplashWindow_TakeInput();
void SplashWindow_Close();
