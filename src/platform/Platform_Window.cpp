#include <cstring>

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
  if (display < 0 || SDL_GetDesktopDisplayMode(display, &m) != 0) return false;
  mode.width = m.w;
  mode.height = m.h;
  // X11 reports 24 bits for colour held in 32-bit pixels.
  mode.bits = SDL_BYTESPERPIXEL(m.format) == 2 ? 16 : SDL_BYTESPERPIXEL(m.format) >= 3 ? 32 : SDL_BITSPERPIXEL(m.format);
  mode.frequency = m.refresh_rate;
  return true;
}

void PlatformDisplay_GetMouse(int32_t& x, int32_t& y) {
  int mx = 0, my = 0;
  SDL_GetGlobalMouseState(&mx, &my);
  x = mx;
  y = my;
}

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
  PlatformGL_Destroy();
  if (g_Window != nullptr) SDL_DestroyWindow(g_Window);
  g_Window = nullptr;
}

bool PlatformWindow_Exists() { return g_Window != nullptr; }
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
