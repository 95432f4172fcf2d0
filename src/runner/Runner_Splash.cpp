#include "runner/Runner_Splash.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_SplashWindow.h"
#include "platform/Platform_Video.h"
#include "runner/Help_Main.h"
#include "step/IO_Main.h"
#include "world/Run_State.h"

RSplashSettings Splash_Settings;

namespace {

// Video names this long or longer are refused, as the player of old did.
constexpr size_t kMaxVideoName = 127;
// Between two looks at the clock and the player while a splash waits.
constexpr int32_t kPollMs = 5;

enum class ESplashKind { Image, Video, Text };

// The splash that is up. Owner: this module; lifetime: one splash.
struct RSplash {
  bool open = false;
  ESplashKind kind = ESplashKind::Image;
  bool in_game = false;      // drawn in the game window
  bool own_window = false;   // a window of its own is up
  int64_t start_us = 0;
  int32_t delay_ms = 0;
  bool loop = false;
  // The content: an image's pixels, a text, or a video with its next
  // picture (decoded, due at next_us).
  CBitmap32 image;
  std::string text;
  RVideo* video = nullptr;
  bool has_next = false;
  const uint32_t* next_pixels = nullptr;
  int64_t next_us = 0;
};

RSplash g_Splash;
// The last picture composed. Owner: this module; lifetime: the program run.
RCanvas g_Picture;

// The picture the game window shows instead of the game while a splash or
// the game information is in it; null otherwise.
const RCanvas* g_InGame = nullptr;

uint32_t Argb(int32_t colour) { return D3D_ConvertColour(colour, 1.0); }

// Uncovered or resized, the game window shows the picture again.
void RepaintInGame() {
  if (g_InGame) PlatformGL_ShowPicture(g_InGame->pixels.data(), g_InGame->width, g_InGame->height);
}

// Puts a picture in the game window (null: the game's own frame again).
void ShowInGame(const RCanvas* picture) {
  g_InGame = picture;
  if (picture) {
    PlatformWindow_SetRepaintHandler(RepaintInGame);
    RepaintInGame();
  } else {
    PlatformWindow_SetRepaintHandler(D3D_Refresh);
    D3D_Refresh();
  }
}

// The area the splash paints: the game window's client area, the screen, or
// the window size asked for.
void AreaSize(int32_t content_w, int32_t content_h, int32_t& w, int32_t& h) {
  const RSplashSettings& s = Splash_Settings;
  if (g_Splash.in_game) {
    PlatformWindow_GetClientSize(w, h);
    if (w > 0 && h > 0) return;
  }
  RDisplayMode mode;
  if (!g_Splash.in_game && s.full_screen && PlatformDisplay_GetMode(mode)) {
    w = mode.width;
    h = mode.height;
  } else if (!g_Splash.in_game && !s.full_screen && s.adapt && content_w > 0 && content_h > 0) {
    // The window takes the content's size, scaled when a scale is set.
    const double f = s.scale > 0 ? s.scale : 1.0;
    w = std::max(1, static_cast<int32_t>(std::lround(content_w * f)));
    h = std::max(1, static_cast<int32_t>(std::lround(content_h * f)));
  } else {
    w = std::max(1, s.width);
    h = std::max(1, s.height);
  }
}

// Composes the picture of the splash (content of w x h pixels, or the text)
// and shows it where the splash is.
void Present(const uint32_t* pixels, int32_t w, int32_t h) {
  int32_t aw = 0, ah = 0;
  AreaSize(w, h, aw, ah);
  aw = std::clamp(aw, 1, VIDEO_MAX_SIDE);
  ah = std::clamp(ah, 1, VIDEO_MAX_SIDE);
  const uint32_t back = Argb(Splash_Settings.colour);
  if (g_Splash.kind == ESplashKind::Text) {
    g_Picture.width = aw;
    g_Picture.height = ah;
    Help_PaintRichText(g_Picture, g_Splash.text, back);
  } else {
    g_Picture.width = aw;
    g_Picture.height = ah;
    g_Picture.pixels.assign(size_t(aw) * size_t(ah), back);
    Form_DrawPicture(g_Picture, pixels, w, h, Splash_Place(aw, ah, w, h, Splash_Settings.scale), false);
  }
  if (g_Splash.in_game)
    ShowInGame(&g_Picture);
  else if (g_Splash.own_window)
    SplashWindow_Show(g_Picture.pixels.data(), g_Picture.width, g_Picture.height);
}

void DecodeNext() {
  g_Splash.has_next = PlatformVideo_NextFrame(g_Splash.video, g_Splash.next_pixels, g_Splash.next_us);
}

// Shows the video's pictures that are due; false when the video has ended.
bool AdvanceVideo(int64_t elapsed_us) {
  const int32_t w = PlatformVideo_Width(g_Splash.video), h = PlatformVideo_Height(g_Splash.video);
  while (g_Splash.has_next && g_Splash.next_us <= elapsed_us) {
    Present(g_Splash.next_pixels, w, h);
    DecodeNext();
  }
  if (g_Splash.has_next) return true;
  if (!g_Splash.loop || !PlatformVideo_Rewind(g_Splash.video)) return false;
  g_Splash.start_us = Platform_Microseconds();
  DecodeNext();
  return g_Splash.has_next;
}

// Whether the player ended what the game window shows: Escape (with `key`),
// a click (with `mouse`), or the window's close button, which also ends the
// game as it would between steps.
bool StoppedInGame(bool key, bool mouse) {
  const RInputState& in = IO_Input;
  if ((key && in.key_pressed[27]) || (mouse && (in.mouse_pressed[1] || in.mouse_pressed[2] || in.mouse_pressed[3])))
    return true;
  if (!Platform_TakeCloseRequest()) return false;
  if (RunState.PendingRoom == REQUEST_NONE) RunState.PendingRoom = REQUEST_END;
  return true;
}

// One look at the clock and the player; false when the splash is over.
bool Advance() {
  const RSplashSettings& s = Splash_Settings;
  if (g_Splash.in_game) {
    if (StoppedInGame(s.stop_key, s.stop_mouse)) return false;
  } else if (g_Splash.own_window) {
    const RSplashWindowInput input = SplashWindow_TakeInput();
    if (input.closed || (s.stop_key && input.escape) || (s.stop_mouse && input.click)) return false;
  }
  const int64_t elapsed = Platform_Microseconds() - g_Splash.start_us;
  if (g_Splash.delay_ms > 0 && elapsed >= int64_t(g_Splash.delay_ms) * 1000) return false;
  if (g_Splash.kind == ESplashKind::Video) return AdvanceVideo(elapsed);
  return true;
}

// Opens the splash whose content the caller has just put in place.
void Begin(ESplashKind kind) {
  const RSplashSettings& s = Splash_Settings;
  g_Splash.kind = kind;
  g_Splash.open = true;
  g_Splash.in_game = s.main;
  if (g_Splash.in_game) {
    PlatformWindow_SetCursorVisible(s.cursor);
  } else {
    RSplashWindowSetup setup;
    setup.caption = s.caption;
    setup.full_screen = s.full_screen;
    setup.border = s.border;
    setup.stay_on_top = s.stay_on_top;
    setup.cursor = s.cursor;
    int32_t cw = 0, ch = 0;
    if (kind == ESplashKind::Image) cw = g_Splash.image.width, ch = g_Splash.image.height;
    if (kind == ESplashKind::Video) cw = PlatformVideo_Width(g_Splash.video), ch = PlatformVideo_Height(g_Splash.video);
    AreaSize(cw, ch, setup.width, setup.height);
    g_Splash.own_window = SplashWindow_Open(setup);
  }
  IO_ClearAll();
  g_Splash.start_us = Platform_Microseconds();
}

// Shows the first picture, then waits as the settings say.
void Run() {
  switch (g_Splash.kind) {
    case ESplashKind::Image:
      Present(g_Splash.image.pixels.data(), g_Splash.image.width, g_Splash.image.height);
      break;
    case ESplashKind::Text:
      Present(nullptr, 0, 0);
      break;
    case ESplashKind::Video:
      PlatformVideo_SetSound(g_Splash.video, true);
      DecodeNext();
      if (!AdvanceVideo(0)) {
        Splash_Close();
        return;
      }
      break;
  }
  // Nobody is there to watch or to stop it, or nowhere to show it: over at
  // once rather than waiting for a key that cannot come.
  const bool shown = g_Splash.in_game ? PlatformGL_Exists() : g_Splash.own_window;
  if (!Platform_HasDisplay() || !shown) {
    Splash_Close();
    return;
  }
  // An own window beside the running game is kept going by Splash_Tick.
  if (!g_Splash.in_game && !Splash_Settings.interrupt && g_Splash.own_window) return;
  while (g_Splash.open) {
    Platform_ProcessMessages();
    if (!Advance()) break;
    Platform_SleepMilliseconds(kPollMs);
  }
  Splash_Close();
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

void Splash_Reset() {
  Splash_Close();
  Splash_Settings = RSplashSettings{};
  g_Picture = RCanvas{};
}

RFormRect Splash_Place(int32_t aw, int32_t ah, int32_t cw, int32_t ch, double scale) {
  if (cw < 1 || ch < 1) return {0, 0, 0, 0};
  double f = scale;
  if (!(f > 0)) f = std::min(double(aw) / cw, double(ah) / ch);
  const int32_t w = static_cast<int32_t>(std::lround(std::min(cw * f, double(VIDEO_MAX_SIDE) * 4)));
  const int32_t h = static_cast<int32_t>(std::lround(std::min(ch * f, double(VIDEO_MAX_SIDE) * 4)));
  return {(aw - w) / 2, (ah - h) / 2, w, h};
}

void Splash_ShowImage(const std::string& name, int32_t delay_ms) {
  const std::string path = Path_Resolve(name);
  CBitmap32 image;
  if (!FileExists(path) || !Bitmap_LoadPicture(path, image) || image.width < 1 || image.height < 1) {
    ReportActionError("Image file not found.");
    return;
  }
  Splash_Close();
  g_Splash.image = std::move(image);
  Begin(ESplashKind::Image);
  g_Splash.delay_ms = delay_ms;
  Run();
}

void Splash_ShowVideo(const std::string& name, bool loop) {
  const std::string path = Path_Resolve(name);
  std::string error;
  RVideo* video = name.size() >= kMaxVideoName || !FileExists(path) ? nullptr : PlatformVideo_Open(path, error);
  if (!video) {
    ReportActionError("Video file not found (or name too long).");
    return;
  }
  Splash_Close();
  g_Splash.video = video;
  Begin(ESplashKind::Video);
  g_Splash.loop = loop;
  Run();
}

void Splash_ShowText(const std::string& name, int32_t delay_ms) {
  std::string text;
  if (!Path_ReadFile(Path_Resolve(name), text)) {
    ReportActionError("Text file not found.");
    return;
  }
  Splash_Close();
  g_Splash.text = std::move(text);
  Begin(ESplashKind::Text);
  g_Splash.delay_ms = delay_ms;
  Run();
}

void Splash_Tick() {
  if (g_Splash.open && !Advance()) Splash_Close();
}

bool Splash_IsOpen() { return g_Splash.open; }

void Splash_Close() {
  if (!g_Splash.open && !g_Splash.video) return;
  const bool in_game = g_Splash.in_game;
  PlatformVideo_Close(g_Splash.video);
  if (g_Splash.own_window) SplashWindow_Close();
  g_Splash = RSplash{};
  if (in_game) {
    PlatformWindow_SetCursorVisible(Settings.ShowCursor);
    ShowInGame(nullptr);
  }
  IO_ClearAll();
}

const RCanvas& Splash_LastPicture() { return g_Picture; }

void Splash_ShowInGameWindow(const RCanvas& picture, bool stop_mouse) {
  if (!Platform_HasDisplay() || !PlatformGL_Exists()) return;
  ShowInGame(&picture);
  IO_ClearAll();
  for (;;) {
    Platform_ProcessMessages();
    if (StoppedInGame(true, stop_mouse)) break;
    Platform_SleepMilliseconds(kPollMs * 4);
  }
  ShowInGame(nullptr);
  IO_ClearAll();
}
