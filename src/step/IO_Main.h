// IO_Main: the input state the step reads (keys and mouse buttons held,
// pressed and released since the last step, the typed text, the wheel, the
// key map), the window's input handlers that fill it, and the input
// built-ins.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/Replay_Log.h"

// The most characters keyboard_string keeps before one more is added.
constexpr size_t IO_KEYBOARD_STRING_LIMIT = 1024;

// The key map that leaves every key as it is.
constexpr std::array<int32_t, 256> IO_IdentityKeyMap() {
  std::array<int32_t, 256> map{};
  for (int32_t k = 0; k < 256; ++k) map[k] = k;
  return map;
}

struct RInputState {
  std::array<bool, 256> key_down{};
  std::array<bool, 256> key_pressed{};
  std::array<bool, 256> key_released{};
  int32_t keyboard_lastkey = 0;
  int32_t keyboard_key = 0;
  uint8_t keyboard_lastchar = 0;
  std::string keyboard_string;
  std::array<int32_t, 256> key_map = IO_IdentityKeyMap();  // key k acts as key_map[k]
  // Buttons 1 left, 2 right, 3 middle; index 0 unused.
  std::array<bool, 4> mouse_down{};
  std::array<bool, 4> mouse_pressed{};
  std::array<bool, 4> mouse_released{};
  int32_t mouse_button = 0;
  int32_t mouse_lastbutton = 0;
  bool wheel_up = false;
  bool wheel_down = false;
  // The close button was pressed with CloseAsEsc off: the step raises the
  // close-button event and takes this back.
  bool close_button = false;
};

// The one input state of the process; built-in variables read and write it.
extern RInputState IO_Input;

// Routes the game window's input here and clears all state (end of the load).
void IO_InstallHandlers();

// Input from the devices, or from the monkey standing in for a player:
// written down while a run is recorded, dropped while one is played back
// (the record's input stands in for it; the close button then stops the
// playing and ends the game), and otherwise applied at once.
void IO_LiveInput(RReplayInput kind, int32_t value);
// Applies one input event through the handlers below.
void IO_ApplyInput(RReplayInput kind, int32_t value);

// The handlers (the window calls them; tests may too).
void IO_KeyDown(int32_t key);
void IO_KeyUp(int32_t key);
void IO_Character(int32_t c);
void IO_MouseDown(int32_t button);
void IO_MouseUp(int32_t button);
void IO_Wheel(bool up);
void IO_CloseRequest();

// Clears everything: text, last key and character, all flags, the buttons.
// The key map stays.
void IO_ClearAll();
// Clears what lives for one step: pressed and released keys and buttons, the wheel.
void IO_ClearStepFlags();
// Clears down, pressed and released of one key (0..255) or button (1..3).
void IO_ClearKey(int32_t key);
void IO_ClearButton(int32_t button);
// Identity key map.
void IO_ResetKeyMap();

// The checks of the keyboard and mouse built-ins: key 0 no key, 1 any key,
// 2..255 that key; button -1 any, 0 none, 1..3 that button.
bool IO_CheckKey(const std::array<bool, 256>& flags, int32_t key);
bool IO_CheckButton(const std::array<bool, 4>& flags, int32_t button);

// Device queries by the joystick's index (0 the first, 1 the second) and the
// platform's ranges; a played-back run answers them from its record.
bool IO_JoystickExists(int32_t index);
int32_t IO_JoystickAxis(int32_t index, int32_t axis);
bool IO_JoystickButtonDown(int32_t index, int32_t button);

// Joysticks: id 2 is the second one, any other id the first.
// The keypad direction code 97..105 (101 centred or missing).
int32_t IO_JoystickDirection(int32_t id);
// Button 1..32.
bool IO_JoystickButton(int32_t id, int32_t button);
// Axis 0..5 as -1..1 (position / 32767 - 1); 0 when missing.
double IO_JoystickPosition(int32_t id, int32_t axis);
// Degrees, -1 when centred or missing.
double IO_JoystickPov(int32_t id);

// Registers the input built-ins.
void Function_Input_Register();
