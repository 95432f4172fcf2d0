// Graphics_Display: the display mode, the preparation of the game window and
// drawing device at load, and the screenshot key.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct RSettings;

// The display's current mode.
int32_t Display_GetWidth();
int32_t Display_GetHeight();
int32_t Display_GetColorDepth();
int32_t Display_GetFrequency();
int32_t Display_MouseGetX();
int32_t Display_MouseGetY();
void Display_MouseSet(int32_t x, int32_t y);

// Changes the display mode; values <= 0 keep that part of the current mode.
// True when the display took it; then the drawing device is reset (every
// surface is gone). Without a display, or for a mode the display lacks,
// false with nothing changed.
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t bits);
// Whether Display_SetAll would succeed, changing nothing.
bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t bits);
// Gives the display the mode it had before the game changed it, then resets
// the device; false when there was no change to undo.
bool Display_Reset();

// The display mode the settings ask for at load. `run` false: the game
// cannot run (the player said No to the colour-depth question); `change`:
// a mode change is wanted, each part of `mode` above 0 to be set.
struct RDisplayPlan {
  bool run = true;
  bool change = false;
  int32_t width = 0, height = 0, frequency = 0, bits = 0;
};
// `current_bits` is the desktop's depth; `ask` puts the colour-depth
// question and returns the answer.
RDisplayPlan Display_Plan(const RSettings& settings, int32_t current_bits, const std::function<bool()>& ask);

// The display steps of the load: checks the colour depth (asking the player
// when it is unusable), creates the game window with the settings, creates
// the device with a 640 x 480 drawing area and the VSync setting, and applies
// Interpolate. The caller then creates the textures and begins the first
// frame. False (after the player has been told) when the game cannot run.
bool Display_Prepare();
// Shows the prepared game window.
void Display_ShowWindow();

// The file the screenshot key writes: "screenshot" + n + ".bmp" in `folder`
// for the smallest n >= 100 that does not exist yet.
std::string Display_ScreenshotName(const std::string& folder);
// Saves the whole drawing area there; false when it could not be written.
bool Display_SaveScreenshot(const std::string& folder);
