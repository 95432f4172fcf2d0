#include "step/IO_Main.h"

#include <algorithm>

#include "data/Option_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Input.h"
#include "variables/Code_Function.h"
#include "world/Run_State.h"

RInputState IO_Input;

namespace {

constexpr int32_t kEscape = 27;

bool ValidKey(int32_t k) { return k >= 0 && k <= 255; }
bool ValidButton(int32_t b) { return b >= 1 && b <= 3; }
int32_t JoystickIndex(int32_t id) { return id == 2 ? 1 : 0; }

template <RReplayInput Kind>
void Live(int32_t value) {
  IO_LiveInput(Kind, value);
}
void LiveWheel(bool up) { IO_LiveInput(REPLAY_WHEEL, up ? 1 : 0); }
void LiveClose() { IO_LiveInput(REPLAY_CLOSE, 0); }

// A device query that a played-back run answers from its record.
template <auto Query, typename... Args>
int32_t Device(Args... args) {
  return Replay_Int(REPLAY_DEVICE, [&] { return static_cast<int32_t>(Query(args...)); });
}

}  // namespace

bool IO_JoystickExists(int32_t index) { return Device<PlatformJoystick_Exists>(index) != 0; }
int32_t IO_JoystickAxis(int32_t index, int32_t axis) { return Device<PlatformJoystick_Axis>(index, axis); }
bool IO_JoystickButtonDown(int32_t index, int32_t button) {
  return Device<PlatformJoystick_Button>(index, button) != 0;
}

void IO_ResetKeyMap() { IO_Input.key_map = IO_IdentityKeyMap(); }

void IO_InstallHandlers() {
  PlatformInput_Install({Live<REPLAY_KEY_DOWN>, Live<REPLAY_KEY_UP>, Live<REPLAY_CHARACTER>, Live<REPLAY_MOUSE_DOWN>,
                         Live<REPLAY_MOUSE_UP>, LiveWheel, LiveClose});
  Replay_SetInputHandler(IO_ApplyInput);
  Platform_SetMessageHook(Replay_DeliverInput);
  IO_ClearAll();
}

void IO_LiveInput(RReplayInput kind, int32_t value) {
  if (Replay_Mode() == ReplayMode::Play) {
    if (kind != REPLAY_CLOSE) return;
    // A person closing the window of a replay: the rest is not played.
    Replay_Detach();
    RunState.PendingRoom = REQUEST_END;
    return;
  }
  Replay_NoteInput(kind, value);
  IO_ApplyInput(kind, value);
}

void IO_ApplyInput(RReplayInput kind, int32_t value) {
  switch (kind) {
    case REPLAY_KEY_DOWN: IO_KeyDown(value); break;
    case REPLAY_KEY_UP: IO_KeyUp(value); break;
    case REPLAY_CHARACTER: IO_Character(value); break;
    case REPLAY_MOUSE_DOWN: IO_MouseDown(value); break;
    case REPLAY_MOUSE_UP: IO_MouseUp(value); break;
    case REPLAY_WHEEL: IO_Wheel(value != 0); break;
    case REPLAY_CLOSE: IO_CloseRequest(); break;
    default: break;
  }
}

void IO_KeyDown(int32_t key) {
  if (!ValidKey(key)) return;
  const int32_t k = IO_Input.key_map[key];
  if (!ValidKey(k)) return;
  IO_Input.keyboard_lastkey = k;
  IO_Input.keyboard_key = k;
  if (!IO_Input.key_down[k]) IO_Input.key_pressed[k] = true;
  IO_Input.key_down[k] = true;
}

void IO_KeyUp(int32_t key) {
  if (!ValidKey(key)) return;
  const int32_t k = IO_Input.key_map[key];
  if (!ValidKey(k)) return;
  if (k == IO_Input.keyboard_key) IO_Input.keyboard_key = 0;
  IO_Input.key_down[k] = false;
  IO_Input.key_released[k] = true;
}

void IO_Character(int32_t c) {
  IO_Input.keyboard_lastchar = static_cast<uint8_t>(c);
  std::string& s = IO_Input.keyboard_string;
  if (s.size() > IO_KEYBOARD_STRING_LIMIT) s.erase(0, s.size() - IO_KEYBOARD_STRING_LIMIT);
  if (c == 8) {
    if (!s.empty()) s.pop_back();
  } else if (c > 31) {
    s.push_back(static_cast<char>(c));
  }
}

void IO_MouseDown(int32_t button) {
  const int32_t b = ValidButton(button) ? button : 1;
  IO_Input.mouse_button = b;
  IO_Input.mouse_lastbutton = b;
  IO_Input.mouse_down[b] = true;
  IO_Input.mouse_pressed[b] = true;
}

void IO_MouseUp(int32_t button) {
  const int32_t b = ValidButton(button) ? button : 1;
  IO_Input.mouse_button = 0;
  IO_Input.mouse_down[b] = false;
  IO_Input.mouse_released[b] = true;
}

void IO_Wheel(bool up) { (up ? IO_Input.wheel_up : IO_Input.wheel_down) = true; }

void IO_CloseRequest() {
  if (!Settings.CloseAsEsc) {
    IO_Input.close_button = true;
    return;
  }
  IO_Input.key_down[kEscape] = true;
  IO_Input.keyboard_key = kEscape;
  IO_Input.keyboard_lastkey = kEscape;
}

void IO_ClearAll() {
  std::array<int32_t, 256> map = IO_Input.key_map;
  IO_Input = RInputState{};
  IO_Input.key_map = map;
}

void IO_ClearStepFlags() {
  IO_Input.key_pressed.fill(false);
  IO_Input.key_released.fill(false);
  IO_Input.mouse_pressed.fill(false);
  IO_Input.mouse_released.fill(false);
  IO_Input.wheel_up = IO_Input.wheel_down = false;
}

void IO_ClearKey(int32_t key) {
  if (!ValidKey(key)) return;
  IO_Input.key_down[key] = IO_Input.key_pressed[key] = IO_Input.key_released[key] = false;
}

void IO_ClearButton(int32_t button) {
  if (!ValidButton(button)) return;
  IO_Input.mouse_down[button] = IO_Input.mouse_pressed[button] = IO_Input.mouse_released[button] = false;
}

bool IO_CheckKey(const std::array<bool, 256>& flags, int32_t key) {
  const bool any = std::any_of(flags.begin(), flags.end(), [](bool f) { return f; });
  if (key == 0) return !any;
  if (key == 1) return any;
  return key >= 2 && key <= 255 && flags[key];
}

bool IO_CheckButton(const std::array<bool, 4>& flags, int32_t button) {
  const bool any = flags[1] || flags[2] || flags[3];
  if (button == -1) return any;
  if (button == 0) return !any;
  return ValidButton(button) && flags[button];
}

int32_t IO_JoystickDirection(int32_t id) {
  const int32_t index = JoystickIndex(id);
  if (!IO_JoystickExists(index)) return 101;
  const int32_t x = IO_JoystickAxis(index, 0), y = IO_JoystickAxis(index, 1);
  const int32_t row = y <= 19999 ? 6 : y < 44001 ? 3 : 0;
  const int32_t column = x < 20000 ? 1 : x > 44000 ? 3 : 2;
  return 96 + row + column;
}

bool IO_JoystickButton(int32_t id, int32_t button) {
  return button >= 1 && button <= 32 && IO_JoystickButtonDown(JoystickIndex(id), button - 1);
}

double IO_JoystickPosition(int32_t id, int32_t axis) {
  const int32_t index = JoystickIndex(id);
  if (!IO_JoystickExists(index) || axis >= Device<PlatformJoystick_Axes>(index)) return 0.0;
  return IO_JoystickAxis(index, axis) / 32767.0 - 1.0;
}

double IO_JoystickPov(int32_t id) {
  const int32_t pov = Device<PlatformJoystick_Pov>(JoystickIndex(id));
  return pov > 36000 ? -1.0 : pov / 100.0;
}

// ---- Built-ins ----------------------------------------------------------------

namespace {

using Flags256 = std::array<bool, 256> RInputState::*;
using Flags4 = std::array<bool, 4> RInputState::*;

template <Flags256 Flags>
void F_KeyboardCheck(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_CheckKey(IO_Input.*Flags, ArgInt(args, 0)) ? 1.0 : 0.0);
}

template <Flags4 Flags>
void F_MouseCheck(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_CheckButton(IO_Input.*Flags, ArgInt(args, 0)) ? 1.0 : 0.0);
}

void F_KeyboardCheckDirect(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Device<PlatformInput_KeyDirect>(ArgInt(args, 0)) ? 1.0 : 0.0);
}

void F_KeyboardSetMap(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int32_t key = ArgInt(args, 0);
  if (ValidKey(key)) IO_Input.key_map[key] = ArgInt(args, 1);
}

void F_KeyboardGetMap(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t key = ArgInt(args, 0);
  result.SetReal(ValidKey(key) ? IO_Input.key_map[key] : key);
}

void F_KeyboardUnsetMap(CInstance*, CInstance*, int, RValue*, RValue&) { IO_ResetKeyMap(); }

void F_KeyboardGetNumlock(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Device<PlatformInput_GetNumLock>() ? 1.0 : 0.0);
}

void F_KeyboardSetNumlock(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (PlatformInput_GetNumLock() != ArgBool(args, 0)) PlatformInput_SetNumLock(ArgBool(args, 0));
}

template <bool Down>
void F_KeyboardKeySend(CInstance*, CInstance*, int, RValue* args, RValue&) {
  PlatformInput_SendKey(ArgInt(args, 0), Down);
}

void F_KeyboardClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Platform_ProcessMessages();
  IO_ClearKey(ArgInt(args, 0));
}

void F_MouseClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Platform_ProcessMessages();
  IO_ClearButton(ArgInt(args, 0));
}

void F_IoClear(CInstance*, CInstance*, int, RValue*, RValue&) {
  Platform_ProcessMessages();
  IO_ClearAll();
}

void F_IoHandle(CInstance*, CInstance*, int, RValue*, RValue&) { Platform_ProcessMessages(); }

// Waits for a key or button; without a display nobody can press one, so it
// returns at once instead of hanging.
template <int32_t RInputState::*Last>
void F_Wait(CInstance*, CInstance*, int, RValue*, RValue&) {
  IO_Input.*Last = 0;
  if (!Platform_HasDisplay()) return;
  for (;;) {
    Platform_ProcessMessages();
    if (IO_Input.*Last != 0) return;
    Platform_SleepMilliseconds(50);
  }
}

void F_JoystickExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_JoystickExists(JoystickIndex(ArgInt(args, 0))) ? 1.0 : 0.0);
}

void F_JoystickName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = JoystickIndex(ArgInt(args, 0));
  result.SetString(Replay_Text(REPLAY_DEVICE, [&] { return PlatformJoystick_Name(index); }));
}

template <int32_t (*Count)(int32_t)>
void F_JoystickCount(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Device<Count>(JoystickIndex(ArgInt(args, 0))));
}

void F_JoystickHasPov(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Device<PlatformJoystick_HasPov>(JoystickIndex(ArgInt(args, 0))) ? 1.0 : 0.0);
}

void F_JoystickDirection(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_JoystickDirection(ArgInt(args, 0)));
}

void F_JoystickCheckButton(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_JoystickButton(ArgInt(args, 0), ArgInt(args, 1)) ? 1.0 : 0.0);
}

template <int32_t Axis>
void F_JoystickPos(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_JoystickPosition(ArgInt(args, 0), Axis));
}

void F_JoystickPov(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(IO_JoystickPov(ArgInt(args, 0)));
}

constexpr RFunctionDef kInputFunctions[] = {
    {"keyboard_check", F_KeyboardCheck<&RInputState::key_down>, 1},
    {"keyboard_check_pressed", F_KeyboardCheck<&RInputState::key_pressed>, 1},
    {"keyboard_check_released", F_KeyboardCheck<&RInputState::key_released>, 1},
    {"keyboard_check_direct", F_KeyboardCheckDirect, 1},
    {"keyboard_set_map", F_KeyboardSetMap, 2},
    {"keyboard_get_map", F_KeyboardGetMap, 1},
    {"keyboard_unset_map", F_KeyboardUnsetMap, 0},
    {"keyboard_get_numlock", F_KeyboardGetNumlock, 0},
    {"keyboard_set_numlock", F_KeyboardSetNumlock, 1},
    {"keyboard_key_press", F_KeyboardKeySend<true>, 1},
    {"keyboard_key_release", F_KeyboardKeySend<false>, 1},
    {"keyboard_clear", F_KeyboardClear, 1},
    {"mouse_clear", F_MouseClear, 1},
    {"io_clear", F_IoClear, 0},
    {"io_handle", F_IoHandle, 0},
    {"keyboard_wait", F_Wait<&RInputState::keyboard_lastkey>, 0},
    {"mouse_wait", F_Wait<&RInputState::mouse_lastbutton>, 0},
    {"mouse_check_button", F_MouseCheck<&RInputState::mouse_down>, 1},
    {"mouse_check_button_pressed", F_MouseCheck<&RInputState::mouse_pressed>, 1},
    {"mouse_check_button_released", F_MouseCheck<&RInputState::mouse_released>, 1},
    {"joystick_exists", F_JoystickExists, 1},
    {"joystick_name", F_JoystickName, 1},
    {"joystick_axes", F_JoystickCount<PlatformJoystick_Axes>, 1},
    {"joystick_buttons", F_JoystickCount<PlatformJoystick_Buttons>, 1},
    {"joystick_has_pov", F_JoystickHasPov, 1},
    {"joystick_direction", F_JoystickDirection, 1},
    {"joystick_check_button", F_JoystickCheckButton, 2},
    {"joystick_xpos", F_JoystickPos<0>, 1},
    {"joystick_ypos", F_JoystickPos<1>, 1},
    {"joystick_zpos", F_JoystickPos<2>, 1},
    {"joystick_rpos", F_JoystickPos<3>, 1},
    {"joystick_upos", F_JoystickPos<4>, 1},
    {"joystick_vpos", F_JoystickPos<5>, 1},
    {"joystick_pov", F_JoystickPov, 1},
};

}  // namespace

void Function_Input_Register() { RegisterFunctions(kInputFunctions); }
