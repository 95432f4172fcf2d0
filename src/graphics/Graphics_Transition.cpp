#include "graphics/Graphics_Transition.h"

#include <cmath>
#include <numbers>
#include <unordered_map>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Script_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Class.h"
#include "world/Run_State.h"
#include "variables/Code_Function.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kBuiltInKinds = 21;
constexpr int32_t kMaxKind = 999999;

struct RUserTransition {
  int32_t function = -1;  // a function id: a script, an extension function or a built-in
  std::string name;
};
std::unordered_map<int32_t, RUserTransition> g_User;

int32_t g_Kind = 0, g_Steps = 1;
int32_t g_A = -1, g_B = -1;  // the old and the new room's pictures

int64_t Round(double v) { return Graphics_Round(v); }

RImageRef Picture(int32_t surface) {
  const RSurface* s = Surface_Get(surface);
  return s ? RImageRef{s->texture, s->width, s->height} : RImageRef{};
}

void Whole(int32_t surface, double x, double y, double alpha = 1) {
  Image_DrawExt(Picture(surface), x, y, 1, 1, 0, 0xFFFFFF, alpha);
}

void Part(int32_t surface, double left, double top, double w, double h) {
  Image_DrawPart(Picture(surface), left, top, w, h, left, top, 1, 1, 0xFFFFFF, 1);
}

// The wipes of kinds 1 to 4: B revealed from one edge over A.
void Wipe(int32_t kind, double f, int32_t a, int32_t b, int32_t w, int32_t h) {
  Whole(a, 0, 0);
  const double pw = Round(w * f), ph = Round(h * f);
  switch (kind) {
    case 1: Part(b, 0, 0, pw, h); break;
    case 2: Part(b, w - pw, 0, pw, h); break;
    case 3: Part(b, 0, 0, w, ph); break;
    default: Part(b, 0, h - ph, w, ph); break;
  }
}

void Frame(double f) {
  const RSurface* a = Surface_Get(g_A);
  const int32_t w = a ? a->width : 0, h = a ? a->height : 0;
  auto user = g_User.find(g_Kind);
  if (user == g_User.end()) return Transition_Draw(g_Kind, g_Steps, f, g_A, g_B, w, h);
  if (user->second.function < SCRIPT_ID_BASE) return;  // a built-in function draws nothing
  CInstance temporary;
  temporary.Create(0, 0, 0, 0);
  RValue args[MAX_ARGUMENTS] = {RValue(double(g_A)), RValue(double(g_B)), RValue(double(w)), RValue(double(h)), RValue(f)};
  RValue result;
  const int32_t function = user->second.function;
  bool ok = function >= EXTENSION_ID_BASE
                ? Exec_CallExtension(function - EXTENSION_ID_BASE, &temporary, &temporary, result, args, 5)
                : CallScript(function - SCRIPT_ID_BASE, &temporary, &temporary, result, args, 5);
  if (!ok)
    ReportError("ERROR in transition function " + user->second.name + "\r" + RecordedError(), false);
}

}  // namespace

bool Transition_Exists(int32_t kind) { return (kind >= 1 && kind <= kBuiltInKinds) || g_User.count(kind) > 0; }

bool Transition_Define(int32_t kind, const std::string& name) {
  const int32_t function = FunctionIdOf(name);
  if (function < 0) return false;
  if (kind >= 1 && kind <= kMaxKind) g_User[kind] = {function, name};
  return true;
}

void Transition_Reset() { g_User.clear(); }

void Transition_Cancel() {
  if (!Transition_Waiting()) return;
  Surface_ResetTarget();
  Surface_Free(g_A);
  Surface_Free(g_B);
  g_A = g_B = -1;
}

void Transition_Begin(int32_t kind, int32_t steps) {
  // A room left before its first picture was shown drops the transition
  // that led into it.
  Transition_Cancel();
  g_Kind = kind;
  g_Steps = std::max(1, steps);
  if (!Transition_Exists(kind) || !D3D_DeviceExists() || !Room_Current()) return;
  g_A = Surface_Create(D3D_DrawingWidth(), D3D_DrawingHeight());
  if (g_A < 0) {
    g_Kind = -1;
    return;
  }
  // The old room as it looks now, its room change hidden from the drawing.
  Surface_SetTarget(g_A);
  const int32_t request = RunState.PendingRoom;
  RunState.PendingRoom = REQUEST_NONE;
  Room_Draw(*Room_Current());
  RunState.PendingRoom = request;
  g_B = Surface_Create(D3D_DrawingWidth(), D3D_DrawingHeight());
  if (g_B < 0) {
    g_Kind = -1;
    Surface_ResetTarget();
    Surface_Free(g_A);
    g_A = -1;
    return;
  }
  Surface_SetTarget(g_B);
}

bool Transition_Waiting() { return g_A >= 0 && g_B >= 0; }

void Transition_Finish() {
  if (!Transition_Waiting()) return;
  Surface_ResetTarget();
  for (int32_t count = 0; count <= g_Steps; count++) {
    D3D_BeginFrame();
    Frame(double(count) / g_Steps);
    D3D_WaitVerticalBlank();
    D3D_Present();
  }
  Transition_Cancel();
}

void Transition_Draw(int32_t kind, int32_t steps, double f, int32_t a, int32_t b, int32_t w, int32_t h) {
  const double pw = Round(w * f), ph = Round(h * f);
  switch (kind) {
    case 1: case 2: case 3: case 4: return Wipe(kind, f, a, b, w, h);
    case 5:
      Whole(a, 0, 0);
      Image_DrawPart(Picture(b), Round((w - w * f) / 2), Round((h - h * f) / 2), pw, ph, Round((w - w * f) / 2),
                     Round((h - h * f) / 2), 1, 1, 0xFFFFFF, 1);
      return;
    case 6: Whole(a, 0, 0); return Whole(b, pw - w, 0);
    case 7: Whole(a, 0, 0); return Whole(b, w - pw, 0);
    case 8: Whole(a, 0, 0); return Whole(b, 0, ph - h);
    case 9: Whole(a, 0, 0); return Whole(b, 0, h - ph);
    case 10: case 11: case 12: case 13: {
      const int32_t n = steps, c = static_cast<int32_t>(Round(f * n)), g = n / 2;
      if (c == n) return Whole(b, 0, 0);
      if (c > g && g > 0)
        Wipe(kind - 9, double(c - g) / g, a, b, w, h);
      else
        Whole(a, 0, 0);
      for (int32_t i = 0; i <= g; i++) {
        const bool shown = (kind == 10 || kind == 12) ? i <= c : i >= g - c;
        if (!shown) continue;
        if (kind <= 11)
          Part(b, Round(2.0 * i * w / n), 0, Round(double(w) / n), h);
        else
          Part(b, 0, Round(2.0 * i * h / n), w, Round(double(h) / n));
      }
      return;
    }
    case 14: Whole(a, pw, 0); return Whole(b, pw - w, 0);
    case 15: Whole(a, -pw, 0); return Whole(b, w - pw, 0);
    case 16: Whole(a, 0, ph); return Whole(b, 0, ph - h);
    case 17: Whole(a, 0, -ph); return Whole(b, 0, h - ph);
    case 18: case 19: {
      // B grows and turns about the centre.
      Whole(a, 0, 0);
      const double phi = 2 * std::numbers::pi * std::sqrt(f) * (kind == 19 ? -1 : 1);
      const double c = std::cos(phi), s = std::sin(phi);
      const double ox = w * f / 2, oy = h * f / 2;  // the centre of the scaled picture, from its corner
      const double x = w / 2.0 - (ox * c + oy * s), y = h / 2.0 - (-ox * s + oy * c);
      return Image_DrawExt(Picture(b), x, y, f, f, phi * 180 / std::numbers::pi, 0xFFFFFF, 1);
    }
    case 20: Whole(a, 0, 0); return Whole(b, 0, 0, f);
    case 21:
      D3D_Clear(0);
      if (f > 0.5) return Whole(b, 0, 0, 2 * f - 1);
      return Whole(a, 0, 0, 1 - 2 * f);
    default: return;
  }
}
