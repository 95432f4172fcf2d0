#include "graphics/Function_Graphics.h"

#include <memory>
#include <type_traits>

#include "code/Code_Error.h"
#include "graphics/Font_Class.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Main.h"
#include "variables/Code_Function.h"
#include "world/Room_Main.h"

namespace {

// Shared shapes: a query without arguments, a flag setter, a call without arguments.
template <int32_t (*Get)()>
void F_GetInt(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Get());
}

template <bool (*Get)()>
void F_GetBool(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Get() ? 1.0 : 0.0);
}

template <void (*Set)(bool)>
void F_SetBool(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Set(ArgBool(args, 0));
}

template <void (*Do)()>
void F_Do(CInstance*, CInstance*, int, RValue*, RValue&) {
  Do();
}

// Two integers (x, y) passed on.
template <void (*Set)(int32_t, int32_t)>
void F_SetPair(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Set(ArgInt(args, 0), ArgInt(args, 1));
}

void F_DrawClear(CInstance*, CInstance*, int, RValue* args, RValue&) { D3D_Clear(ArgInt(args, 0)); }

void F_DrawClearAlpha(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_ClearAlpha(ArgInt(args, 0), ArgReal(args, 1));
}

void F_SetBlendMode(CInstance*, CInstance*, int, RValue* args, RValue&) { D3D_SetBlendMode(ArgInt(args, 0)); }

void F_SetBlendModeExt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_SetBlendFactors(ArgInt(args, 0), ArgInt(args, 1));
}

void F_TextureExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Texture_Exists(ArgInt(args, 0)) ? 1.0 : 0.0);
}

template <bool Width>
void F_TextureScale(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  double u = 1, v = 1;
  Texture_Scale(ArgInt(args, 0), u, v);
  result.SetReal(Width ? u : v);
}

// Textures stay resident in GL; preloading and priorities have nothing to do.
void F_TextureHint(CInstance*, CInstance*, int, RValue*, RValue&) {}

void F_ScreenSave(CInstance*, CInstance*, int argc, RValue* args, RValue&) {
  const std::string& file = ArgString(args, 0);
  if (file.empty()) {
    ReportActionError("Trying to save screen to empty image file name.");
    return;
  }
  if (argc == 1)
    D3D_SaveScreen(file, 0, 0, D3D_DrawingWidth(), D3D_DrawingHeight());
  else
    D3D_SaveScreen(file, ArgInt(args, 1), ArgInt(args, 2), ArgInt(args, 3), ArgInt(args, 4));
}

void F_SetRegionSize(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Window_SetRegionSize(ArgInt(args, 0), ArgInt(args, 1), ArgBool(args, 2));
}

void F_SetRegionScale(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Window_SetRegionScale(ArgReal(args, 0), ArgBool(args, 1));
}

void F_GetRegionScale(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Window_GetRegionScale()); }

void F_SetCaption(CInstance*, CInstance*, int, RValue* args, RValue&) { Window_SetCaption(ArgString(args, 0)); }
void F_GetCaption(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetString(Window_GetCaption()); }
void F_SetCursor(CInstance*, CInstance*, int, RValue* args, RValue&) { Window_SetCursor(ArgInt(args, 0)); }
void F_SetColour(CInstance*, CInstance*, int, RValue* args, RValue&) { Window_SetColour(ArgInt(args, 0)); }

void F_SetRectangle(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Window_SetRectangle(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2), ArgInt(args, 3));
}

// Mouse through one view (the argument) or through all views.
template <bool X>
void F_ViewMouseGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t x = 0, y = 0;
  Window_ViewMouseGet(ArgInt(args, 0), x, y);
  result.SetReal(X ? x : y);
}

void F_ViewMouseSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Window_ViewMouseSet(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2));
}

template <bool X>
void F_ViewsMouseGet(CInstance*, CInstance*, int, RValue*, RValue& result) {
  int32_t x = 0, y = 0;
  Window_ViewsMouseGet(x, y);
  result.SetReal(X ? x : y);
}


void F_ScreenRedraw(CInstance*, CInstance*, int, RValue*, RValue&) {
  if (CRoom* room = Room_Current()) Room_Draw(*room);
  D3D_Present();
  D3D_BeginFrame();
}

void F_SetDrawColour(CInstance*, CInstance*, int, RValue* args, RValue&) { Draw_SetColour(ArgInt(args, 0)); }
void F_SetDrawAlpha(CInstance*, CInstance*, int, RValue* args, RValue&) { Draw_SetAlpha(ArgReal(args, 0)); }
void F_GetDrawAlpha(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Draw_Alpha()); }

template <void (*Set)(int32_t)>
void F_SetInt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Set(ArgInt(args, 0));
}

// string_width(_ext) and string_height(_ext): (text [, separation, width]).
template <bool Height, bool Ext>
void F_StringSize(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string text = ArgText(args, 0);
  int32_t separation = Ext ? ArgInt(args, 1) : -1, width = Ext ? ArgInt(args, 2) : -1;
  result.SetReal(Height ? Text_Height(text, separation, width) : Text_Width(text, width));
}

// The draw_text family: (x, y, text [, separation, width] [, xscale, yscale,
// angle] [, c1, c2, c3, c4, alpha]).
template <bool Ext, bool Transformed, bool Coloured>
void F_DrawText(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int i = 3;
  int32_t separation = -1, width = -1;
  if (Ext) {
    separation = ArgInt(args, i++);
    width = ArgInt(args, i++);
  }
  RTextLook look;
  if (Transformed) {
    look.transformed = true;
    look.xs = ArgReal(args, i++);
    look.ys = ArgReal(args, i++);
    look.angle = ArgReal(args, i++);
  }
  if (Coloured) {
    look.graded = true;
    for (int32_t& colour : look.colours) colour = ArgInt(args, i++);
    look.alpha = ArgReal(args, i++);
  }
  Text_Draw(ArgReal(args, 0), ArgReal(args, 1), ArgText(args, 2), separation, width, look);
}

// ---- the font table ----

void F_FontExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Font_Exists(ArgInt(args, 0)) ? 1 : 0);
}

void F_FontName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Font_Name(ArgInt(args, 0)));
}

void F_FontSystemName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CFont* font = Font_Get(ArgInt(args, 0));
  result.SetString(font && font->sprite < 0 ? font->font_name : std::string());
}

// A font's number: size, first or last (-1 without a font); its flags as 0 or 1.
template <auto Field>
void F_FontGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CFont* font = Font_Get(ArgInt(args, 0));
  if constexpr (std::is_same_v<std::remove_cvref_t<decltype(std::declval<CFont>().*Field)>, bool>)
    result.SetReal(font && font->*Field ? 1 : 0);
  else
    result.SetReal(font ? font->*Field : -1);
}

// (name, size, bold, italic, first, last) from index i on: a system font.
std::unique_ptr<CFont> SystemFontArgs(const RValue* args, int i) {
  return std::make_unique<CFont>(ArgText(args, i), ArgInt(args, i + 1), ArgBool(args, i + 2), ArgBool(args, i + 3),
                                 ArgInt(args, i + 4), ArgInt(args, i + 5));
}

// (sprite, first, proportional, separation) from index i on: a sprite font.
std::unique_ptr<CFont> SpriteFontArgs(const RValue* args, int i) {
  return std::make_unique<CFont>(ArgInt(args, i), ArgInt(args, i + 1), ArgBool(args, i + 2), ArgInt(args, i + 3));
}

void F_FontAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Font_Add(SystemFontArgs(args, 0)));
}

void F_FontAddSprite(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Sprite_Exists(ArgInt(args, 0))) {
    ReportActionError("Trying to create font from non-existing sprite.");
    result.SetReal(-1);
    return;
  }
  result.SetReal(Font_Add(SpriteFontArgs(args, 0)));
}

void F_FontReplace(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Font_Exists(ArgInt(args, 0))) return ReportActionError("Trying to replace non-existing font.");
  result.SetReal(Font_Replace(ArgInt(args, 0), SystemFontArgs(args, 1)) ? 1 : 0);
}

void F_FontReplaceSprite(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Font_Exists(ArgInt(args, 0))) return ReportActionError("Trying to replace non-existing font.");
  if (!Sprite_Exists(ArgInt(args, 1))) return ReportActionError("Trying to replace font from non-existing sprite.");
  result.SetReal(Font_Replace(ArgInt(args, 0), SpriteFontArgs(args, 1)) ? 1 : 0);
}

void F_FontDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Font_Delete(ArgInt(args, 0))) return ReportActionError("Trying to delete non-existing font.");
  result.SetReal(1);
}

constexpr RFunctionDef kFontFunctions[] = {
    {"font_exists", F_FontExists, 1},
    {"font_name", F_FontName, 1},
    {"font_get_name", F_FontName, 1},
    {"font_get_fontname", F_FontSystemName, 1},
    {"font_get_size", F_FontGet<&CFont::size>, 1},
    {"font_get_bold", F_FontGet<&CFont::bold>, 1},
    {"font_get_italic", F_FontGet<&CFont::italic>, 1},
    {"font_get_first", F_FontGet<&CFont::first>, 1},
    {"font_get_last", F_FontGet<&CFont::last>, 1},
    {"font_add", F_FontAdd, 6},
    {"font_add_sprite", F_FontAddSprite, 4},
    {"font_replace", F_FontReplace, 7},
    {"font_replace_sprite", F_FontReplaceSprite, 5},
    {"font_delete", F_FontDelete, 1},
};

constexpr RFunctionDef kTextFunctions[] = {
    {"draw_set_color", F_SetDrawColour, 1},
    {"draw_get_color", F_GetInt<Draw_Colour>, 0},
    {"draw_set_alpha", F_SetDrawAlpha, 1},
    {"draw_get_alpha", F_GetDrawAlpha, 0},
    {"draw_set_font", F_SetInt<Font_SetCurrent>, 1},
    {"draw_set_halign", F_SetInt<Font_SetHAlign>, 1},
    {"draw_set_valign", F_SetInt<Font_SetVAlign>, 1},
    {"string_width", F_StringSize<false, false>, 1},
    {"string_height", F_StringSize<true, false>, 1},
    {"string_width_ext", F_StringSize<false, true>, 3},
    {"string_height_ext", F_StringSize<true, true>, 3},
    {"draw_text", F_DrawText<false, false, false>, 3},
    {"draw_text_ext", F_DrawText<true, false, false>, 5},
    {"draw_text_transformed", F_DrawText<false, true, false>, 6},
    {"draw_text_ext_transformed", F_DrawText<true, true, false>, 8},
    {"draw_text_color", F_DrawText<false, false, true>, 8},
    {"draw_text_ext_color", F_DrawText<true, false, true>, 10},
    {"draw_text_transformed_color", F_DrawText<false, true, true>, 11},
    {"draw_text_ext_transformed_color", F_DrawText<true, true, true>, 13},
};

constexpr RFunctionDef kGraphicsFunctions[] = {
    {"draw_clear", F_DrawClear, 1},
    {"draw_clear_alpha", F_DrawClearAlpha, 2},
    {"draw_set_blend_mode", F_SetBlendMode, 1},
    {"draw_set_blend_mode_ext", F_SetBlendModeExt, 2},
    {"texture_set_interpolation", F_SetBool<D3D_SetInterpolation>, 1},
    {"texture_set_blending", F_SetBool<D3D_SetTextureBlending>, 1},
    {"texture_set_repeat", F_SetBool<D3D_SetTextureRepeat>, 1},
    {"texture_exists", F_TextureExists, 1},
    {"texture_get_width", F_TextureScale<true>, 1},
    {"texture_get_height", F_TextureScale<false>, 1},
    {"texture_preload", F_TextureHint, 1},
    {"texture_set_priority", F_TextureHint, 2},
    {"set_synchronization", F_SetBool<D3D_SetSynchronisation>, 1},
    {"screen_wait_vsync", F_Do<D3D_WaitVerticalBlank>, 0},
    {"screen_refresh", F_Do<D3D_Refresh>, 0},
    {"screen_redraw", F_ScreenRedraw, 0},
    {"screen_save", F_ScreenSave, 1},
    {"screen_save_part", F_ScreenSave, 5},
    {"display_get_width", F_GetInt<Display_GetWidth>, 0},
    {"display_get_height", F_GetInt<Display_GetHeight>, 0},
    {"display_get_colordepth", F_GetInt<Display_GetColorDepth>, 0},
    {"display_get_frequency", F_GetInt<Display_GetFrequency>, 0},
    {"display_mouse_get_x", F_GetInt<Display_MouseGetX>, 0},
    {"display_mouse_get_y", F_GetInt<Display_MouseGetY>, 0},
    {"window_set_visible", F_SetBool<Window_SetVisible>, 1},
    {"window_get_visible", F_GetBool<Window_GetVisible>, 0},
    {"window_set_fullscreen", F_SetBool<Window_SetFullScreen>, 1},
    {"window_get_fullscreen", F_GetBool<Window_GetFullScreen>, 0},
    {"window_set_showborder", F_SetBool<Window_SetShowBorder>, 1},
    {"window_get_showborder", F_GetBool<Window_GetShowBorder>, 0},
    {"window_set_showicons", F_SetBool<Window_SetShowIcons>, 1},
    {"window_get_showicons", F_GetBool<Window_GetShowIcons>, 0},
    {"window_set_sizeable", F_SetBool<Window_SetSizeable>, 1},
    {"window_get_sizeable", F_GetBool<Window_GetSizeable>, 0},
    {"window_set_stayontop", F_SetBool<Window_SetStayOnTop>, 1},
    {"window_get_stayontop", F_GetBool<Window_GetStayOnTop>, 0},
    {"window_set_caption", F_SetCaption, 1},
    {"window_get_caption", F_GetCaption, 0},
    {"window_set_cursor", F_SetCursor, 1},
    {"window_get_cursor", F_GetInt<Window_GetCursor>, 0},
    {"window_set_color", F_SetColour, 1},
    {"window_get_color", F_GetInt<Window_GetColour>, 0},
    {"window_set_position", F_SetPair<Window_SetPosition>, 2},
    {"window_set_size", F_SetPair<Window_SetSize>, 2},
    {"window_set_rectangle", F_SetRectangle, 4},
    {"window_center", F_Do<Window_Center>, 0},
    {"window_default", F_Do<Window_Default>, 0},
    {"window_get_x", F_GetInt<Window_GetX>, 0},
    {"window_get_y", F_GetInt<Window_GetY>, 0},
    {"window_get_width", F_GetInt<Window_GetWidth>, 0},
    {"window_get_height", F_GetInt<Window_GetHeight>, 0},
    {"window_set_region_size", F_SetRegionSize, 3},
    {"window_get_region_width", F_GetInt<Window_GetRegionWidth>, 0},
    {"window_get_region_height", F_GetInt<Window_GetRegionHeight>, 0},
    {"window_set_region_scale", F_SetRegionScale, 2},
    {"window_get_region_scale", F_GetRegionScale, 0},
    {"window_mouse_get_x", F_GetInt<Window_MouseGetX>, 0},
    {"window_mouse_get_y", F_GetInt<Window_MouseGetY>, 0},
    {"window_mouse_set", F_SetPair<Window_MouseSet>, 2},
    {"window_view_mouse_get_x", F_ViewMouseGet<true>, 1},
    {"window_view_mouse_get_y", F_ViewMouseGet<false>, 1},
    {"window_view_mouse_set", F_ViewMouseSet, 3},
    {"window_views_mouse_get_x", F_ViewsMouseGet<true>, 0},
    {"window_views_mouse_get_y", F_ViewsMouseGet<false>, 0},
    {"window_views_mouse_set", F_SetPair<Window_ViewsMouseSet>, 2},
};

}  // namespace

void Function_Graphics_Register() {
  RegisterFunctions(kGraphicsFunctions);
  RegisterFunctions(kTextFunctions);
  RegisterFunctions(kFontFunctions);
}
