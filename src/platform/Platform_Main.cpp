#include "platform/Platform.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Platform_Graphics.h"
#include "platform/Platform_Internal.h"
#include "platform/Platform_Net.h"

namespace {

bool g_Initialised = false;
bool g_CloseRequested = false;
void (*g_MessageHook)() = nullptr;
std::vector<PlatformEventHandler> g_Handlers;
std::vector<void (*)()> g_PassHandlers;
std::vector<void (*)()> g_QuitHandlers;

void PrintToStderr(const std::string& text) {
  std::string line = text;
  for (char& c : line)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

bool Platform_Init() {
  if (g_Initialised) return true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The loading window paints with the CPU; no GL context is needed for it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  g_Initialised = true;
  return true;
}

void Platform_Quit() {
  if (!g_Initialised) return;
  for (void (*handler)() : g_QuitHandlers) handler();
  // The game window, its display mode and cursor go before the video service.
  PlatformWindow_Destroy();
  SDL_Quit();
  g_Initialised = false;
}

bool Platform_HasDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void Platform_ShowMessage(const std::string& text) {
  PrintToStderr(text);
  if (!Platform_HasDisplay()) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "", text.c_str(), nullptr);
}

bool Platform_AskYesNo(const std::string& text, bool default_answer) {
  PrintToStderr(text);
  if (!Platform_HasDisplay()) return default_answer;
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, "", text.c_str(), 2, buttons, nullptr};
  int chosen = default_answer ? 1 : 0;
  if (SDL_ShowMessageBox(&data, &chosen) != 0) return default_answer;
  return chosen == 1;
}

void Platform_AddEventHandler(PlatformEventHandler handler) { g_Handlers.push_back(handler); }
void Platform_AddPassHandler(void (*handler)()) { g_PassHandlers.push_back(handler); }
void Platform_AddQuitHandler(void (*handler)()) { g_QuitHandlers.push_back(handler); }

SDL_Window* Platform_CreateKeyedWindow(const char* title, int x, int y, int w, int h, Uint32 flags,
                                       const uint32_t* pixels, uint32_t key) {
  SDL_Window* window = SDL_CreateShapedWindow(title, 0, 0, w, h, flags | SDL_WINDOW_HIDDEN);
  SDL_Surface* shape = window ? SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), w, h, 32, w * 4,
                                                                   SDL_PIXELFORMAT_ARGB8888)
                              : nullptr;
  SDL_WindowShapeMode mode;
  mode.mode = ShapeModeColorKey;
  mode.parameters.colorKey = {Uint8(key >> 16), Uint8(key >> 8), Uint8(key), 255};
  const bool shaped = shape && SDL_SetWindowShape(window, shape, &mode) == 0;
  if (shape) SDL_FreeSurface(shape);
  if (!shaped) {
    if (window) SDL_DestroyWindow(window);
    return SDL_CreateWindow(title, x, y, w, h, flags);
  }
  SDL_SetWindowPosition(window, x, y);
  if (!(flags & SDL_WINDOW_HIDDEN)) SDL_ShowWindow(window);
  return window;
}

void Platform_ProcessMessages() {
  // Network peers are kept answered between steps and in modal waits alike;
  // they need no window services.
  Platform_NetServiceAll();
  if (g_Initialised) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      bool consumed = false;
      for (PlatformEventHandler handler : g_Handlers)
        if (handler(event)) {
          consumed = true;
          break;
        }
      if (!consumed && event.type == SDL_QUIT) g_CloseRequested = true;
    }
  }
  // By index: a handler may start a nested pass that adds handlers.
  for (size_t i = 0; i < g_PassHandlers.size(); i++) g_PassHandlers[i]();
  if (g_MessageHook) g_MessageHook();
}

void Platform_SetMessageHook(void (*hook)()) { g_MessageHook = hook; }

bool Platform_TakeCloseRequest() {
  bool requested = g_CloseRequested;
  g_CloseRequested = false;
  return requested;
}

int64_t Platform_Microseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void Platform_SleepMilliseconds(int32_t ms) {
  // Nothing waits while a finished frame stays off the screen.
  PlatformGL_FinishPresent();
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

std::string Platform_ExecutablePath() {
  std::vector<char> buffer(4096);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}
