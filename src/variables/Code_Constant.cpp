#include "variables/Code_Constant.h"

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/DataNew_Extension.h"
#include "data/Option_Main.h"
#include "code/Code_World.h"

#include <algorithm>
#include <deque>
#include <string>
#include <unordered_map>

namespace {

struct RConstant {
  std::string name;
  RValue value;
};

std::deque<RConstant>& Table() {
  static std::deque<RConstant> table;
  return table;
}

// Name -> position of its latest definition.
std::unordered_map<std::string_view, int32_t>& Latest() {
  static std::unordered_map<std::string_view, int32_t> latest;
  return latest;
}

// How many constants the built-ins defined; -1 until they are registered.
int32_t g_BuiltinCount = -1;

// A row of the built-in constants. A row with a count above 1 is a numbered
// family: names `name` + first .. `name` + (first + count - 1) with values
// counting up from `value`.
struct RConstantDef {
  const char* name;
  double value;
  int count = 1;
  int first = 0;
};

const RConstantDef kBuiltinConstants[] = {
    {"self", -1}, {"other", -2}, {"all", -3}, {"noone", -4}, {"global", -5}, {"local", -7},
    {"true", 1}, {"false", 0}, {"pi", 3.141592653589793},
    {"pr_pointlist", 1}, {"pr_linelist", 2}, {"pr_linestrip", 3}, {"pr_trianglelist", 4},
    {"pr_trianglestrip", 5}, {"pr_trianglefan", 6},
    {"c_aqua", 16776960}, {"c_black", 0}, {"c_blue", 16711680}, {"c_dkgray", 4210752},
    {"c_fuchsia", 16711935}, {"c_gray", 8421504}, {"c_green", 32768}, {"c_lime", 65280},
    {"c_ltgray", 12632256}, {"c_maroon", 128}, {"c_navy", 8388608}, {"c_olive", 32896},
    {"c_purple", 8388736}, {"c_red", 255}, {"c_silver", 12632256}, {"c_teal", 8421376},
    {"c_white", 16777215}, {"c_yellow", 65535}, {"c_orange", 4235519},
    {"bm_normal", 0}, {"bm_add", 1}, {"bm_max", 2}, {"bm_subtract", 3}, {"bm_zero", 1}, {"bm_one", 2},
    {"bm_src_color", 3}, {"bm_inv_src_color", 4}, {"bm_src_alpha", 5}, {"bm_inv_src_alpha", 6},
    {"bm_dest_alpha", 7}, {"bm_inv_dest_alpha", 8}, {"bm_dest_color", 9}, {"bm_inv_dest_color", 10},
    {"bm_src_alpha_sat", 11},
    {"se_none", 0}, {"se_chorus", 1}, {"se_echo", 2}, {"se_flanger", 4}, {"se_gargle", 8},
    {"se_reverb", 16}, {"se_compressor", 32}, {"se_equalizer", 64},
    {"fa_left", 0}, {"fa_center", 1}, {"fa_right", 2}, {"fa_top", 0}, {"fa_middle", 1}, {"fa_bottom", 2},
    {"mb_any", -1}, {"mb_none", 0}, {"mb_left", 1}, {"mb_right", 2}, {"mb_middle", 3},
    {"vk_nokey", 0}, {"vk_anykey", 1}, {"vk_enter", 13}, {"vk_return", 13}, {"vk_shift", 16},
    {"vk_control", 17}, {"vk_alt", 18}, {"vk_escape", 27}, {"vk_space", 32}, {"vk_backspace", 8},
    {"vk_tab", 9}, {"vk_pause", 19}, {"vk_printscreen", 44}, {"vk_left", 37}, {"vk_right", 39},
    {"vk_up", 38}, {"vk_down", 40}, {"vk_home", 36}, {"vk_end", 35}, {"vk_delete", 46},
    {"vk_insert", 45}, {"vk_pageup", 33}, {"vk_pagedown", 34}, {"vk_f", 112, 12, 1},
    {"vk_numpad", 96, 10, 0}, {"vk_divide", 111}, {"vk_multiply", 106}, {"vk_subtract", 109},
    {"vk_add", 107}, {"vk_decimal", 110}, {"vk_lshift", 160}, {"vk_lcontrol", 162}, {"vk_lalt", 164},
    {"vk_rshift", 161}, {"vk_rcontrol", 163}, {"vk_ralt", 165},
    {"ev_create", 0}, {"ev_destroy", 1}, {"ev_step", 3}, {"ev_alarm", 2}, {"ev_keyboard", 5},
    {"ev_mouse", 6}, {"ev_collision", 4}, {"ev_other", 7}, {"ev_draw", 8}, {"ev_keypress", 9},
    {"ev_keyrelease", 10},
    {"ev_left_button", 0}, {"ev_right_button", 1}, {"ev_middle_button", 2}, {"ev_no_button", 3},
    {"ev_left_press", 4}, {"ev_right_press", 5}, {"ev_middle_press", 6}, {"ev_left_release", 7},
    {"ev_right_release", 8}, {"ev_middle_release", 9}, {"ev_mouse_enter", 10}, {"ev_mouse_leave", 11},
    {"ev_global_press", 12}, {"ev_global_release", 13}, {"ev_joystick1_left", 16},
    {"ev_joystick1_right", 17}, {"ev_joystick1_up", 18}, {"ev_joystick1_down", 19},
    {"ev_joystick1_button", 21, 8, 1}, {"ev_joystick2_left", 31}, {"ev_joystick2_right", 32},
    {"ev_joystick2_up", 33}, {"ev_joystick2_down", 34}, {"ev_joystick2_button", 36, 8, 1},
    {"ev_global_left_button", 50}, {"ev_global_right_button", 51}, {"ev_global_middle_button", 52},
    {"ev_global_left_press", 53}, {"ev_global_right_press", 54}, {"ev_global_middle_press", 55},
    {"ev_global_left_release", 56}, {"ev_global_right_release", 57}, {"ev_global_middle_release", 58},
    {"ev_mouse_wheel_up", 60}, {"ev_mouse_wheel_down", 61},
    {"ev_outside", 0}, {"ev_boundary", 1}, {"ev_game_start", 2}, {"ev_game_end", 3},
    {"ev_room_start", 4}, {"ev_room_end", 5}, {"ev_no_more_lives", 6}, {"ev_animation_end", 7},
    {"ev_end_of_path", 8}, {"ev_no_more_health", 9}, {"ev_user", 10, 16, 0}, {"ev_close_button", 30},
    {"ev_step_normal", 0}, {"ev_step_begin", 1}, {"ev_step_end", 2},
    {"ty_real", 0}, {"ty_string", 1}, {"dll_cdecl", 0}, {"dll_stdcall", 1},
    {"fa_readonly", 1}, {"fa_hidden", 2}, {"fa_sysfile", 4}, {"fa_volumeid", 8}, {"fa_directory", 16},
    {"fa_archive", 32},
    {"cr_default", 0}, {"cr_none", -1}, {"cr_arrow", -2}, {"cr_arrrow", -2}, {"cr_cross", -3},
    {"cr_beam", -4}, {"cr_size_nesw", -6}, {"cr_size_ns", -7}, {"cr_size_nwse", -8},
    {"cr_size_we", -9}, {"cr_uparrow", -10}, {"cr_hourglass", -11}, {"cr_drag", -12},
    {"cr_nodrop", -13}, {"cr_hsplit", -14}, {"cr_vsplit", -15}, {"cr_multidrag", -16},
    {"cr_sqlwait", -17}, {"cr_no", -18}, {"cr_appstart", -19}, {"cr_help", -20},
    {"cr_handpoint", -21}, {"cr_size_all", -22},
    {"pt_shape_pixel", 0}, {"pt_shape_disk", 1}, {"pt_shape_square", 2}, {"pt_shape_line", 3},
    {"pt_shape_star", 4}, {"pt_shape_circle", 5}, {"pt_shape_ring", 6}, {"pt_shape_sphere", 7},
    {"pt_shape_flare", 8}, {"pt_shape_spark", 9}, {"pt_shape_explosion", 10}, {"pt_shape_cloud", 11},
    {"pt_shape_smoke", 12}, {"pt_shape_snow", 13},
    {"ps_distr_linear", 0}, {"ps_distr_gaussian", 1}, {"ps_distr_invgaussian", 2},
    {"ps_shape_rectangle", 0}, {"ps_shape_ellipse", 1}, {"ps_shape_diamond", 2}, {"ps_shape_line", 3},
    {"ps_force_constant", 0}, {"ps_force_linear", 1}, {"ps_force_quadratic", 2},
    {"ps_deflect_vertical", 0}, {"ps_deflect_horizontal", 1},
    {"ps_change_all", 0}, {"ps_change_shape", 1}, {"ps_change_motion", 2},
    {"ef_explosion", 0}, {"ef_ring", 1}, {"ef_ellipse", 2}, {"ef_firework", 3}, {"ef_smoke", 4},
    {"ef_smokeup", 5}, {"ef_star", 6}, {"ef_spark", 7}, {"ef_flare", 8}, {"ef_cloud", 9},
    {"ef_rain", 10}, {"ef_snow", 11},
};

}  // namespace

void Constant_RegisterBuiltins() {
  if (g_BuiltinCount >= 0) return;
  for (const RConstantDef& def : kBuiltinConstants) {
    if (def.count == 1) {
      DefineConstant(def.name, RValue(def.value));
      continue;
    }
    for (int k = 0; k < def.count; k++)
      DefineConstant(def.name + std::to_string(def.first + k), RValue(def.value + k));
  }
  g_BuiltinCount = Constant_Count();
}

namespace {

bool IsIdentifier(std::string_view s) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (s.empty() || !letter(s[0])) return false;
  for (char c : s)
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

}  // namespace

bool DefineUserConstant(std::string_view raw_name, std::string_view value_text) {
  std::string name(DataNew_Trim(raw_name));
  if (!IsIdentifier(name)) {
    Error_ShowMessage("Constant name " + name + "  is not valid.");
    return false;
  }
  CCode code(value_text, true);
  RValue value;
  bool ok = code.Compile();
  if (ok) {
    // No room has instances yet: the world's stand-in is self and other.
    CInstance* stand_in = World.stand_in();
    ok = ExecuteValue(stand_in, stand_in, code, value);
  }
  if (!ok) {
    ClearRecordedError();
    Error_ShowMessage("Value for constant " + name + "  is not valid.");
    return false;
  }
  DefineConstant(name, value);
  return true;
}

bool DefineUserConstants() {
  size_t count = std::min(Settings.ConstantNames.size(), Settings.ConstantValues.size());
  for (size_t i = 0; i < count; i++)
    if (!DefineUserConstant(Settings.ConstantNames[i], Settings.ConstantValues[i])) return false;
  return true;
}

void DefineConstant(std::string_view name, const RValue& value) {
  Table().push_back({std::string(name), value});
  Latest()[Table().back().name] = static_cast<int32_t>(Table().size() - 1);
}

bool ConstantOf(std::string_view name, RValue& value) {
  auto it = Latest().find(name);
  if (it == Latest().end()) return false;
  value = Table()[it->second].value;
  return true;
}

int32_t Constant_Count() { return static_cast<int32_t>(Table().size()); }
const std::string& Constant_Name(int32_t i) { return Table()[i].name; }
const RValue& Constant_Value(int32_t i) { return Table()[i].value; }

void Constant_Reset() { Constant_Truncate(std::max(g_BuiltinCount, 0)); }

void Constant_Truncate(int32_t count) {
  auto& table = Table();
  while (static_cast<int32_t>(table.size()) > count) table.pop_back();
  Latest().clear();
  for (int32_t i = 0; i < static_cast<int32_t>(table.size()); i++) Latest()[table[i].name] = i;
}
