#include "graphics/Function_Graphics.h"

#include <memory>
#include <type_traits>

#include "code/Code_Error.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Font_Class.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Transition.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Graphics_Bitmap32.h"
#include "data/Support_Path.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "world/Run_State.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Room_Class.h"
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

// Display mode changes: (w, h), one value, or all four (w, h, hz, bits).
void F_DisplaySetSize(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Display_SetAll(ArgInt(args, 0), ArgInt(args, 1), 0, 0) ? 1 : 0);
}
void F_DisplaySetDepth(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Display_SetAll(0, 0, 0, ArgInt(args, 0)) ? 1 : 0);
}
void F_DisplaySetFrequency(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Display_SetAll(0, 0, ArgInt(args, 0), 0) ? 1 : 0);
}
template <bool (*Mode)(int32_t, int32_t, int32_t, int32_t)>
void F_DisplayAll(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Mode(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2), ArgInt(args, 3)) ? 1 : 0);
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

// ---- colours, shapes, primitives ----

template <int32_t (*Get)(int32_t)>
void F_ColourPart(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Get(ArgInt(args, 0)));
}

int32_t Red(int32_t c) { return c % 256; }
int32_t Green(int32_t c) { return (c / 256) % 256; }
int32_t Blue(int32_t c) { return (c / 65536) % 256; }

void F_MakeColourRgb(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(double(ArgInt(args, 0)) + 256.0 * ArgInt(args, 1) + 65536.0 * ArgInt(args, 2));
}

void F_MakeColourHsv(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Colour_FromHsv(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2)));
}

void F_MergeColour(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Colour_Merge(ArgInt(args, 0), ArgInt(args, 1), ArgReal(args, 2)));
}

void F_SetCirclePrecision(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_SetCirclePrecision(ArgInt(args, 0));
}

// draw_point(x, y [, col]).
template <bool Coloured>
void F_DrawPoint(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_Point(ArgReal(args, 0), ArgReal(args, 1), Coloured ? ArgInt(args, 2) : Draw_Colour(), Draw_Alpha());
}

// draw_line(x1, y1, x2, y2 [, col1, col2]) and draw_line_width(..., w [, col1, col2]).
template <bool Width, bool Coloured>
void F_DrawLine(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int c = Width ? 5 : 4;
  const int32_t c1 = Coloured ? ArgInt(args, c) : Draw_Colour(), c2 = Coloured ? ArgInt(args, c + 1) : Draw_Colour();
  if (Width)
    Draw_LineWidth(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4), c1, c2,
                   Draw_Alpha());
  else
    Draw_Line(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), c1, c2, Draw_Alpha());
}

// draw_rectangle(x1, y1, x2, y2 [, c1, c2, c3, c4], outline).
template <bool Coloured>
void F_DrawRectangle(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t colours[4] = {Draw_Colour(), Draw_Colour(), Draw_Colour(), Draw_Colour()};
  if (Coloured)
    for (int i = 0; i < 4; i++) colours[i] = ArgInt(args, 4 + i);
  Draw_Rectangle(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), colours, Draw_Alpha(),
                 ArgBool(args, Coloured ? 8 : 4));
}

// draw_triangle(x1, y1, x2, y2, x3, y3 [, c1, c2, c3], outline).
template <bool Coloured>
void F_DrawTriangle(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int32_t d = Draw_Colour();
  Draw_Triangle(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4),
                ArgReal(args, 5), Coloured ? ArgInt(args, 6) : d, Coloured ? ArgInt(args, 7) : d,
                Coloured ? ArgInt(args, 8) : d, Draw_Alpha(), ArgBool(args, Coloured ? 9 : 6));
}

// The ellipse family: draw_circle(x, y, r ...) or draw_ellipse / draw_roundrect
// (x1, y1, x2, y2 ...), then [col1, col2,] outline.
enum RRoundShape { kCircle, kEllipse, kRoundRect };
template <RRoundShape Shape, bool Coloured>
void F_DrawRound(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int n = Shape == kCircle ? 3 : 4;
  double x1 = ArgReal(args, 0), y1 = ArgReal(args, 1), x2, y2;
  if (Shape == kCircle) {
    const double r = ArgReal(args, 2);
    x2 = x1 + r, y2 = y1 + r, x1 -= r, y1 -= r;
  } else {
    x2 = ArgReal(args, 2), y2 = ArgReal(args, 3);
  }
  const int32_t c1 = Coloured ? ArgInt(args, n) : Draw_Colour(), c2 = Coloured ? ArgInt(args, n + 1) : Draw_Colour();
  const bool outline = ArgBool(args, Coloured ? n + 2 : n);
  if (Shape == kRoundRect)
    Draw_RoundRect(x1, y1, x2, y2, c1, c2, Draw_Alpha(), outline);
  else
    Draw_Ellipse(x1, y1, x2, y2, c1, c2, Draw_Alpha(), outline);
}

void F_DrawArrow(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_Arrow(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4));
}

void F_DrawButton(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_Button(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgBool(args, 4));
}

void F_DrawHealthbar(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_Healthbar(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4),
                 ArgInt(args, 5), ArgInt(args, 6), ArgInt(args, 7), ArgInt(args, 8), ArgBool(args, 9),
                 ArgBool(args, 10));
}

template <bool Textured>
void F_PrimitiveBegin(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Draw_PrimitiveBegin(ArgInt(args, 0), Textured ? ArgInt(args, 1) : -1);
}

// draw_vertex(x, y [, xtex, ytex] [, col, alpha]).
template <bool Textured, bool Coloured>
void F_Vertex(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int c = Textured ? 4 : 2;
  Draw_Vertex(ArgReal(args, 0), ArgReal(args, 1), Textured ? ArgReal(args, 2) : 0, Textured ? ArgReal(args, 3) : 0,
              Coloured ? ArgInt(args, c) : Draw_Colour(), Coloured ? ArgReal(args, c + 1) : Draw_Alpha());
}

void F_PrimitiveEnd(CInstance*, CInstance*, int, RValue*, RValue&) { Draw_PrimitiveEnd(); }

// ---- sprites and backgrounds ----

// The sprite of argument 0, reporting a missing one; the image of argument
// 1, a negative one meaning the calling instance's.
const CSprite* SpriteArg(CInstance* self, const RValue* args, int32_t& image) {
  const CSprite* sprite = Sprite_Get(ArgInt(args, 0));
  if (!sprite) {
    ReportActionError("Trying to draw non-existing sprite.");
    return nullptr;
  }
  image = ArgInt(args, 1);
  if (image < 0) image = self ? Sprite_ImageIndex(self->image_index) : 0;
  return sprite;
}

const CBackground* BackgroundArg(const RValue* args) {
  const CBackground* back = Background_Get(ArgInt(args, 0));
  if (!back) ReportActionError("Trying to draw non-existing background.");
  return back;
}

// The forms of the sprite, background and surface drawing built-ins, by
// their arguments after the sprite and image (or the background or surface).
enum RImageForm { kPlain, kExt, kStretched, kStretchedExt, kPart, kPartExt, kGeneral, kTiled, kTiledExt };

template <RImageForm Form>
void DrawImageForm(const RValue* a, const RImageRef& image) {
  constexpr int32_t kWhite = 0xFFFFFF;
  auto R = [&](int i) { return ArgReal(a, i); };
  auto I = [&](int i) { return ArgInt(a, i); };
  // The tiled forms cover the whole room.
  CRoom* room = Room_Current();
  const double rw = room ? room->width : 0, rh = room ? room->height : 0;
  switch (Form) {
    case kPlain: Image_Draw(image, R(0), R(1)); break;
    case kExt: Image_DrawExt(image, R(0), R(1), R(2), R(3), R(4), I(5), R(6)); break;
    case kStretched: Image_DrawStretched(image, R(0), R(1), R(2), R(3), kWhite, 1); break;
    case kStretchedExt: Image_DrawStretched(image, R(0), R(1), R(2), R(3), I(4), R(5)); break;
    case kPart: Image_DrawPart(image, R(0), R(1), R(2), R(3), R(4), R(5), 1, 1, kWhite, 1); break;
    case kPartExt: Image_DrawPart(image, R(0), R(1), R(2), R(3), R(4), R(5), R(6), R(7), I(8), R(9)); break;
    case kGeneral:
      Image_DrawGeneral(image, R(0), R(1), R(2), R(3), R(4), R(5), R(6), R(7), R(8), I(9), I(10), I(11), I(12),
                        R(13));
      break;
    case kTiled: Image_DrawTiled(image, true, true, 1, kWhite, 0, 0, rw, rh, 1, 1, R(0), R(1)); break;
    case kTiledExt: Image_DrawTiled(image, true, true, R(5), I(4), 0, 0, rw, rh, R(2), R(3), R(0), R(1)); break;
  }
}

template <RImageForm Form>
void F_DrawSprite(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  int32_t image = 0;
  if (const CSprite* sprite = SpriteArg(self, args, image)) DrawImageForm<Form>(args + 2, sprite->Frame(image));
}

template <RImageForm Form>
void F_DrawBackground(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (const CBackground* back = BackgroundArg(args)) DrawImageForm<Form>(args + 1, back->Image());
}

// ---- surfaces ----

// The surface of argument 0, reporting a missing one.
const RSurface* SurfaceArg(const RValue* args) {
  const RSurface* surface = Surface_Get(ArgInt(args, 0));
  if (!surface) ReportActionError("Trying to use non-existing surface.");
  return surface;
}

template <RImageForm Form>
void F_DrawSurface(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (const RSurface* s = SurfaceArg(args)) DrawImageForm<Form>(args + 1, RImageRef{s->texture, s->width, s->height});
}

void F_SurfaceCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Surface_Create(ArgInt(args, 0), ArgInt(args, 1)));
}

void F_SurfaceFree(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (SurfaceArg(args)) Surface_Free(ArgInt(args, 0));
}

void F_SurfaceExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Surface_Get(ArgInt(args, 0)) ? 1 : 0);
}

template <int32_t RSurface::*Field>
void F_SurfaceGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const RSurface* s = Surface_Get(ArgInt(args, 0));
  result.SetReal(s ? s->*Field : -1);
}

void F_SurfaceSetTarget(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!SurfaceArg(args)) return result.SetReal(0);
  result.SetReal(Surface_SetTarget(ArgInt(args, 0)) ? 1 : 0);
}

void F_SurfaceResetTarget(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Surface_ResetTarget() ? 1 : 0);
}

void F_SurfaceGetPixel(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CBitmap32 pixel;
  if (!SurfaceArg(args) || !Surface_Read(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2), 1, 1, pixel))
    return result.SetReal(0);
  const uint32_t argb = pixel.Pixel(0, 0);
  result.SetReal((argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16);
}

// surface_save(id, file) and surface_save_part(id, file, x, y, w, h).
template <bool Part>
void F_SurfaceSave(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const RSurface* s = SurfaceArg(args);
  if (!s) return;
  const std::string& file = ArgString(args, 1);
  if (file.empty()) return ReportActionError("Trying to save surface to empty image file name.");
  CBitmap32 image;
  if (Part ? Surface_Read(ArgInt(args, 0), ArgInt(args, 2), ArgInt(args, 3), ArgInt(args, 4), ArgInt(args, 5), image)
           : Surface_Read(ArgInt(args, 0), 0, 0, s->width, s->height, image))
    Bitmap_SaveBMPFile(Path_Resolve(file), image);
}

// surface_copy(dest, x, y, src) and surface_copy_part(dest, x, y, src, xs, ys, ws, hs).
template <bool Part>
void F_SurfaceCopy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const RSurface* source = Surface_Get(ArgInt(args, 3));
  if (!SurfaceArg(args) || !SurfaceArg(args + 3)) return;
  Surface_Copy(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2), ArgInt(args, 3), Part ? ArgInt(args, 4) : 0,
               Part ? ArgInt(args, 5) : 0, Part ? ArgInt(args, 6) : source->width,
               Part ? ArgInt(args, 7) : source->height);
}

void F_TransitionDefine(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Transition_Define(ArgInt(args, 0), ArgText(args, 1)) ? 1 : 0);
}

void F_TransitionExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Transition_Exists(ArgInt(args, 0)) ? 1 : 0);
}

constexpr RFunctionDef kSurfaceFunctions[] = {
    {"transition_define", F_TransitionDefine, 2},
    {"transition_exists", F_TransitionExists, 1},
    {"surface_create", F_SurfaceCreate, 2},
    {"surface_free", F_SurfaceFree, 1},
    {"surface_exists", F_SurfaceExists, 1},
    {"surface_get_width", F_SurfaceGet<&RSurface::width>, 1},
    {"surface_get_height", F_SurfaceGet<&RSurface::height>, 1},
    {"surface_get_texture", F_SurfaceGet<&RSurface::texture>, 1},
    {"surface_set_target", F_SurfaceSetTarget, 1},
    {"surface_reset_target", F_SurfaceResetTarget, 0},
    {"surface_getpixel", F_SurfaceGetPixel, 3},
    {"surface_save", F_SurfaceSave<false>, 2},
    {"surface_save_part", F_SurfaceSave<true>, 6},
    {"surface_copy", F_SurfaceCopy<false>, 4},
    {"surface_copy_part", F_SurfaceCopy<true>, 8},
    {"draw_surface", F_DrawSurface<kPlain>, 3},
    {"draw_surface_ext", F_DrawSurface<kExt>, 8},
    {"draw_surface_stretched", F_DrawSurface<kStretched>, 5},
    {"draw_surface_stretched_ext", F_DrawSurface<kStretchedExt>, 7},
    {"draw_surface_part", F_DrawSurface<kPart>, 7},
    {"draw_surface_part_ext", F_DrawSurface<kPartExt>, 11},
    {"draw_surface_general", F_DrawSurface<kGeneral>, 15},
    {"draw_surface_tiled", F_DrawSurface<kTiled>, 3},
    {"draw_surface_tiled_ext", F_DrawSurface<kTiledExt>, 7},
};

void F_SetAutomaticDraw(CInstance*, CInstance*, int, RValue* args, RValue&) { RunState.AutomaticDraw = ArgBool(args, 0); }

// The back buffer's colour at a room point, seen through the view being
// drawn when views are in use; 0 when it cannot be read.
void F_GetPixel(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t x = ArgInt(args, 0), y = ArgInt(args, 1);
  CRoom* room = Room_Current();
  if (room && room->views_enabled && View_Current >= 0 && View_Current < WINDOW_VIEW_SLOTS &&
      Window_Views[size_t(View_Current)].used)
    Window_ViewToRegion(Window_Views[size_t(View_Current)], ArgInt(args, 0), ArgInt(args, 1), x, y);
  CBitmap32 pixel;
  if (x < 0 || y < 0 || !D3D_GrabScreen(x, y, 1, 1, pixel) || pixel.width < 1) return result.SetReal(0);
  const uint32_t argb = pixel.Pixel(0, 0);
  result.SetReal((argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16);
}

void F_SpriteTexture(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CSprite* sprite = Sprite_Get(ArgInt(args, 0));
  if (!sprite) {
    ReportActionError("Trying to get texture from non-existing sprite.");
    return result.SetReal(-1);
  }
  result.SetReal(sprite->TextureOf(ArgInt(args, 1)));
}

void F_BackgroundTexture(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CBackground* back = Background_Get(ArgInt(args, 0));
  if (!back) {
    ReportActionError("Trying to get texture from non-existing background.");
    return result.SetReal(-1);
  }
  result.SetReal(back->texture);
}

constexpr RFunctionDef kDrawFunctions[] = {
    {"set_automatic_draw", F_SetAutomaticDraw, 1},
    {"draw_getpixel", F_GetPixel, 2},
    {"sprite_get_texture", F_SpriteTexture, 2},
    {"background_get_texture", F_BackgroundTexture, 1},
    {"draw_sprite", F_DrawSprite<kPlain>, 4},
    {"draw_sprite_ext", F_DrawSprite<kExt>, 9},
    {"draw_sprite_stretched", F_DrawSprite<kStretched>, 6},
    {"draw_sprite_stretched_ext", F_DrawSprite<kStretchedExt>, 8},
    {"draw_sprite_part", F_DrawSprite<kPart>, 8},
    {"draw_sprite_part_ext", F_DrawSprite<kPartExt>, 12},
    {"draw_sprite_general", F_DrawSprite<kGeneral>, 16},
    {"draw_sprite_tiled", F_DrawSprite<kTiled>, 4},
    {"draw_sprite_tiled_ext", F_DrawSprite<kTiledExt>, 8},
    {"draw_background", F_DrawBackground<kPlain>, 3},
    {"draw_background_ext", F_DrawBackground<kExt>, 8},
    {"draw_background_stretched", F_DrawBackground<kStretched>, 5},
    {"draw_background_stretched_ext", F_DrawBackground<kStretchedExt>, 7},
    {"draw_background_part", F_DrawBackground<kPart>, 7},
    {"draw_background_part_ext", F_DrawBackground<kPartExt>, 11},
    {"draw_background_general", F_DrawBackground<kGeneral>, 15},
    {"draw_background_tiled", F_DrawBackground<kTiled>, 3},
    {"draw_background_tiled_ext", F_DrawBackground<kTiledExt>, 7},
    {"make_color_rgb", F_MakeColourRgb, 3},
    {"make_color", F_MakeColourRgb, 3},
    {"make_color_hsv", F_MakeColourHsv, 3},
    {"color_get_red", F_ColourPart<Red>, 1},
    {"color_get_green", F_ColourPart<Green>, 1},
    {"color_get_blue", F_ColourPart<Blue>, 1},
    {"color_get_hue", F_ColourPart<Colour_Hue>, 1},
    {"color_get_saturation", F_ColourPart<Colour_Saturation>, 1},
    {"color_get_value", F_ColourPart<Colour_Value>, 1},
    {"merge_color", F_MergeColour, 3},
    {"draw_set_circle_precision", F_SetCirclePrecision, 1},
    {"draw_point", F_DrawPoint<false>, 2},
    {"draw_point_color", F_DrawPoint<true>, 3},
    {"draw_line", F_DrawLine<false, false>, 4},
    {"draw_line_color", F_DrawLine<false, true>, 6},
    {"draw_line_width", F_DrawLine<true, false>, 5},
    {"draw_line_width_color", F_DrawLine<true, true>, 7},
    {"draw_rectangle", F_DrawRectangle<false>, 5},
    {"draw_rectangle_color", F_DrawRectangle<true>, 9},
    {"draw_triangle", F_DrawTriangle<false>, 7},
    {"draw_triangle_color", F_DrawTriangle<true>, 10},
    {"draw_circle", F_DrawRound<kCircle, false>, 4},
    {"draw_circle_color", F_DrawRound<kCircle, true>, 6},
    {"draw_ellipse", F_DrawRound<kEllipse, false>, 5},
    {"draw_ellipse_color", F_DrawRound<kEllipse, true>, 7},
    {"draw_roundrect", F_DrawRound<kRoundRect, false>, 5},
    {"draw_roundrect_color", F_DrawRound<kRoundRect, true>, 7},
    {"draw_arrow", F_DrawArrow, 5},
    {"draw_button", F_DrawButton, 5},
    {"draw_healthbar", F_DrawHealthbar, 11},
    {"draw_primitive_begin", F_PrimitiveBegin<false>, 1},
    {"draw_primitive_begin_texture", F_PrimitiveBegin<true>, 2},
    {"draw_vertex", F_Vertex<false, false>, 2},
    {"draw_vertex_color", F_Vertex<false, true>, 4},
    {"draw_vertex_texture", F_Vertex<true, false>, 4},
    {"draw_vertex_texture_color", F_Vertex<true, true>, 6},
    {"draw_primitive_end", F_PrimitiveEnd, 0},
};

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
    {"display_mouse_set", F_SetPair<Display_MouseSet>, 2},
    {"display_set_size", F_DisplaySetSize, 2},
    {"display_set_colordepth", F_DisplaySetDepth, 1},
    {"display_set_frequency", F_DisplaySetFrequency, 1},
    {"display_set_all", F_DisplayAll<Display_SetAll>, 4},
    {"display_test_all", F_DisplayAll<Display_TestAll>, 4},
    {"display_reset", F_GetBool<Display_Reset>, 0},
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
  RegisterFunctions(kDrawFunctions);
  RegisterFunctions(kSurfaceFunctions);
}
