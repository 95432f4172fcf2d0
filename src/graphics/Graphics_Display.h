// Graphics_Display: the display mode, the preparation of the game window and
// drawing device at load, and the screenshot key.
#pragma once

#include <cstdint>
#include <string>

// The display's current mode.
int32_t Display_GetWidth();
int32_t Display_GetHeight();
int32_t Display_GetColorDepth();
int32_t Display_GetFrequency();
int32_t Display_MouseGetX();
int32_t Display_MouseGetY();

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
