#include "platform/Platform_InputDriver.h"

#include <SDL.h>

#include <map>

#include "platform/Platform.h"

namespace {

void Push(SDL_Event& e) {
  SDL_PushEvent(&e);
  Platform_ProcessMessages();
}

// Virtual joysticks by handle: the device index they were attached at and the
// open joystick.
struct RVirtualJoystick {
  int device;
  SDL_Joystick* stick;
};
std::map<int32_t, RVirtualJoystick> g_Joysticks;
int32_t g_NextHandle = 0;

SDL_Joystick* Stick(int32_t handle) {
  auto it = g_Joysticks.find(handle);
  return it == g_Joysticks.end() ? nullptr : it->second.stick;
}

}  // namespace

int32_t InputDriver_Scancode(const char* name) { return SDL_GetScancodeFromName(name); }

void InputDriver_Key(int32_t scancode, bool down, bool repeat) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  Push(e);
}

void InputDriver_Text(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
  Push(e);
}

void InputDriver_Button(int32_t button, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  Push(e);
}

void InputDriver_Wheel(int32_t notches) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = notches;
  Push(e);
}

void InputDriver_CloseWindow() {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(e);
}

int32_t InputDriver_AttachJoystick(int32_t axes, int32_t buttons, int32_t hats) {
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
  if (device < 0) return -1;
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  if (!stick) {
    SDL_JoystickDetachVirtual(device);
    return -1;
  }
  g_Joysticks[g_NextHandle] = {device, stick};
  return g_NextHandle++;
}

void InputDriver_SetJoystickAxis(int32_t handle, int32_t axis, int32_t value) {
  if (SDL_Joystick* stick = Stick(handle)) SDL_JoystickSetVirtualAxis(stick, axis, static_cast<Sint16>(value));
}

void InputDriver_SetJoystickButton(int32_t handle, int32_t button, bool down) {
  if (SDL_Joystick* stick = Stick(handle))
    SDL_JoystickSetVirtualButton(stick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void InputDriver_SetJoystickHat(int32_t handle, int32_t hat, int32_t bits) {
  if (SDL_Joystick* stick = Stick(handle)) SDL_JoystickSetVirtualHat(stick, hat, static_cast<Uint8>(bits));
}

void InputDriver_UpdateJoysticks() { SDL_JoystickUpdate(); }

void InputDriver_DetachJoystick(int32_t handle) {
  auto it = g_Joysticks.find(handle);
  if (it == g_Joysticks.end()) return;
  SDL_JoystickClose(it->second.stick);
  SDL_JoystickDetachVirtual(it->second.device);
  g_Joysticks.erase(it);
}
