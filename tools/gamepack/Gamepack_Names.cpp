#include "gamepack/Gamepack_Names.h"

#include <array>
#include <vector>

namespace {

using RNames = std::vector<RName>;

// Words numbered from `first` in list order.
RNames Counted(std::initializer_list<const char*> words, int32_t first = 0) {
  RNames out;
  for (const char* w : words) out.push_back({first++, w});
  return out;
}

// A numbered family: prefix + 0 .. count - 1 (or from `from`) for the values
// from `value`.
void Family(RNames& out, const std::string& prefix, int32_t value, int32_t count, int32_t from = 0) {
  for (int32_t i = 0; i < count; i++) out.push_back({value + i, prefix + std::to_string(from + i)});
}

// The key words are those of the vk_ constants without their prefix, with
// the letters and digits as themselves; the first word of a code is written.
RNames Keys() {
  RNames out = {{0, "nokey"},        {1, "anykey"},      {8, "backspace"}, {9, "tab"},        {13, "enter"},
                {13, "return"},      {16, "shift"},      {17, "control"},  {18, "alt"},       {19, "pause"},
                {27, "escape"},      {32, "space"},      {33, "pageup"},   {34, "pagedown"},  {35, "end"},
                {36, "home"},        {37, "left"},       {38, "up"},       {39, "right"},     {40, "down"},
                {44, "printscreen"}, {45, "insert"},     {46, "delete"},   {106, "multiply"}, {107, "add"},
                {109, "subtract"},   {110, "decimal"},   {111, "divide"},  {160, "lshift"},   {161, "rshift"},
                {162, "lcontrol"},   {163, "rcontrol"},  {164, "lalt"},    {165, "ralt"}};
  for (char c = '0'; c <= '9'; c++) out.push_back({c, std::string(1, c)});
  for (char c = 'A'; c <= 'Z'; c++) out.push_back({c, std::string(1, static_cast<char>(c - 'A' + 'a'))});
  Family(out, "numpad", 96, 10);
  Family(out, "f", 112, 12, 1);
  return out;
}

// The ev_ constants of the mouse events without their prefix.
RNames MouseEvents() {
  RNames out = Counted({"left_button", "right_button", "middle_button", "no_button", "left_press", "right_press",
                        "middle_press", "left_release", "right_release", "middle_release", "mouse_enter",
                        "mouse_leave", "global_press", "global_release"});
  for (int32_t stick = 1; stick <= 2; stick++) {
    const int32_t base = stick == 1 ? 16 : 31;
    const std::string prefix = "joystick" + std::to_string(stick) + "_";
    RNames axes = Counted({"left", "right", "up", "down"}, base);
    for (RName& axis : axes) out.push_back({axis.value, prefix + axis.name});
    Family(out, prefix + "button", base + 5, 8, 1);
  }
  RNames global = Counted({"global_left_button", "global_right_button", "global_middle_button",
                           "global_left_press", "global_right_press", "global_middle_press",
                           "global_left_release", "global_right_release", "global_middle_release"},
                          50);
  out.insert(out.end(), global.begin(), global.end());
  out.push_back({60, "mouse_wheel_up"});
  out.push_back({61, "mouse_wheel_down"});
  return out;
}

// The ev_ constants of the other events without their prefix; the views'
// events have no constant and are named after theirs.
RNames OtherEvents() {
  RNames out = Counted({"outside", "boundary", "game_start", "game_end", "room_start", "room_end", "no_more_lives",
                        "animation_end", "end_of_path", "no_more_health"});
  Family(out, "user", 10, 16);
  out.push_back({30, "close_button"});
  Family(out, "outside_view", 40, 8);
  Family(out, "boundary_view", 50, 8);
  return out;
}

struct RTableSource {
  const char* noun;
  bool bits;
  RNames names;
};

const std::array<RNameTable, NAMES_SET_COUNT>& Tables() {
  // Built once; the spans point into `sources`, which lives as long.
  static const std::vector<RTableSource> sources = [] {
    std::vector<RTableSource> s(NAMES_SET_COUNT);
    s[NAMES_ACTION_KIND] = {"action kind", false,
                            Counted({"normal", "begin_block", "end_block", "else", "exit", "repeat", "variable",
                                     "code"})};
    s[NAMES_EXEC_TYPE] = {"execution type", false, Counted({"none", "function", "code"})};
    s[NAMES_ARG_KIND] = {"argument kind", false,
                         Counted({"expression", "string", "both", "boolean", "menu", "sprite", "sound",
                                  "background", "path", "script", "object", "room", "font", "color", "timeline",
                                  "font_string"})};
    s[NAMES_EVENT_TYPE] = {"event type", false,
                           Counted({"create", "destroy", "alarm", "step", "collision", "keyboard", "mouse", "other",
                                    "draw", "keypress", "keyrelease"})};
    s[NAMES_KEY] = {"key", false, Keys()};
    s[NAMES_MOUSE_EVENT] = {"mouse event", false, MouseEvents()};
    s[NAMES_STEP_EVENT] = {"step event", false, Counted({"normal", "begin", "end"})};
    s[NAMES_OTHER_EVENT] = {"other event", false, OtherEvents()};
    s[NAMES_APPLIES_TO] = {"applies-to target", false, {{-1, "self"}, {-2, "other"}}};
    s[NAMES_SOUND_KIND] = {"sound kind", false, Counted({"normal", "background", "3d", "multimedia"})};
    s[NAMES_SOUND_EFFECTS] = {"sound effect", true,
                              {{1, "chorus"},
                               {2, "echo"},
                               {4, "flanger"},
                               {8, "gargle"},
                               {16, "reverb"},
                               {32, "compressor"},
                               {64, "equalizer"}}};
    s[NAMES_BBOX_MODE] = {"bounding box mode", false, Counted({"automatic", "full", "manual"})};
    s[NAMES_PATH_KIND] = {"path kind", false, Counted({"straight", "smooth"})};
    s[NAMES_COLOR_DEPTH] = {"colour depth", false, Counted({"unchanged", "16bit", "32bit"})};
    s[NAMES_RESOLUTION] = {"resolution", false,
                           Counted({"unchanged", "320x240", "640x480", "800x600", "1024x768", "1280x1024",
                                    "1600x1200"})};
    s[NAMES_FREQUENCY] = {"frequency", false, Counted({"unchanged", "60hz", "70hz", "85hz", "100hz", "120hz"})};
    s[NAMES_PRIORITY] = {"priority", false, Counted({"normal", "high", "highest"})};
    s[NAMES_EXPORT_MODE] = {"export mode", false,
                            Counted({"none", "temp_directory", "working_directory", "folder"})};
    s[NAMES_EXTENSION_FILE_KIND] = {"package file kind", false, Counted({"library", "script", "none", "other"}, 1)};
    s[NAMES_EXTENSION_TYPE] = {"argument type", false, {{1, "string"}, {2, "real"}}};
    return s;
  }();
  static const std::array<RNameTable, NAMES_SET_COUNT> tables = [] {
    std::array<RNameTable, NAMES_SET_COUNT> t{};
    for (size_t i = 0; i < t.size(); i++) t[i] = {sources[i].noun, sources[i].bits, sources[i].names};
    return t;
  }();
  return tables;
}

}  // namespace

const std::string* RNameTable::NameOf(int32_t value) const {
  for (const RName& n : names)
    if (n.value == value) return &n.name;
  return nullptr;
}

bool RNameTable::ValueOf(std::string_view name, int32_t& value) const {
  for (const RName& n : names)
    if (n.name == name) {
      value = n.value;
      return true;
    }
  return false;
}

const RNameTable& Names_Table(RNameSet set) { return Tables()[set]; }

const RNameTable* Names_EventNumbers(int32_t type) {
  if (Names_IsKeyEvent(type)) return &Names_Table(NAMES_KEY);
  switch (type) {
    case 3: return &Names_Table(NAMES_STEP_EVENT);
    case 6: return &Names_Table(NAMES_MOUSE_EVENT);
    case 7: return &Names_Table(NAMES_OTHER_EVENT);
    default: return nullptr;
  }
}
