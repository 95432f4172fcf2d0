// Platform_LoadWindow: the borderless loading window with its picture,
// progress bar and label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RLoadWindowSetup {
  // Pictures as BMP file bytes; a picture that does not decode is absent.
  std::optional<std::vector<uint8_t>> picture, bar_back, bar_front;
  bool transparent = false;  // colour-keyed by the picture's bottom-left pixel
  int32_t alpha = 255;       // window opacity 0..255
  bool show_bar = true;
  bool scale_bar = true;     // stretch the front image instead of cutting it
  bool show_label = false;
};

// Creates and shows the window, centred on the screen.
void LoadWindow_Open(const RLoadWindowSetup& setup);
// Sets the bar to percent of its width and the label's text, and repaints.
void LoadWindow_SetProgress(int32_t percent, const std::string& text);
// The width of the full bar as last set (for tests).
int32_t LoadWindow_BarWidth();
// The colour (0x00RRGGBB) where the open window is see-through, -1 for none
// (for tests).
int64_t LoadWindow_ColourKey();
// Hides the window and frees its images.
void LoadWindow_Close();
