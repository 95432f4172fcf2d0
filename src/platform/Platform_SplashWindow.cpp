#include "platform/Platform_SplashWindow.h"

#include <SDL.h>

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Platform_Internal.h"

namespace {

SDL_Window* g_Window = nullptr;
RSplashWindowInput g_Input;
bool g_Cursor = true;

// Input over the splash window is the splash's alone: the game never sees it.
bool TrackSplash(const SDL_Event& event) {
  if (g_Window == nullptr) return false;
  const uint32_t id = SDL_GetWindowID(g_Window);
  switch (event.type) {
    case SDL_KEYDOWN:
      if (event.key.windowID != id) return false;
      if (event.key.keysym.sym == SDLK_ESCAPE) g_Input.escape = true;
      return true;
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
      return event.key.windowID == id;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.windowID != id) return false;
      g_Input.click = true;
      return true;
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID == id;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != id) return false;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) g_Input.closed = true;
      if (event.window.event == SDL_WINDOWEVENT_ENTER) SDL_ShowCursor(g_Cursor ? SDL_ENABLE : SDL_DISABLE);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool SplashWindow_Open(const RSplashWindowSetup& setup) {
  SplashWindow_Close();
  if (!Platform_HasDisplay()) return false;
  static bool tracking = false;
  if (!tracking) {
    Platform_AddEventHandler(TrackSplash);
    tracking = true;
  }
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (setup.full_screen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (!setup.border || setup.full_screen) flags |= SDL_WINDOW_BORDERLESS;
  if (setup.stay_on_top) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  g_Window = SDL_CreateWindow(setup.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              std::max(1, setup.width), std::max(1, setup.height), flags);
  if (g_Window == nullptr) return false;
  g_Cursor = setup.cursor;
  g_Input = {};
  SDL_RaiseWindow(g_Window);
  return true;
}

bool SplashWindow_IsOpen() { return g_Window != nullptr; }

void SplashWindow_Show(const uint32_t* pixels, int32_t width, int32_t height) {
  if (g_Window == nullptr || pixels == nullptr || width < 1 || height < 1) return;
  SDL_Surface* screen = SDL_GetWindowSurface(g_Window);
  if (screen == nullptr) return;
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                            width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (picture == nullptr) return;
  SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
  if (width == screen->w && height == screen->h)
    SDL_BlitSurface(picture, nullptr, screen, nullptr);
  else
    SDL_BlitScaled(picture, nullptr, screen, nullptr);
  SDL_FreeSurface(picture);
  SDL_UpdateWindowSurface(g_Window);
}

RSplashWindowInput SplashWindow_TakeInput() {
  RSplashWindowInput input = g_Input;
  g_Input = {};
  return input;
}

void SplashWindow_Close() {
  if (g_Window != nullptr) SDL_DestroyWindow(g_Window);
  g_Window = nullptr;
  g_Input = {};
}
