#include "platform/Platform_Input.h"

#include <array>

#include "platform/Platform_Internal.h"
#include "platform/Platform_WindowInternal.h"

namespace {

RInputSink g_Sink{};
bool g_Installed = false;

struct RKeyPair {
  SDL_Scancode scancode;
  int32_t key;
};

// Scancodes and their key codes (the keyboard's position, not its label).
constexpr RKeyPair kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 8},    {SDL_SCANCODE_TAB, 9},           {SDL_SCANCODE_CLEAR, 12},
    {SDL_SCANCODE_RETURN, 13},      {SDL_SCANCODE_KP_ENTER, 13},     {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_RSHIFT, 16},      {SDL_SCANCODE_LCTRL, 17},        {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_LALT, 18},        {SDL_SCANCODE_RALT, 18},         {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},    {SDL_SCANCODE_ESCAPE, 27},       {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},      {SDL_SCANCODE_PAGEDOWN, 34},     {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_HOME, 36},        {SDL_SCANCODE_LEFT, 37},         {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},       {SDL_SCANCODE_DOWN, 40},         {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45},      {SDL_SCANCODE_DELETE, 46},       {SDL_SCANCODE_0, 48},
    {SDL_SCANCODE_1, 49},           {SDL_SCANCODE_2, 50},            {SDL_SCANCODE_3, 51},
    {SDL_SCANCODE_4, 52},           {SDL_SCANCODE_5, 53},            {SDL_SCANCODE_6, 54},
    {SDL_SCANCODE_7, 55},           {SDL_SCANCODE_8, 56},            {SDL_SCANCODE_9, 57},
    {SDL_SCANCODE_LGUI, 91},        {SDL_SCANCODE_RGUI, 92},         {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_0, 96},        {SDL_SCANCODE_KP_1, 97},         {SDL_SCANCODE_KP_2, 98},
    {SDL_SCANCODE_KP_3, 99},        {SDL_SCANCODE_KP_4, 100},        {SDL_SCANCODE_KP_5, 101},
    {SDL_SCANCODE_KP_6, 102},       {SDL_SCANCODE_KP_7, 103},        {SDL_SCANCODE_KP_8, 104},
    {SDL_SCANCODE_KP_9, 105},       {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},   {SDL_SCANCODE_KP_PERIOD, 110},   {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_F1, 112},         {SDL_SCANCODE_F2, 113},          {SDL_SCANCODE_F3, 114},
    {SDL_SCANCODE_F4, 115},         {SDL_SCANCODE_F5, 116},          {SDL_SCANCODE_F6, 117},
    {SDL_SCANCODE_F7, 118},         {SDL_SCANCODE_F8, 119},          {SDL_SCANCODE_F9, 120},
    {SDL_SCANCODE_F10, 121},        {SDL_SCANCODE_F11, 122},         {SDL_SCANCODE_F12, 123},
    {SDL_SCANCODE_F13, 124},        {SDL_SCANCODE_F14, 125},         {SDL_SCANCODE_F15, 126},
    {SDL_SCANCODE_F16, 127},        {SDL_SCANCODE_F17, 128},         {SDL_SCANCODE_F18, 129},
    {SDL_SCANCODE_F19, 130},        {SDL_SCANCODE_F20, 131},         {SDL_SCANCODE_F21, 132},
    {SDL_SCANCODE_F22, 133},        {SDL_SCANCODE_F23, 134},         {SDL_SCANCODE_F24, 135},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145}, {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},     {SDL_SCANCODE_COMMA, 188},       {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},     {SDL_SCANCODE_SLASH, 191},       {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220},  {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

// The keypad without Num Lock: Insert, End, Down, Page Down, Left, Clear,
// Right, Home, Up, Page Up for 0..9, and Delete for the point.
constexpr int32_t kKeypadNavigation[10] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};

// The sided codes of the modifier keys.
constexpr RKeyPair kSidedKeys[] = {
    {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163},  {SDL_SCANCODE_LALT, 164},   {SDL_SCANCODE_RALT, 165},
};

const std::array<int32_t, SDL_NUM_SCANCODES>& KeyTable() {
  static const auto table = [] {
    std::array<int32_t, SDL_NUM_SCANCODES> t{};
    for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_Z; ++s) t[s] = 'A' + (s - SDL_SCANCODE_A);
    for (const RKeyPair& p : kKeys) t[p.scancode] = p.key;
    return t;
  }();
  return table;
}

int32_t SidedCode(int32_t scancode) {
  for (const RKeyPair& p : kSidedKeys)
    if (p.scancode == scancode) return p.key;
  return 0;
}

bool IsGameWindow(uint32_t window_id) {
  SDL_Window* window = PlatformWindow_Handle();
  return window != nullptr && (window_id == 0 || window_id == SDL_GetWindowID(window));
}

int32_t MouseButton(uint8_t sdl_button) {
  if (sdl_button == SDL_BUTTON_RIGHT) return 2;
  if (sdl_button == SDL_BUTTON_MIDDLE) return 3;
  return 1;
}

// Latin-1 characters of UTF-8 text; characters beyond it become '?'.
void DeliverText(const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    uint32_t cp = *p++;
    int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
    if (extra > 0) cp &= 0x3F >> extra;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra) cp = (cp << 6) | (*p++ & 0x3F);
    g_Sink.character(cp <= 0xFF ? static_cast<int32_t>(cp) : '?');
  }
}

bool HandleInput(const SDL_Event& e) {
  if (!g_Installed || PlatformWindow_Handle() == nullptr) return false;
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (!IsGameWindow(e.key.windowID)) return false;
      const int32_t key = PlatformInput_KeyCode(e.key.keysym.scancode, (SDL_GetModState() & KMOD_NUM) != 0);
      if (key == 0) return true;
      if (e.type == SDL_KEYUP) {
        g_Sink.key_up(key);
        return true;
      }
      g_Sink.key_down(key);
      // Keys that type a control character; the text events bring the rest.
      if (key == 8 || key == 9 || key == 13 || key == 27) g_Sink.character(key);
      return true;
    }
    case SDL_TEXTINPUT:
      if (!IsGameWindow(e.text.windowID)) return false;
      DeliverText(e.text.text);
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!IsGameWindow(e.button.windowID) || e.button.button == SDL_BUTTON_X1 || e.button.button == SDL_BUTTON_X2)
        return false;
      (e.type == SDL_MOUSEBUTTONDOWN ? g_Sink.mouse_down : g_Sink.mouse_up)(MouseButton(e.button.button));
      return true;
    case SDL_MOUSEWHEEL: {
      if (!IsGameWindow(e.wheel.windowID)) return false;
      const int32_t y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      if (y != 0) g_Sink.wheel(y > 0);
      return true;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event != SDL_WINDOWEVENT_CLOSE || !IsGameWindow(e.window.windowID)) return false;
      g_Sink.close();
      return true;
    case SDL_QUIT:
      return true;  // the game window's close event has been delivered already
    default:
      return false;
  }
}

// Joysticks 1 and 2 are the first two devices SDL lists.
SDL_Joystick* Joystick(int32_t index) {
  static std::array<SDL_Joystick*, 2> slots{};
  if (index < 0 || index > 1) return nullptr;
  SDL_Joystick*& slot = slots[index];
  if (slot != nullptr && SDL_JoystickGetAttached(slot)) return slot;
  if (slot != nullptr) SDL_JoystickClose(slot);
  slot = nullptr;
  if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return nullptr;
  SDL_JoystickUpdate();
  if (index < SDL_NumJoysticks()) slot = SDL_JoystickOpen(index);
  return slot;
}

}  // namespace

void PlatformInput_Install(const RInputSink& sink) {
  g_Sink = sink;
  if (!g_Installed) Platform_AddEventHandler(HandleInput);
  g_Installed = true;
}

int32_t PlatformInput_KeyCode(int32_t scancode, bool num_lock) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  if (!num_lock) {
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
      return kKeypadNavigation[scancode - SDL_SCANCODE_KP_1 + 1];
    if (scancode == SDL_SCANCODE_KP_0) return kKeypadNavigation[0];
    if (scancode == SDL_SCANCODE_KP_PERIOD) return 46;
  }
  return KeyTable()[scancode];
}

int32_t PlatformInput_ScancodeCount() { return SDL_NUM_SCANCODES; }

bool PlatformInput_KeyDirect(int32_t key) {
  static constexpr std::array<std::pair<int32_t, uint32_t>, 3> kMouse{
      {{1, SDL_BUTTON_LMASK}, {2, SDL_BUTTON_RMASK}, {4, SDL_BUTTON_MMASK}}};
  for (const auto& [code, mask] : kMouse)
    if (key == code) return (SDL_GetGlobalMouseState(nullptr, nullptr) & mask) != 0;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  const bool num_lock = PlatformInput_GetNumLock();
  for (int s = 0; s < count; ++s)
    if (state[s] && (PlatformInput_KeyCode(s, num_lock) == key || SidedCode(s) == key)) return true;
  return false;
}

bool PlatformInput_GetNumLock() { return (SDL_GetModState() & KMOD_NUM) != 0; }

void PlatformInput_SetNumLock(bool on) {
  const SDL_Keymod mod = SDL_GetModState();
  SDL_SetModState(static_cast<SDL_Keymod>(on ? (mod | KMOD_NUM) : (mod & ~KMOD_NUM)));
}

void PlatformInput_SendKey(int32_t key, bool down) {
  const bool num_lock = PlatformInput_GetNumLock();
  int scancode = 0;
  for (const RKeyPair& p : kSidedKeys)
    if (p.key == key) scancode = p.scancode;
  for (int s = 1; s < SDL_NUM_SCANCODES && scancode == 0; ++s)
    if (PlatformInput_KeyCode(s, num_lock) == key) scancode = s;
  SDL_Window* window = PlatformWindow_Handle();
  if (scancode == 0 || window == nullptr) return;
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SDL_GetWindowID(window);
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  e.key.keysym.sym = SDL_GetKeyFromScancode(e.key.keysym.scancode);
  SDL_PushEvent(&e);
}

bool PlatformJoystick_Exists(int32_t index) { return Joystick(index) != nullptr; }

std::string PlatformJoystick_Name(int32_t index) {
  SDL_Joystick* j = Joystick(index);
  const char* name = j ? SDL_JoystickName(j) : nullptr;
  return name ? std::string(name).substr(0, 32) : std::string();
}

int32_t PlatformJoystick_Axes(int32_t index) {
  SDL_Joystick* j = Joystick(index);
  return j ? SDL_JoystickNumAxes(j) : 0;
}

int32_t PlatformJoystick_Buttons(int32_t index) {
  SDL_Joystick* j = Joystick(index);
  return j ? SDL_JoystickNumButtons(j) : 0;
}

bool PlatformJoystick_HasPov(int32_t index) {
  SDL_Joystick* j = Joystick(index);
  return j && SDL_JoystickNumHats(j) > 0;
}

int32_t PlatformJoystick_Axis(int32_t index, int32_t axis) {
  SDL_Joystick* j = Joystick(index);
  if (j == nullptr || axis < 0 || axis >= SDL_JoystickNumAxes(j)) return 32767;
  return SDL_JoystickGetAxis(j, axis) + 32768;
}

bool PlatformJoystick_Button(int32_t index, int32_t button) {
  SDL_Joystick* j = Joystick(index);
  return j && button >= 0 && button < SDL_JoystickNumButtons(j) && SDL_JoystickGetButton(j, button) != 0;
}

int32_t PlatformJoystick_Pov(int32_t index) {
  SDL_Joystick* j = Joystick(index);
  if (j == nullptr || SDL_JoystickNumHats(j) < 1) return 65535;
  switch (SDL_JoystickGetHat(j, 0)) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 65535;
  }
}
