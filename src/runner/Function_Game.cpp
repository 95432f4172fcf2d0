#include "runner/Function_Game.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "code/Code_Error.h"
#include "graphics/Background_Main.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Font.h"
#include "runner/Help_Main.h"
#include "runner/Run_Score.h"
#include "runner/Support_Message.h"
#include "variables/Code_Function.h"
#include "world/Run_Command.h"
#include "world/Run_State.h"

namespace {

// Font style numbers: 0 normal, 1 bold, 2 italic, 3 both.
void SetStyle(int32_t style, bool& bold, bool& italic) {
  if (style < 0 || style > 3) return;
  bold = style & 1;
  italic = style & 2;
}

int32_t Ask(const std::string& text, const std::array<std::string, 3>& buttons, std::string* input = nullptr) {
  return Message_Show(Message_Convert(text), buttons, input);
}

// An integer as typed: optional blanks, a sign and decimal digits.
bool ParseInteger(const std::string& text, int32_t& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  long long parsed = std::strtoll(begin, &end, 10);
  if (end == begin) return false;
  while (*end == ' ') end++;
  if (*end != 0 || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

void F_ShowMessage(CInstance*, CInstance*, int, RValue* args, RValue&) { Ask(ArgText(args, 0), {"", "OK", ""}); }

void F_ShowQuestion(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Ask(ArgText(args, 0), {"Yes", "", "No"}) == 1 ? 1 : 0);
}

void F_ShowMessageExt(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Ask(ArgText(args, 0), {ArgText(args, 1), ArgText(args, 2), ArgText(args, 3)}));
}

template <bool Integer>
void F_GetInput(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t fallback = ArgInt(args, 1);
  std::string text = Integer ? std::to_string(fallback) : ArgText(args, 1);
  Ask(ArgText(args, 0), {"", "OK", ""}, &text);
  int32_t value = fallback;
  if (!Integer)
    result.SetString(text);
  else
    result.SetReal(ParseInteger(text, value) ? value : fallback);
}

void F_ShowError(CInstance*, CInstance*, int, RValue* args, RValue&) { ReportError(ArgText(args, 0), ArgBool(args, 1)); }

// message_text_font and its two siblings: (name, size, colour, style); an
// empty name, a negative size or colour keeps the current value.
template <RFormFont RMessageSettings::*Font>
void F_MessageFont(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RFormFont& font = Message_Settings.*Font;
  if (!ArgString(args, 0).empty()) font.family = ArgString(args, 0);
  if (ArgInt(args, 1) >= 0) font.height = SystemFont_PointsToPixels(ArgInt(args, 1));
  if (ArgInt(args, 2) >= 0) font.colour = D3D_ConvertColour(ArgInt(args, 2), 1);
  SetStyle(ArgInt(args, 3), font.bold, font.italic);
}

template <uint32_t RMessageSettings::*Colour>
void F_MessageColour(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Message_Settings.*Colour = D3D_ConvertColour(ArgInt(args, 0), 1);
}

void F_MessageAlpha(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Message_Settings.alpha = std::clamp(RoundToInt32(ArgReal(args, 0) * 255), 0, 255);
}

void F_MessageBackground(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Background_Exists(ArgInt(args, 0))) return ReportActionError("Trying to set a non-existing message background");
  Message_Settings.background = ArgInt(args, 0);
}

void F_MessageButton(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Sprite_Exists(ArgInt(args, 0))) return ReportActionError("Trying to set a non-existing message button");
  Message_Settings.button_sprite = ArgInt(args, 0);
}

void F_MessagePosition(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Message_Settings.left = ArgInt(args, 0) < 0 ? -1 : ArgInt(args, 0);
  Message_Settings.top = ArgInt(args, 1) < 0 ? -1 : ArgInt(args, 1);
}

void F_MessageSize(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Message_Settings.width = ArgInt(args, 0) < 1 ? -1 : ArgInt(args, 0);
  Message_Settings.height = ArgInt(args, 1) < 1 ? -1 : ArgInt(args, 1);
}

void F_MessageCaption(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Message_Settings.caption_shown = ArgBool(args, 0);
  Message_Settings.caption = ArgText(args, 1);
}

void F_HighscoreShow(CInstance*, CInstance*, int, RValue* args, RValue&) { Score_Show(ArgInt(args, 0)); }

void F_HighscoreShowExt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RScoreDisplay& d = Score_Display;
  d.picture = ArgInt(args, 1);
  d.border = ArgBool(args, 2);
  d.new_colour = ArgInt(args, 3);
  d.other_colour = ArgInt(args, 4);
  d.font = ArgText(args, 5);
  d.size = ArgInt(args, 6);
  Score_Show(ArgInt(args, 0));
}

void F_HighscoreSetBackground(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Score_Display.picture = ArgInt(args, 0);
}

void F_HighscoreSetBorder(CInstance*, CInstance*, int, RValue* args, RValue&) { Score_Display.border = ArgBool(args, 0); }

void F_HighscoreSetFont(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Score_Display.font = ArgText(args, 0);
  Score_Display.size = ArgInt(args, 1);
  SetStyle(ArgInt(args, 2), Score_Display.bold, Score_Display.italic);
}

void F_HighscoreSetColours(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Score_Display.background = ArgInt(args, 0);
  Score_Display.new_colour = ArgInt(args, 1);
  Score_Display.other_colour = ArgInt(args, 2);
}

void F_HighscoreSetStrings(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Score_Display.caption = ArgText(args, 0);
  Score_Display.nobody = ArgText(args, 1);
  Score_Display.escape = ArgText(args, 2);
}

void F_HighscoreClear(CInstance*, CInstance*, int, RValue*, RValue&) { Score_Clear(); }
void F_HighscoreAdd(CInstance*, CInstance*, int, RValue* args, RValue&) { Score_Add(ArgText(args, 0), ArgInt(args, 1)); }
void F_HighscoreAddCurrent(CInstance*, CInstance*, int, RValue*, RValue&) { Score_AddCurrent(); }

void F_HighscoreValue(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Score_Entry(ArgInt(args, 0)).score);
}

void F_HighscoreName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Score_Entry(ArgInt(args, 0)).name);
}

// The ten names at x1 and the scores right-aligned to x2, one line per tenth
// of the height.
void F_DrawHighscore(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const double x1 = ArgReal(args, 0), y1 = ArgReal(args, 1), x2 = ArgReal(args, 2), y2 = ArgReal(args, 3);
  const int32_t step = RoundToInt32((y2 - y1) / 10);
  const int32_t halign = Font_HAlign();
  for (int32_t rank = 1; rank <= SCORE_RANKS; rank++) {
    RScoreEntry entry = Score_Entry(rank);
    double y = y1 + (rank - 1) * step;
    Font_SetHAlign(0);
    Text_Draw(x1, y, entry.name, -1, -1, RTextLook{});
    Font_SetHAlign(2);
    Text_Draw(x2, y, std::to_string(entry.score), -1, -1, RTextLook{});
  }
  Font_SetHAlign(halign);
}

void F_ShowMenu(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Message_Menu(ArgText(args, 0), ArgInt(args, 1)));
}

void F_ShowMenuPos(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Message_Menu(ArgText(args, 2), ArgInt(args, 3), ArgInt(args, 0), ArgInt(args, 1)));
}

template <bool Save>
void F_GetFilename(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Message_AskFile(Save, ArgText(args, 0), ArgText(args, 1)));
}

void F_GetDirectory(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Message_AskFolder("", ArgText(args, 0)));
}

void F_GetDirectoryAlt(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Message_AskFolder(ArgText(args, 0), ArgText(args, 1)));
}

void F_GetColour(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Message_AskColour(ArgInt(args, 0)));
}

void F_ShowInfo(CInstance*, CInstance*, int, RValue*, RValue&) { Help_Show(); }

void F_LoadInfo(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Help_Load(ArgText(args, 0)) ? 1 : 0);
}

void F_GameSave(CInstance*, CInstance*, int, RValue* args, RValue&) { SaveGameToFile(ArgString(args, 0)); }

// The main loop loads it once the pass is over.
void F_GameLoad(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RunState.PendingLoadFile = ArgString(args, 0);
  RunState.PendingRoom = REQUEST_LOAD;
}

constexpr RFunctionDef kGameFunctions[] = {
    {"show_info", F_ShowInfo, 0},
    {"action_show_info", F_ShowInfo, 0},
    {"load_info", F_LoadInfo, 1},
    {"show_menu", F_ShowMenu, 2},
    {"show_menu_pos", F_ShowMenuPos, 4},
    {"get_open_filename", F_GetFilename<false>, 2},
    {"get_save_filename", F_GetFilename<true>, 2},
    {"get_directory", F_GetDirectory, 1},
    {"get_directory_alt", F_GetDirectoryAlt, 2},
    {"get_color", F_GetColour, 1},
    {"show_message", F_ShowMessage, 1},
    {"show_question", F_ShowQuestion, 1},
    {"show_message_ext", F_ShowMessageExt, 4},
    {"get_integer", F_GetInput<true>, 2},
    {"get_string", F_GetInput<false>, 2},
    {"show_error", F_ShowError, 2},
    {"message_text_font", F_MessageFont<&RMessageSettings::text_font>, 4},
    {"message_button_font", F_MessageFont<&RMessageSettings::button_font>, 4},
    {"message_input_font", F_MessageFont<&RMessageSettings::input_font>, 4},
    {"message_mouse_color", F_MessageColour<&RMessageSettings::mouse_colour>, 1},
    {"message_input_color", F_MessageColour<&RMessageSettings::input_colour>, 1},
    {"message_alpha", F_MessageAlpha, 1},
    {"message_background", F_MessageBackground, 1},
    {"message_button", F_MessageButton, 1},
    {"message_position", F_MessagePosition, 2},
    {"message_size", F_MessageSize, 2},
    {"message_caption", F_MessageCaption, 2},
    {"action_message", F_ShowMessage, 1},
    {"action_if_question", F_ShowQuestion, 1},
    {"highscore_show", F_HighscoreShow, 1},
    {"highscore_show_ext", F_HighscoreShowExt, 7},
    {"highscore_set_background", F_HighscoreSetBackground, 1},
    {"highscore_set_border", F_HighscoreSetBorder, 1},
    {"highscore_set_font", F_HighscoreSetFont, 3},
    {"highscore_set_colors", F_HighscoreSetColours, 3},
    {"highscore_set_strings", F_HighscoreSetStrings, 3},
    {"highscore_clear", F_HighscoreClear, 0},
    {"action_highscore_clear", F_HighscoreClear, 0},
    {"highscore_add", F_HighscoreAdd, 2},
    {"highscore_add_current", F_HighscoreAddCurrent, 0},
    {"highscore_value", F_HighscoreValue, 1},
    {"highscore_name", F_HighscoreName, 1},
    {"draw_highscore", F_DrawHighscore, 4},
    {"game_save", F_GameSave, 1},
    {"game_load", F_GameLoad, 1},
};

}  // namespace

void Function_Game_Register() { RegisterFunctions(kGameFunctions); }
