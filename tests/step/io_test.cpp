// Input: the scancode table, the handlers fed by the platform's input driver,
// the state rules between steps, and the input built-ins (joysticks through
// virtual joysticks).
#include <gtest/gtest.h>

#include <set>

#include "data/Option_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_Input.h"
#include "platform/Platform_InputDriver.h"
#include "step/IO_Main.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Platform_Init());
    ASSERT_TRUE(PlatformWindow_Create(64, 64));
    Settings = RSettings{};
    IO_ResetKeyMap();
    IO_InstallHandlers();
    Builtins_RegisterAll();
  }
  void TearDown() override {
    PlatformWindow_Destroy();
    Platform_Quit();
  }

  static void Key(const char* name, bool down, bool repeat = false) {
    InputDriver_Key(InputDriver_Scancode(name), down, repeat);
  }
  static void Text(const char* utf8) { InputDriver_Text(utf8); }
  static void Button(int32_t button, bool down) { InputDriver_Button(button, down); }
  // Calls a built-in through the registry.
  static RValue Call(const char* name, std::initializer_list<double> arguments = {}) {
    const int32_t id = Function_BuiltinIdOf(name);
    EXPECT_GE(id, 0) << name;
    RValue args[MAX_ARGUMENTS];
    int argc = 0;
    for (double a : arguments) args[argc++].SetReal(a);
    RValue result;
    if (id >= 0) Function_Callback(id)(nullptr, nullptr, argc, args, result);
    return result;
  }
};

}  // namespace

TEST(InputKeyTable, ScancodesGiveKeyCodes) {
  struct Case {
    const char* name;
    bool num_lock;
    int32_t key;
  } cases[] = {
      {"A", true, 'A'},         {"Z", true, 'Z'},          {"0", true, '0'},
      {"9", true, '9'},         {"Left", true, 37},        {"Down", true, 40},
      {"Escape", true, 27},     {"Return", true, 13},      {"Keypad Enter", true, 13},
      {"F1", true, 112},        {"F4", true, 115},         {"F9", true, 120},
      {"F12", true, 123},       {"Left Shift", true, 16},      {"Right Ctrl", true, 17},
      {"Right Alt", true, 18},       {"Space", true, 32},       {"Delete", true, 46},
      {"Keypad 1", true, 97},       {"Keypad 0", true, 96},        {"Keypad .", true, 110},
      {"Keypad 1", false, 35},      {"Keypad 5", false, 12},       {"Keypad 8", false, 38},
      {"Keypad 0", false, 45},      {"Keypad .", false, 46},  {"Keypad +", false, 107},
      {";", true, 186}, {"`", true, 192},      {"", true, 0},
      {"AudioPlay", true, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlatformInput_KeyCode(InputDriver_Scancode(c.name), c.num_lock), c.key) << c.name;
  EXPECT_EQ(PlatformInput_KeyCode(-1, true), 0);
  EXPECT_EQ(PlatformInput_KeyCode(100000, true), 0);
  // Every code is a key code the state can hold, and no two letters share one.
  std::set<int32_t> letters;
  for (int32_t s = 0; s < PlatformInput_ScancodeCount(); ++s) {
    const int32_t k = PlatformInput_KeyCode(s, true);
    EXPECT_TRUE(k >= 0 && k <= 255) << s;
    if (k >= 'A' && k <= 'Z') EXPECT_TRUE(letters.insert(k).second) << s;
  }
  EXPECT_EQ(letters.size(), 26u);
}

TEST_F(InputTest, HeldKeyIsPressedInTheFirstStepOnly) {
  Key("A", true);
  EXPECT_EQ(Call("keyboard_check_pressed", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  EXPECT_EQ(IO_Input.keyboard_key, 'A');
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  IO_ClearStepFlags();
  Key("A", true, true);  // auto-repeat
  EXPECT_EQ(Call("keyboard_check_pressed", {'A'}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  IO_ClearStepFlags();
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {1}).real, 1);  // vk_anykey
  EXPECT_EQ(Call("keyboard_check", {0}).real, 0);  // vk_nokey
  Key("A", false);
  EXPECT_EQ(Call("keyboard_check_released", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {0}).real, 1);
  EXPECT_EQ(IO_Input.keyboard_key, 0);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  EXPECT_EQ(Call("keyboard_check", {256}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {-3}).real, 0);
}

TEST_F(InputTest, KeyPressedAndReleasedBetweenStepsKeepsBothFlags) {
  Key("Space", true);
  Key("Space", false);
  EXPECT_FALSE(IO_Input.key_down[32]);
  EXPECT_TRUE(IO_Input.key_pressed[32]);
  EXPECT_TRUE(IO_Input.key_released[32]);
  IO_ClearStepFlags();
  EXPECT_FALSE(IO_Input.key_pressed[32]);
  EXPECT_FALSE(IO_Input.key_released[32]);
}

TEST_F(InputTest, KeyMapRedirectsKeys) {
  Call("keyboard_set_map", {37, 'A'});
  EXPECT_EQ(Call("keyboard_get_map", {37}).real, 'A');
  EXPECT_EQ(Call("keyboard_get_map", {300}).real, 300);
  Key("Left", true);
  EXPECT_TRUE(IO_Input.key_down['A']);
  EXPECT_FALSE(IO_Input.key_down[37]);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  Key("Left", false);
  Key("A", true);
  EXPECT_TRUE(IO_Input.key_down['A']);
  Key("A", false);
  // A target outside 0..255 makes the key do nothing.
  Call("keyboard_set_map", {'B', 300});
  IO_ClearAll();
  Key("B", true);
  EXPECT_EQ(Call("keyboard_check", {1}).real, 0);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  Call("keyboard_unset_map");
  EXPECT_EQ(Call("keyboard_get_map", {37}).real, 37);
  EXPECT_EQ(IO_Input.key_map['B'], 'B');
}

TEST_F(InputTest, TypedTextAndItsLimit) {
  Key("Backspace", true);  // on an empty string nothing happens
  EXPECT_EQ(IO_Input.keyboard_string, "");
  EXPECT_EQ(IO_Input.keyboard_lastchar, 8);
  Text("Hi\xC3\xA9\xE2\x82\xAC");  // "Hi", e acute, euro sign
  EXPECT_EQ(IO_Input.keyboard_string, "Hi\xE9?");
  EXPECT_EQ(IO_Input.keyboard_lastchar, '?');
  Key("Backspace", true, true);
  EXPECT_EQ(IO_Input.keyboard_string, "Hi\xE9");
  Key("Return", true);  // control characters are not appended
  EXPECT_EQ(IO_Input.keyboard_string, "Hi\xE9");
  EXPECT_EQ(IO_Input.keyboard_lastchar, 13);

  IO_ClearAll();
  for (int i = 0; i < 1100; ++i) IO_Character('a' + i % 26);
  EXPECT_EQ(IO_Input.keyboard_string.size(), 1025u);
  EXPECT_EQ(IO_Input.keyboard_string.back(), 'a' + 1099 % 26);
  IO_Character(8);  // trims to 1024 first, then removes one
  EXPECT_EQ(IO_Input.keyboard_string.size(), 1023u);
}

TEST_F(InputTest, MouseButtonsAndWheel) {
  EXPECT_EQ(Call("mouse_check_button", {0}).real, 1);  // mb_none with nothing held
  Button(3, true);
  EXPECT_EQ(IO_Input.mouse_button, 2);
  EXPECT_EQ(Call("mouse_check_button", {2}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {-1}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {0}).real, 0);
  EXPECT_EQ(Call("mouse_check_button_pressed", {2}).real, 1);
  Button(2, true);
  EXPECT_EQ(IO_Input.mouse_lastbutton, 3);
  Button(3, false);
  EXPECT_EQ(IO_Input.mouse_button, 0);
  EXPECT_EQ(Call("mouse_check_button_released", {2}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {3}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {4}).real, 0);
  Button(4, true);  // extra buttons are not game buttons
  EXPECT_FALSE(IO_Input.mouse_down[1]);

  InputDriver_Wheel(-1);
  EXPECT_TRUE(IO_Input.wheel_down);
  EXPECT_FALSE(IO_Input.wheel_up);
  IO_ClearStepFlags();
  EXPECT_FALSE(IO_Input.wheel_down);
  EXPECT_TRUE(IO_Input.mouse_down[3]);  // held buttons survive the step
  Call("mouse_clear", {3});
  EXPECT_FALSE(IO_Input.mouse_down[3]);
}

TEST_F(InputTest, CloseButtonActsAsEscapeOrRaisesTheEvent) {
  InputDriver_CloseWindow();
  EXPECT_TRUE(IO_Input.key_down[27]);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 27);
  EXPECT_FALSE(IO_Input.close_button);
  EXPECT_FALSE(Platform_TakeCloseRequest());  // the window is never closed by it

  IO_ClearAll();
  Settings.CloseAsEsc = false;
  InputDriver_CloseWindow();
  EXPECT_TRUE(IO_Input.close_button);
  EXPECT_FALSE(IO_Input.key_down[27]);
}

TEST_F(InputTest, ClearingState) {
  Key("X", true);
  Text("x");
  Button(1, true);
  Call("keyboard_set_map", {'Q', 'W'});
  Call("keyboard_clear", {'X'});
  EXPECT_FALSE(IO_Input.key_down['X']);
  EXPECT_FALSE(IO_Input.key_pressed['X']);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'X');
  Call("io_clear");
  EXPECT_EQ(IO_Input.keyboard_string, "");
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  EXPECT_EQ(IO_Input.keyboard_lastchar, 0);
  EXPECT_EQ(IO_Input.mouse_lastbutton, 0);
  EXPECT_FALSE(IO_Input.mouse_down[1]);
  EXPECT_EQ(IO_Input.key_map['Q'], 'W');  // the map is no input state
  // keyboard_wait returns at once without a display instead of hanging.
  Call("keyboard_wait");
  Call("mouse_wait");
}

TEST_F(InputTest, InjectedKeysArriveAsKeyboardEvents) {
  Call("keyboard_key_press", {39});
  Platform_ProcessMessages();
  EXPECT_TRUE(IO_Input.key_down[39]);
  Call("keyboard_key_release", {39});
  Platform_ProcessMessages();
  EXPECT_TRUE(IO_Input.key_released[39]);
  Call("keyboard_set_numlock", {1});
  EXPECT_EQ(Call("keyboard_get_numlock").real, 1);
  Call("keyboard_set_numlock", {0});
  EXPECT_EQ(Call("keyboard_get_numlock").real, 0);
}

TEST_F(InputTest, VirtualJoysticks) {
  EXPECT_EQ(Call("joystick_exists", {1}).real, 0);
  EXPECT_EQ(Call("joystick_direction", {1}).real, 101);
  EXPECT_EQ(Call("joystick_pov", {1}).real, -1);
  EXPECT_EQ(Call("joystick_xpos", {1}).real, 0);
  EXPECT_EQ(Call("joystick_name", {1}).str, "");

  const int32_t stick = InputDriver_AttachJoystick(6, 12, 1);
  ASSERT_GE(stick, 0);
  InputDriver_SetJoystickAxis(stick, 0, -32768);  // left
  InputDriver_SetJoystickAxis(stick, 1, -32768);  // up
  InputDriver_SetJoystickAxis(stick, 2, 32767);
  InputDriver_SetJoystickButton(stick, 3, true);
  InputDriver_SetJoystickHat(stick, 0, 2);  // right
  InputDriver_UpdateJoysticks();

  for (double id : {1.0, 0.0, 7.0}) EXPECT_EQ(Call("joystick_exists", {id}).real, 1) << id;  // all mean the first
  EXPECT_EQ(Call("joystick_exists", {2}).real, 0);
  EXPECT_EQ(Call("joystick_axes", {1}).real, 6);
  EXPECT_EQ(Call("joystick_buttons", {1}).real, 12);
  EXPECT_EQ(Call("joystick_has_pov", {1}).real, 1);
  EXPECT_FALSE(Call("joystick_name", {1}).str.empty());
  EXPECT_LE(Call("joystick_name", {1}).str.size(), 32u);
  EXPECT_EQ(Call("joystick_direction", {1}).real, 103);  // up-left: keypad 7
  EXPECT_DOUBLE_EQ(Call("joystick_xpos", {1}).real, -1.0);
  EXPECT_DOUBLE_EQ(Call("joystick_zpos", {1}).real, 65535 / 32767.0 - 1);
  EXPECT_EQ(Call("joystick_check_button", {1, 4}).real, 1);
  EXPECT_EQ(Call("joystick_check_button", {1, 3}).real, 0);
  EXPECT_EQ(Call("joystick_check_button", {1, 33}).real, 0);
  EXPECT_EQ(Call("joystick_pov", {1}).real, 90);

  InputDriver_SetJoystickAxis(stick, 0, 0);
  InputDriver_SetJoystickAxis(stick, 1, 32767);
  InputDriver_SetJoystickHat(stick, 0, 0);
  InputDriver_UpdateJoysticks();
  EXPECT_EQ(Call("joystick_direction", {1}).real, 98);  // down
  EXPECT_EQ(Call("joystick_pov", {1}).real, -1);
  InputDriver_DetachJoystick(stick);
}
