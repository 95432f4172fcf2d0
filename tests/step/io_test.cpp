// Input: the scancode table, the handlers fed by synthetic SDL events, the
// state rules between steps, and the input built-ins (joysticks through SDL
// virtual joysticks).
#include <gtest/gtest.h>

#include <SDL.h>

#include <set>

#include "data/Option_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_Input.h"
#include "step/IO_Main.h"
#include "variables/Code_Function.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Platform_Init());
    ASSERT_TRUE(PlatformWindow_Create(64, 64));
    Settings = RSettings{};
    IO_ResetKeyMap();
    IO_InstallHandlers();
    RegisterAllFunctions();
  }
  void TearDown() override {
    PlatformWindow_Destroy();
    Platform_Quit();
  }

  static void Key(SDL_Scancode scancode, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    SDL_PushEvent(&e);
    Platform_ProcessMessages();
  }
  static void Text(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    SDL_PushEvent(&e);
    Platform_ProcessMessages();
  }
  static void Button(uint8_t button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
    Platform_ProcessMessages();
  }
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
    SDL_Scancode scancode;
    bool num_lock;
    int32_t key;
  } cases[] = {
      {SDL_SCANCODE_A, true, 'A'},         {SDL_SCANCODE_Z, true, 'Z'},          {SDL_SCANCODE_0, true, '0'},
      {SDL_SCANCODE_9, true, '9'},         {SDL_SCANCODE_LEFT, true, 37},        {SDL_SCANCODE_DOWN, true, 40},
      {SDL_SCANCODE_ESCAPE, true, 27},     {SDL_SCANCODE_RETURN, true, 13},      {SDL_SCANCODE_KP_ENTER, true, 13},
      {SDL_SCANCODE_F1, true, 112},        {SDL_SCANCODE_F4, true, 115},         {SDL_SCANCODE_F9, true, 120},
      {SDL_SCANCODE_F12, true, 123},       {SDL_SCANCODE_LSHIFT, true, 16},      {SDL_SCANCODE_RCTRL, true, 17},
      {SDL_SCANCODE_RALT, true, 18},       {SDL_SCANCODE_SPACE, true, 32},       {SDL_SCANCODE_DELETE, true, 46},
      {SDL_SCANCODE_KP_1, true, 97},       {SDL_SCANCODE_KP_0, true, 96},        {SDL_SCANCODE_KP_PERIOD, true, 110},
      {SDL_SCANCODE_KP_1, false, 35},      {SDL_SCANCODE_KP_5, false, 12},       {SDL_SCANCODE_KP_8, false, 38},
      {SDL_SCANCODE_KP_0, false, 45},      {SDL_SCANCODE_KP_PERIOD, false, 46},  {SDL_SCANCODE_KP_PLUS, false, 107},
      {SDL_SCANCODE_SEMICOLON, true, 186}, {SDL_SCANCODE_GRAVE, true, 192},      {SDL_SCANCODE_UNKNOWN, true, 0},
      {SDL_SCANCODE_AUDIOPLAY, true, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlatformInput_KeyCode(c.scancode, c.num_lock), c.key) << SDL_GetScancodeName(c.scancode);
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
  Key(SDL_SCANCODE_A, true);
  EXPECT_EQ(Call("keyboard_check_pressed", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  EXPECT_EQ(IO_Input.keyboard_key, 'A');
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  IO_ClearStepFlags();
  Key(SDL_SCANCODE_A, true, true);  // auto-repeat
  EXPECT_EQ(Call("keyboard_check_pressed", {'A'}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  IO_ClearStepFlags();
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {1}).real, 1);  // vk_anykey
  EXPECT_EQ(Call("keyboard_check", {0}).real, 0);  // vk_nokey
  Key(SDL_SCANCODE_A, false);
  EXPECT_EQ(Call("keyboard_check_released", {'A'}).real, 1);
  EXPECT_EQ(Call("keyboard_check", {'A'}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {0}).real, 1);
  EXPECT_EQ(IO_Input.keyboard_key, 0);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  EXPECT_EQ(Call("keyboard_check", {256}).real, 0);
  EXPECT_EQ(Call("keyboard_check", {-3}).real, 0);
}

TEST_F(InputTest, KeyPressedAndReleasedBetweenStepsKeepsBothFlags) {
  Key(SDL_SCANCODE_SPACE, true);
  Key(SDL_SCANCODE_SPACE, false);
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
  Key(SDL_SCANCODE_LEFT, true);
  EXPECT_TRUE(IO_Input.key_down['A']);
  EXPECT_FALSE(IO_Input.key_down[37]);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 'A');
  Key(SDL_SCANCODE_LEFT, false);
  Key(SDL_SCANCODE_A, true);
  EXPECT_TRUE(IO_Input.key_down['A']);
  Key(SDL_SCANCODE_A, false);
  // A target outside 0..255 makes the key do nothing.
  Call("keyboard_set_map", {'B', 300});
  IO_ClearAll();
  Key(SDL_SCANCODE_B, true);
  EXPECT_EQ(Call("keyboard_check", {1}).real, 0);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
  Call("keyboard_unset_map");
  EXPECT_EQ(Call("keyboard_get_map", {37}).real, 37);
  EXPECT_EQ(IO_Input.key_map['B'], 'B');
}

TEST_F(InputTest, TypedTextAndItsLimit) {
  Key(SDL_SCANCODE_BACKSPACE, true);  // on an empty string nothing happens
  EXPECT_EQ(IO_Input.keyboard_string, "");
  EXPECT_EQ(IO_Input.keyboard_lastchar, 8);
  Text("Hi\xC3\xA9\xE2\x82\xAC");  // "Hi", e acute, euro sign
  EXPECT_EQ(IO_Input.keyboard_string, "Hi\xE9?");
  EXPECT_EQ(IO_Input.keyboard_lastchar, '?');
  Key(SDL_SCANCODE_BACKSPACE, true, true);
  EXPECT_EQ(IO_Input.keyboard_string, "Hi\xE9");
  Key(SDL_SCANCODE_RETURN, true);  // control characters are not appended
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
  Button(SDL_BUTTON_RIGHT, true);
  EXPECT_EQ(IO_Input.mouse_button, 2);
  EXPECT_EQ(Call("mouse_check_button", {2}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {-1}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {0}).real, 0);
  EXPECT_EQ(Call("mouse_check_button_pressed", {2}).real, 1);
  Button(SDL_BUTTON_MIDDLE, true);
  EXPECT_EQ(IO_Input.mouse_lastbutton, 3);
  Button(SDL_BUTTON_RIGHT, false);
  EXPECT_EQ(IO_Input.mouse_button, 0);
  EXPECT_EQ(Call("mouse_check_button_released", {2}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {3}).real, 1);
  EXPECT_EQ(Call("mouse_check_button", {4}).real, 0);
  Button(SDL_BUTTON_X1, true);  // extra buttons are not game buttons
  EXPECT_FALSE(IO_Input.mouse_down[1]);

  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = -1;
  SDL_PushEvent(&e);
  Platform_ProcessMessages();
  EXPECT_TRUE(IO_Input.wheel_down);
  EXPECT_FALSE(IO_Input.wheel_up);
  IO_ClearStepFlags();
  EXPECT_FALSE(IO_Input.wheel_down);
  EXPECT_TRUE(IO_Input.mouse_down[3]);  // held buttons survive the step
  Call("mouse_clear", {3});
  EXPECT_FALSE(IO_Input.mouse_down[3]);
}

TEST_F(InputTest, CloseButtonActsAsEscapeOrRaisesTheEvent) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
  Platform_ProcessMessages();
  EXPECT_TRUE(IO_Input.key_down[27]);
  EXPECT_EQ(IO_Input.keyboard_lastkey, 27);
  EXPECT_FALSE(IO_Input.close_button);
  EXPECT_FALSE(Platform_TakeCloseRequest());  // the window is never closed by it

  IO_ClearAll();
  Settings.CloseAsEsc = false;
  SDL_PushEvent(&e);
  Platform_ProcessMessages();
  EXPECT_TRUE(IO_Input.close_button);
  EXPECT_FALSE(IO_Input.key_down[27]);
}

TEST_F(InputTest, ClearingState) {
  Key(SDL_SCANCODE_X, true);
  Text("x");
  Button(SDL_BUTTON_LEFT, true);
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

  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 12, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_NE(stick, nullptr);
  SDL_JoystickSetVirtualAxis(stick, 0, -32768);  // left
  SDL_JoystickSetVirtualAxis(stick, 1, -32768);  // up
  SDL_JoystickSetVirtualAxis(stick, 2, 32767);
  SDL_JoystickSetVirtualButton(stick, 3, SDL_PRESSED);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHT);
  SDL_JoystickUpdate();

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

  SDL_JoystickSetVirtualAxis(stick, 0, 0);
  SDL_JoystickSetVirtualAxis(stick, 1, 32767);
  SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_CENTERED);
  SDL_JoystickUpdate();
  EXPECT_EQ(Call("joystick_direction", {1}).real, 98);  // down
  EXPECT_EQ(Call("joystick_pov", {1}).real, -1);
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(device);
}
