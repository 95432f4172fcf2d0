// Platform_Input: keyboard, mouse and joysticks from the platform's events,
// delivered as the engine's key codes and button numbers.
#pragma once

#include <cstdint>
#include <string>

// Where input events of the game window go.
struct RInputSink {
  void (*key_down)(int32_t key);        // key code 1..255 (auto-repeat included)
  void (*key_up)(int32_t key);
  void (*character)(int32_t c);          // 8-bit character, 8 for backspace
  void (*mouse_down)(int32_t button);    // 1 left, 2 right, 3 middle
  void (*mouse_up)(int32_t button);
  void (*wheel)(bool up);
  void (*close)();                       // the window's close button
};
// Routes the game window's input to `sink` from now on.
void PlatformInput_Install(const RInputSink& sink);

// The key code of a platform scancode (0 when it has none). With Num Lock off
// the keypad gives the navigation keys.
int32_t PlatformInput_KeyCode(int32_t scancode, bool num_lock);
// Number of scancodes the table covers.
int32_t PlatformInput_ScancodeCount();
// Whether the key (a key code, including the sided shift, control and alt
// codes 160..165 and mouse buttons 1, 2, 4) is down at this moment.
bool PlatformInput_KeyDirect(int32_t key);
bool PlatformInput_GetNumLock();
void PlatformInput_SetNumLock(bool on);
// Queues a key down or up of the key code as if the keyboard sent it.
void PlatformInput_SendKey(int32_t key, bool down);

// Joysticks: index 0 is the first, 1 the second. Positions use the range
// 0..65535; the point-of-view hat is in hundredths of degrees, 65535 centred.
bool PlatformJoystick_Exists(int32_t index);
std::string PlatformJoystick_Name(int32_t index);
int32_t PlatformJoystick_Axes(int32_t index);
int32_t PlatformJoystick_Buttons(int32_t index);
bool PlatformJoystick_HasPov(int32_t index);
// Axis 0..5 (x, y, z, r, u, v); 32767 when missing.
int32_t PlatformJoystick_Axis(int32_t index, int32_t axis);
// Button from 0.
bool PlatformJoystick_Button(int32_t index, int32_t button);
int32_t PlatformJoystick_Pov(int32_t index);
