#include <SDL_syswm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_Internal.h"
#include "platform/Platform_WindowInternal.h"

namespace {

SDL_Window* g_Window = nullptr;
int32_t g_MouseX = 0;
int32_t g_MouseY = 0;
bool g_Focused = true;
void (*g_Repaint)() = nullptr;
bool g_ModeChanged = false;
SDL_Cursor* g_Cursor = nullptr;  // the shape set last, freed with the window  // the game window holds the display in a mode of its own

int32_t ModeBits(uint32_t format) {
  // X11 reports 24 bits for colour held in 32-bit pixels.
  return SDL_BYTESPERPIXEL(format) == 2 ? 16 : SDL_BYTESPERPIXEL(format) >= 3 ? 32 : int32_t(SDL_BITSPERPIXEL(format));
}

// The display's mode that fits the request best: the size exactly, the
// frequency and depth exactly where they are asked for, else the highest.
bool FindMode(const RDisplayMode& want, SDL_DisplayMode& found) {
  if (!Platform_HasDisplay()) return false;
  const int display = g_Window != nullptr ? std::max(0, SDL_GetWindowDisplayIndex(g_Window)) : 0;
  bool any = false;
  for (int i = 0, n = SDL_GetNumDisplayModes(display); i < n; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(display, i, &m) != 0 || m.w != want.width || m.h != want.height) continue;
    if (want.frequency > 0 && m.refresh_rate != want.frequency) continue;
    if (want.bits > 0 && ModeBits(m.format) != want.bits) continue;
    // The list runs from the highest depth and frequency down.
    if (!any) found = m;
    any = true;
  }
  return any;
}

void RestoreAtExit() { PlatformDisplay_RestoreMode(); }

// Mouse motion, focus and repaints of the game window. SDL's own mouse state
// follows the focus, which an offscreen window never gets. Nothing is
// consumed: the input handlers see the same events.
bool TrackWindow(const SDL_Event& event) {
  if (g_Window == nullptr) return false;
  const uint32_t id = SDL_GetWindowID(g_Window);
  if (event.type == SDL_MOUSEMOTION && event.motion.windowID == id) {
    g_MouseX = event.motion.x;
    g_MouseY = event.motion.y;
  } else if (event.type == SDL_WINDOWEVENT && event.window.windowID == id) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_FOCUS_GAINED: g_Focused = true; break;
      case SDL_WINDOWEVENT_FOCUS_LOST: g_Focused = false; break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (g_Repaint != nullptr) g_Repaint();
        break;
      default: break;
    }
  }
  return false;
}

}  // namespace

SDL_Window* PlatformWindow_Handle() { return g_Window; }

bool PlatformDisplay_GetMode(RDisplayMode& mode) {
  SDL_DisplayMode m;
  int display = g_Window != nullptr ? SDL_GetWindowDisplayIndex(g_Window) : 0;
  // The mode the display is in now: the game's own while it changed it.
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &m) != 0) return false;
  mode.width = m.w;
  mode.height = m.h;
  mode.bits = ModeBits(m.format);
  mode.frequency = m.refresh_rate;
  return true;
}

void PlatformDisplay_GetMouse(int32_t& x, int32_t& y) {
  int mx = 0, my = 0;
  SDL_GetGlobalMouseState(&mx, &my);
  x = mx;
  y = my;
}

void PlatformDisplay_SetMouse(int32_t x, int32_t y) { SDL_WarpMouseGlobal(x, y); }

bool PlatformDisplay_TestMode(const RDisplayMode& mode) {
  SDL_DisplayMode found;
  return FindMode(mode, found);
}

bool PlatformDisplay_SetMode(const RDisplayMode& mode) {
  SDL_DisplayMode found;
  if (g_Window == nullptr || !FindMode(mode, found)) return false;
  PlatformGL_FinishPresent();
  static bool registered = false;
  if (!registered) {
    std::atexit(RestoreAtExit);
    registered = true;
  }
  // A display mode belongs to a full-screen window: the desktop's returns
  // when the window leaves full screen.
  if (SDL_SetWindowDisplayMode(g_Window, &found) != 0 ||
      SDL_SetWindowFullscreen(g_Window, SDL_WINDOW_FULLSCREEN) != 0) {
    SDL_SetWindowFullscreen(g_Window, 0);
    return false;
  }
  g_ModeChanged = true;
  return true;
}

bool PlatformDisplay_RestoreMode() {
  if (!g_ModeChanged) return false;
  g_ModeChanged = false;
  if (g_Window != nullptr) SDL_SetWindowFullscreen(g_Window, 0);
  return true;
}

bool PlatformDisplay_ModeChanged() { return g_ModeChanged; }

bool PlatformWindow_Create(int32_t width, int32_t height) {
  if (g_Window != nullptr) return true;
  static bool tracking = false;
  if (!tracking) {
    Platform_AddEventHandler(TrackWindow);
    tracking = true;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  g_Window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  g_MouseX = g_MouseY = 0;
  g_Focused = true;
  return g_Window != nullptr;
}

void PlatformWindow_Destroy() {
  PlatformDisplay_RestoreMode();
  if (g_Cursor != nullptr) {
    SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_FreeCursor(g_Cursor);
    g_Cursor = nullptr;
  }
  PlatformGL_Destroy();
  if (g_Window != nullptr) SDL_DestroyWindow(g_Window);
  g_Window = nullptr;
}

bool PlatformWindow_Exists() { return g_Window != nullptr; }

uint64_t PlatformWindow_NativeHandle() {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (g_Window == nullptr || !SDL_GetWindowWMInfo(g_Window, &info)) return 0;
  switch (info.subsystem) {
    case SDL_SYSWM_X11:
      return static_cast<uint64_t>(info.info.x11.window);
    case SDL_SYSWM_WAYLAND:
      return reinterpret_cast<uintptr_t>(info.info.wl.surface);
    default:
      return 0;
  }
}
bool PlatformWindow_HasFocus() { return g_Focused; }
void PlatformWindow_SetRepaintHandler(void (*repaint)()) { g_Repaint = repaint; }

void PlatformWindow_SetVisible(bool visible) {
  if (g_Window == nullptr) return;
  if (visible)
    SDL_ShowWindow(g_Window);
  else
    SDL_HideWindow(g_Window);
}

void PlatformWindow_SetCaption(const std::string& caption) {
  if (g_Window != nullptr) SDL_SetWindowTitle(g_Window, caption.c_str());
}

void PlatformWindow_SetBorder(bool border) {
  if (g_Window != nullptr) SDL_SetWindowBordered(g_Window, border ? SDL_TRUE : SDL_FALSE);
}

void PlatformWindow_SetResizable(bool resizable) {
  if (g_Window != nullptr) SDL_SetWindowResizable(g_Window, resizable ? SDL_TRUE : SDL_FALSE);
}

void PlatformWindow_SetStayOnTop(bool on_top) {
  if (g_Window != nullptr) SDL_SetWindowAlwaysOnTop(g_Window, on_top ? SDL_TRUE : SDL_FALSE);
}

void PlatformWindow_SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void PlatformWindow_SetCursorShape(ESystemCursor shape) {
  static constexpr SDL_SystemCursor kShapes[] = {
      SDL_SYSTEM_CURSOR_ARROW,  SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_IBEAM,  SDL_SYSTEM_CURSOR_SIZENESW,
      SDL_SYSTEM_CURSOR_SIZENS, SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZEWE, SDL_SYSTEM_CURSOR_WAIT,
      SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_NO,     SDL_SYSTEM_CURSOR_HAND,   SDL_SYSTEM_CURSOR_SIZEALL};
  const size_t index = static_cast<size_t>(shape);
  if (g_Window == nullptr || index >= std::size(kShapes)) return;
  SDL_Cursor* cursor = SDL_CreateSystemCursor(kShapes[index]);
  if (cursor == nullptr) return;  // a driver without system cursors keeps its own
  SDL_SetCursor(cursor);
  if (g_Cursor != nullptr) SDL_FreeCursor(g_Cursor);
  g_Cursor = cursor;
}

void PlatformWindow_SetPosition(int32_t x, int32_t y) {
  if (g_Window != nullptr) SDL_SetWindowPosition(g_Window, x, y);
}

void PlatformWindow_GetPosition(int32_t& x, int32_t& y) {
  int wx = 0, wy = 0;
  if (g_Window != nullptr) SDL_GetWindowPosition(g_Window, &wx, &wy);
  x = wx;
  y = wy;
}

void PlatformWindow_SetClientSize(int32_t width, int32_t height) {
  PlatformGL_FinishPresent();  // a waiting frame shows at the size it was drawn for
  if (g_Window != nullptr) SDL_SetWindowSize(g_Window, width > 0 ? width : 1, height > 0 ? height : 1);
}

void PlatformWindow_GetClientSize(int32_t& width, int32_t& height) {
  int w = 0, h = 0;
  if (g_Window != nullptr) SDL_GetWindowSize(g_Window, &w, &h);
  width = w;
  height = h;
}

void PlatformWindow_GetMouse(int32_t& x, int32_t& y) {
  x = g_MouseX;
  y = g_MouseY;
}

void PlatformWindow_SetMouse(int32_t x, int32_t y) {
  if (g_Window == nullptr) return;
  SDL_WarpMouseInWindow(g_Window, x, y);
  g_MouseX = x;
  g_MouseY = y;
}
