#include "graphics/Graphics_Display.h"

#include <filesystem>
#include <iterator>

#include "data/Option_Main.h"
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

int32_t Display_MouseGetX() { return Graphics_PairPart<PlatformDisplay_GetMouse, false>(); }

int32_t Display_MouseGetY() { return Graphics_PairPart<PlatformDisplay_GetMouse, true>(); }

void Display_MouseSet(int32_t x, int32_t y) { PlatformDisplay_SetMouse(x, y); }

namespace {

// The mode asked for, its parts <= 0 taken from the current mode.
RDisplayMode Completed(int32_t width, int32_t height, int32_t frequency, int32_t bits) {
  const RDisplayMode now = CurrentMode();
  RDisplayMode mode;
  mode.width = width > 0 ? width : now.width;
  mode.height = height > 0 ? height : now.height;
  mode.frequency = frequency > 0 ? frequency : now.frequency;
  mode.bits = bits > 0 ? bits : now.bits;
  return mode;
}

}  // namespace

bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t bits) {
  if (!PlatformDisplay_SetMode(Completed(width, height, frequency, bits))) return false;
  D3D_ResetDevice();
  return true;
}

bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t bits) {
  return PlatformDisplay_TestMode(Completed(width, height, frequency, bits));
}

bool Display_Reset() {
  if (!PlatformDisplay_RestoreMode()) return false;
  D3D_ResetDevice();
  return true;
}

RDisplayPlan Display_Plan(const RSettings& settings, int32_t current_bits, const std::function<bool()>& ask) {
  // Setting codes: an index into these tables; anything else means no change.
  static constexpr int32_t kBits[] = {0, 16, 32};
  static constexpr int32_t kWidths[] = {0, 320, 640, 800, 1024, 1280, 1600};
  static constexpr int32_t kHeights[] = {0, 240, 480, 600, 768, 1024, 1200};
  static constexpr int32_t kFrequencies[] = {0, 60, 70, 85, 100, 120};
  auto pick = [](const auto& table, int32_t code) {
    return code >= 0 && code < int32_t(std::size(table)) ? table[code] : 0;
  };
  RDisplayPlan plan;
  plan.change = settings.ChangeResolution;
  if (plan.change) {
    plan.bits = pick(kBits, settings.ColorDepth);
    plan.width = pick(kWidths, settings.Resolution);
    plan.height = pick(kHeights, settings.Resolution);
    plan.frequency = pick(kFrequencies, settings.Frequency);
  }
  if (plan.bits == 0 && current_bits != 16 && current_bits != 32) {
    if (!ask()) {
      plan.run = false;
      return plan;
    }
    plan.bits = 16;
    plan.change = true;
  }
  return plan;
}

bool Display_Prepare() {
  const RDisplayPlan plan = Display_Plan(Settings, Display_GetColorDepth(), [] {
    return Platform_AskYesNo(
        "This application requires 16-bit or 32-bit color mode. Should I switch to a valid color mode?", true);
  });
  if (!plan.run) return false;
  // A display mode belongs to the game window here, so the window comes first.
  if (!Window_ApplySettings(Settings)) {
    Platform_ShowMessage(
        "Failed to initialize drawing surfaces. Please check that your graphics card meets the minimum requirements "
        "and that your drivers are up-to-date. If your graphics card has little memory, try switching your computer "
        "to a lower resolution.");
    return false;
  }
  // A display that refuses the mode leaves the game in the desktop's.
  if (plan.change) PlatformDisplay_SetMode(Completed(plan.width, plan.height, plan.frequency, plan.bits));
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
