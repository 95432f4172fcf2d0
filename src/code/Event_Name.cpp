#include "code/Event_Name.h"

#include <array>
#include <utility>

#include "data/Resource_Names.h"

REventContext EventContext;

namespace {

constexpr std::pair<int32_t, const char*> kKeyNames[] = {
    {0, "<no key>"},     {1, "<any key>"},  {8, "<Backspace>"}, {9, "<Tab>"},     {13, "<Enter>"},
    {16, "<Shift>"},     {17, "<Ctrl>"},    {18, "<Alt>"},      {27, "<Escape>"}, {32, "<Space>"},
    {33, "<Page Up>"},   {34, "<Page Down>"}, {35, "<End>"},    {36, "<Home>"},   {37, "<Left>"},
    {38, "<Up>"},        {39, "<Right>"},   {40, "<Down>"},     {45, "<Insert>"}, {46, "<Delete>"},
    {106, "Keypad *"},   {107, "Keypad +"}, {109, "Keypad -"},  {110, "Keypad ."}, {111, "Keypad /"},
};

constexpr std::pair<int32_t, const char*> kMouseNames[] = {
    {0, "Left Button"},       {1, "Right Button"},       {2, "Middle Button"},     {3, "No Button"},
    {4, "Left Pressed"},      {5, "Right Pressed"},      {6, "Middle Pressed"},    {7, "Left Released"},
    {8, "Right Released"},    {9, "Middle Released"},    {10, "Mouse Enter"},      {11, "Mouse Leave"},
    {50, "Glob Left Button"}, {51, "Glob Right Button"}, {52, "Glob Middle Button"},
    {53, "Glob Left Pressed"}, {54, "Glob Right Pressed"}, {55, "Glob Middle Pressed"},
    {56, "Glob Left Released"}, {57, "Glob Right Released"}, {58, "Glob Middle Released"},
    {60, "Mouse Wheel Up"},   {61, "Mouse Wheel Down"},
};

constexpr std::array<const char*, 4> kJoystickDirections = {"Left", "Right", "Up", "Down"};

constexpr std::pair<int32_t, const char*> kOtherNames[] = {
    {0, "Outside Room"},  {1, "Intersect Boundary"}, {2, "Game Start"},    {3, "Game End"},
    {4, "Room Start"},    {5, "Room End"},           {6, "No More Lives"}, {7, "Animation End"},
    {8, "End Of Path"},   {9, "No More Health"},     {30, "Close Button"},
};

template <size_t N>
const char* Lookup(const std::pair<int32_t, const char*> (&table)[N], int32_t number) {
  for (const auto& [code, name] : table)
    if (code == number) return name;
  return nullptr;
}

std::string MouseName(int32_t n) {
  if (const char* name = Lookup(kMouseNames, n)) return name;
  // Joystick 1 at 16-19 (axes) and 21-28 (buttons), joystick 2 fifteen later.
  for (int32_t stick = 1; stick <= 2; stick++) {
    int32_t base = stick == 1 ? 16 : 31;
    std::string prefix = "Joystick " + std::to_string(stick) + " ";
    if (n >= base && n < base + 4) return prefix + kJoystickDirections[n - base];
    if (n >= base + 5 && n < base + 13) return prefix + "Button " + std::to_string(n - base - 4);
  }
  return "<unknown>";
}

std::string OtherName(int32_t n) {
  if (const char* name = Lookup(kOtherNames, n)) return name;
  if (n >= 10 && n <= 25) return "User Defined " + std::to_string(n - 10);
  if (n >= 40 && n <= 47) return "Outside View " + std::to_string(n - 40);
  if (n >= 50 && n <= 57) return "Boundary View " + std::to_string(n - 50);
  return "<unknown>";
}

}  // namespace

std::string Event_KeyName(int32_t key) {
  if (const char* name = Lookup(kKeyNames, key)) return name;
  if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90)) return std::string(1, static_cast<char>(key)) + "-key";
  if (key >= 96 && key <= 105) return "Keypad " + std::to_string(key - 96);
  if (key >= 112 && key <= 123) return "F" + std::to_string(key - 111);
  return "<unknown>";
}

std::string Event_DisplayName(int32_t type, int32_t number) {
  switch (type) {
    case 0: return "Create Event";
    case 1: return "Destroy Event";
    case 2: return "Alarm Event for alarm " + std::to_string(number);
    case 3: {
      const char* step = number == 0 ? "" : number == 1 ? "Begin" : number == 2 ? "End" : "<unknown>";
      return std::string(step) + " Step Event";
    }
    case 4: return "Collision Event with object " + Resource_Name(RESOURCE_OBJECT, number);
    case 5: return "Keyboard Event for " + Event_KeyName(number) + " Key";
    case 6: return "Mouse Event for " + MouseName(number);
    case 7: return "Other Event: " + OtherName(number);
    case 8: return "Draw Event";
    case 9: return "Key Press Event for " + Event_KeyName(number) + " Key";
    case 10: return "Key Release Event for " + Event_KeyName(number) + " Key";
    default: return "<Unknown Event>";
  }
}
