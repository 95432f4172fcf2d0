// Platform_InputDriver: input made up by a program instead of a person, fed
// through the platform's own event queue so that it takes exactly the road of
// real input: tests drive the engine with it, and recorded or random input can
// be played through it.
#pragma once

#include <cstdint>
#include <string>

// The platform's scancode of a key by its name ("A", "Left", "Keypad 1",
// "Right Alt", "Return"); 0 for an unknown name. Scancodes are positions on
// a USB keyboard, independent of the layout.
int32_t InputDriver_Scancode(const char* name);
// A key goes down or up (repeat: a repetition of a held key).
void InputDriver_Key(int32_t scancode, bool down, bool repeat = false);
// Text typed, as UTF-8.
void InputDriver_Text(const char* utf8);
// Mouse buttons by the platform's numbers: 1 left, 2 middle, 3 right, 4 and 5
// the extra buttons.
void InputDriver_Button(int32_t button, bool down);
// The wheel turned by whole notches: positive away from the player.
void InputDriver_Wheel(int32_t notches);
// The window's close button pressed.
void InputDriver_CloseWindow();
// Each of these is handled at once, as the next processing of window
// messages would.

// A virtual joystick with axes, buttons and hats, attached as the next
// joystick; its handle, or -1 when the platform cannot make one.
int32_t InputDriver_AttachJoystick(int32_t axes, int32_t buttons, int32_t hats);
// Axis values from -32768 to 32767; hats as bit sets of up 1, right 2,
// down 4, left 8. Changes take effect together at InputDriver_UpdateJoysticks.
void InputDriver_SetJoystickAxis(int32_t handle, int32_t axis, int32_t value);
void InputDriver_SetJoystickButton(int32_t handle, int32_t button, bool down);
void InputDriver_SetJoystickHat(int32_t handle, int32_t hat, int32_t bits);
void InputDriver_UpdateJoysticks();
void InputDriver_DetachJoystick(int32_t handle);
