#include "graphics/Graphics_Display.h"

#include <filesystem>

#include "data/Option_Main.h"
#include "data/Replay_Log.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

namespace {

RDisplayMode CurrentMode() {
  RDisplayMode mode;
  PlatformDisplay_GetMode(mode);
  return mode;
}

}  // namespace

int32_t Display_GetWidth() { return CurrentMode().width; }
int32_t Display_GetHeight() { return CurrentMode().height; }
int32_t Display_GetColorDepth() { return CurrentMode().bits; }
int32_t Display_GetFrequency() { return CurrentMode().frequency; }

int32_t Display_MouseGetX() { return Graphics_PairPart<Replay_Pair<REPLAY_MOUSE, PlatformDisplay_GetMouse>, false>(); }

int32_t Display_MouseGetY() { return Graphics_PairPart<Replay_Pair<REPLAY_MOUSE, PlatformDisplay_GetMouse>, true>(); }

bool Display_Prepare() {
  // The desktop's mode is never changed: a window manager owns it. Only the
  // colour-depth question remains, for displays that are neither 16 nor 32 bits.
  const bool depth_requested = Settings.ChangeResolution && (Settings.ColorDepth == 1 || Settings.ColorDepth == 2);
  const int32_t bits = Display_GetColorDepth();
  if (!depth_requested && bits != 16 && bits != 32 &&
      !Platform_AskYesNo("This application requires 16-bit or 32-bit color mode. Should I switch to a valid color mode?",
                         true))
    return false;
  if (!Window_ApplySettings(Settings)) {
    Platform_ShowMessage(
        "Failed to initialize drawing surfaces. Please check that your graphics card meets the minimum requirements "
        "and that your drivers are up-to-date. If your graphics card has little memory, try switching your computer "
        "to a lower resolution.");
    return false;
  }
  if (!D3D_CreateDevice(640, 480, Settings.VSync)) return false;
  D3D_SetInterpolation(Settings.Interpolate);
  return true;
}

void Display_ShowWindow() { Window_SetVisible(true); }

std::string Display_ScreenshotName(const std::string& folder) {
  std::error_code ec;
  for (int32_t n = 100;; ++n) {
    std::filesystem::path path = std::filesystem::path(folder) / ("screenshot" + std::to_string(n) + ".bmp");
    if (!std::filesystem::exists(path, ec)) return path.string();
  }
}

bool Display_SaveScreenshot(const std::string& folder) {
  return D3D_SaveScreen(Display_ScreenshotName(folder), 0, 0, D3D_DrawingWidth(), D3D_DrawingHeight());
}
