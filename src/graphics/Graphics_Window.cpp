#include "graphics/Graphics_Window.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "platform/Platform_Graphics.h"

std::array<RWindowView, WINDOW_VIEW_SLOTS> Window_Views;

namespace {

struct RWindowState {
  int32_t region_width = 640, region_height = 480;
  double scale = 1.0;
  bool visible = false;
  bool full_screen = false;
  bool border = true;
  bool icons = true;
  bool sizeable = false;
  bool stay_on_top = false;
  std::string caption;
  int32_t cursor = 0;
  int32_t colour = 0xFFFFFF;
  // The window rectangle (client origin and size) to return to from full screen.
  int32_t saved_x = 0, saved_y = 0, saved_width = 0, saved_height = 0;
};
RWindowState g_Win;

int32_t Round32(double v) { return static_cast<int32_t>(std::clamp<int64_t>(Graphics_Round(v), INT32_MIN, INT32_MAX)); }

// The scale factor of a region rectangle: s itself, or the largest that fits.
double Factor(int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s) {
  if (s > 0) return s;
  if (rw <= 0 || rh <= 0) return 0;
  return std::min(static_cast<double>(ch) / rh, static_cast<double>(cw) / rw);
}

void ClientSize(int32_t& cw, int32_t& ch) { PlatformWindow_GetClientSize(cw, ch); }

// With a positive scale the client is set to (adapt) or grown to at least the
// scaled region.
void AdaptClient(bool adapt) {
  if (g_Win.scale <= 0 || !PlatformWindow_Exists() || g_Win.full_screen) return;
  const int32_t w = Round32(g_Win.region_width * g_Win.scale), h = Round32(g_Win.region_height * g_Win.scale);
  int32_t cw = 0, ch = 0;
  ClientSize(cw, ch);
  if (adapt)
    PlatformWindow_SetClientSize(w, h);
  else if (cw < w || ch < h)
    PlatformWindow_SetClientSize(std::max(cw, w), std::max(ch, h));
}

void RegionMouse(int32_t& px, int32_t& py) {
  int32_t mx = 0, my = 0, cw = 0, ch = 0;
  PlatformWindow_GetMouse(mx, my);
  ClientSize(cw, ch);
  Window_ClientToRegion(mx, my, cw, ch, g_Win.region_width, g_Win.region_height, g_Win.scale, px, py);
}

void SetRegionMouse(int32_t px, int32_t py) {
  int32_t cw = 0, ch = 0, x = 0, y = 0;
  ClientSize(cw, ch);
  Window_RegionToClient(px, py, cw, ch, g_Win.region_width, g_Win.region_height, g_Win.scale, x, y);
  PlatformWindow_SetMouse(x, y);
}

bool Degenerate(const RWindowView& v) {
  return v.port_width == 0 || v.port_height == 0 || v.view_width == 0 || v.view_height == 0;
}

}  // namespace

// ---- Rules ----------------------------------------------------------------------

RRegionRect Window_RegionRectangle(int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s) {
  if (s == 0) return {0, 0, cw, ch};
  const double f = Factor(cw, ch, rw, rh, s);
  RRegionRect r;
  r.width = Round32(rw * f);
  r.height = Round32(rh * f);
  r.left = (cw - r.width) / 2;
  r.top = (ch - r.height) / 2;
  return r;
}

void Window_ClientToRegion(int32_t x, int32_t y, int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s,
                           int32_t& rx, int32_t& ry) {
  if (s == 0) {
    rx = cw > 0 ? Round32(static_cast<double>(x) * rw / cw) : 0;
    ry = ch > 0 ? Round32(static_cast<double>(y) * rh / ch) : 0;
    return;
  }
  const double f = Factor(cw, ch, rw, rh, s);
  if (f == 0) {
    rx = ry = 0;
    return;
  }
  rx = Round32((x - (cw - Round32(rw * f)) / 2) / f);
  ry = Round32((y - (ch - Round32(rh * f)) / 2) / f);
}

void Window_RegionToClient(int32_t rx, int32_t ry, int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s,
                           int32_t& x, int32_t& y) {
  if (s == 0) {
    x = rw > 0 ? Round32(static_cast<double>(rx) * cw / rw) : 0;
    y = rh > 0 ? Round32(static_cast<double>(ry) * ch / rh) : 0;
    return;
  }
  const double f = Factor(cw, ch, rw, rh, s);
  x = Round32(rx * f + (cw - Round32(rw * f)) / 2);
  y = Round32(ry * f + (ch - Round32(rh * f)) / 2);
}

void Window_RegionToView(const RWindowView& v, int32_t px, int32_t py, int32_t& x, int32_t& y) {
  if (Degenerate(v)) {
    x = px;
    y = py;
    return;
  }
  double dx = (px - v.port_x) * v.view_width / v.port_width;
  double dy = (py - v.port_y) * v.view_height / v.port_height;
  if (std::abs(v.angle) < 0.01) {
    x = Round32(dx + v.view_x);
    y = Round32(dy + v.view_y);
    return;
  }
  const double theta = -v.angle * std::numbers::pi / 180.0, c = std::cos(theta), s = std::sin(theta);
  dx -= v.view_width / 2;
  dy -= v.view_height / 2;
  x = Round32(c * dx + s * dy + v.view_x + v.view_width / 2);
  y = Round32(v.view_y + v.view_height / 2 - s * dx + c * dy);
}

void Window_ViewToRegion(const RWindowView& v, int32_t x, int32_t y, int32_t& px, int32_t& py) {
  if (Degenerate(v)) {
    px = x;
    py = y;
    return;
  }
  double dx = x - v.view_x, dy = y - v.view_y;
  if (std::abs(v.angle) >= 0.01) {
    const double theta = -v.angle * std::numbers::pi / 180.0, c = std::cos(theta), s = std::sin(theta);
    const double ex = dx - v.view_width / 2, ey = dy - v.view_height / 2;
    dx = c * ex - s * ey + v.view_width / 2;
    dy = s * ex + c * ey + v.view_height / 2;
  }
  px = Round32(dx * v.port_width / v.view_width + v.port_x);
  py = Round32(dy * v.port_height / v.view_height + v.port_y);
}

void Window_RegionToRoom(const std::array<RWindowView, WINDOW_VIEW_SLOTS>& views, int32_t px, int32_t py,
                         int32_t& x, int32_t& y) {
  x = px;
  y = py;
  for (int32_t i = WINDOW_VIEW_SLOTS - 1; i >= 0; --i) {
    const RWindowView& v = views[i];
    if (!v.used) continue;
    Window_RegionToView(v, px, py, x, y);
    if (v.view_x <= x && x < v.view_x + v.view_width && v.view_y <= y && y < v.view_y + v.view_height) return;
  }
}

// ---- Window -----------------------------------------------------------------------

bool Window_ApplySettings(const RSettings& settings) {
  if (!PlatformWindow_Create(8, 8)) return false;
  Window_SetRegionSize(8, 8, true);
  Window_SetRegionScale(settings.Scale / 100.0, true);
  Window_SetSizeable(settings.Sizeable);
  Window_SetStayOnTop(settings.StayOnTop);
  Window_SetColour(settings.WindowColor);
  Window_SetShowBorder(!settings.NoBorder);
  Window_SetShowIcons(!settings.NoButtons);
  Window_SetFullScreen(settings.FullScreen);
  Window_SetCursor(settings.ShowCursor ? CURSOR_DEFAULT : CURSOR_NONE);
  return true;
}

void Window_SetRegionSize(int32_t width, int32_t height, bool adapt) {
  if (width > 0) g_Win.region_width = width;
  if (height > 0) g_Win.region_height = height;
  AdaptClient(adapt);
}

int32_t Window_GetRegionWidth() { return g_Win.region_width; }
int32_t Window_GetRegionHeight() { return g_Win.region_height; }

void Window_SetRegionScale(double scale, bool adapt) {
  g_Win.scale = scale;
  AdaptClient(adapt);
}

double Window_GetRegionScale() { return g_Win.scale; }

void Window_SetRegionForRoom(int32_t width, int32_t height) {
  RDisplayMode mode;
  if (PlatformDisplay_GetMode(mode)) {
    width = std::min(width, mode.width);
    height = std::min(height, mode.height);
  }
  if (width == g_Win.region_width && height == g_Win.region_height) return;
  Window_SetRegionSize(width, height, true);
  Window_Default();
  D3D_SetRegionDrawingSize(width, height);
}

RRegionRect Window_CurrentRegionRectangle() {
  int32_t cw = 0, ch = 0;
  ClientSize(cw, ch);
  return Window_RegionRectangle(cw, ch, g_Win.region_width, g_Win.region_height, g_Win.scale);
}

bool Window_IsActive() { return PlatformWindow_HasFocus(); }

void Window_SetVisible(bool visible) {
  g_Win.visible = visible;
  PlatformWindow_SetVisible(visible);
}
bool Window_GetVisible() { return g_Win.visible; }

// Full screen is a borderless window covering the display, which every window
// manager honours; leaving it restores the border and the remembered rectangle.
void Window_SetFullScreen(bool full) {
  if (g_Win.full_screen == full) return;
  RDisplayMode mode;
  if (full && !PlatformDisplay_GetMode(mode)) return;
  g_Win.full_screen = full;
  if (full) {
    PlatformWindow_GetPosition(g_Win.saved_x, g_Win.saved_y);
    ClientSize(g_Win.saved_width, g_Win.saved_height);
    PlatformWindow_SetBorder(false);
    PlatformWindow_SetResizable(false);
    PlatformWindow_SetClientSize(mode.width, mode.height);
    PlatformWindow_SetPosition(0, 0);
  } else {
    PlatformWindow_SetBorder(g_Win.border);
    PlatformWindow_SetResizable(g_Win.sizeable);
    PlatformWindow_SetClientSize(g_Win.saved_width, g_Win.saved_height);
    PlatformWindow_SetPosition(g_Win.saved_x, g_Win.saved_y);
  }
}
bool Window_GetFullScreen() { return g_Win.full_screen; }
void Window_ToggleFullScreen() { Window_SetFullScreen(!g_Win.full_screen); }

void Window_SetShowBorder(bool border) {
  g_Win.border = border;
  PlatformWindow_SetBorder(border && !g_Win.full_screen);
}
bool Window_GetShowBorder() { return g_Win.border; }

void Window_SetShowIcons(bool icons) { g_Win.icons = icons; }
bool Window_GetShowIcons() { return g_Win.icons; }

void Window_SetSizeable(bool sizeable) {
  g_Win.sizeable = sizeable;
  PlatformWindow_SetResizable(sizeable && !g_Win.full_screen);
}
bool Window_GetSizeable() { return g_Win.sizeable; }

void Window_SetStayOnTop(bool on_top) {
  g_Win.stay_on_top = on_top;
  PlatformWindow_SetStayOnTop(on_top);
}
bool Window_GetStayOnTop() { return g_Win.stay_on_top; }

void Window_SetCaption(const std::string& caption) {
  // The room drawing sets it every frame; the desktop hears of changes only.
  if (caption == g_Win.caption) return;
  g_Win.caption = caption;
  PlatformWindow_SetCaption(caption);
}
const std::string& Window_GetCaption() { return g_Win.caption; }

ESystemCursor Window_CursorShape(int32_t cursor) {
  // Codes from cr_arrow (-2) down to cr_size_all (-22); -5 was never used.
  // Shapes the desktop lacks (up arrow, drag, help) show as the arrow.
  static constexpr ESystemCursor kShapes[] = {
      ESystemCursor::Arrow,     ESystemCursor::Cross,     ESystemCursor::Beam,   ESystemCursor::Arrow,
      ESystemCursor::SizeNESW,  ESystemCursor::SizeNS,    ESystemCursor::SizeNWSE, ESystemCursor::SizeWE,
      ESystemCursor::Arrow,     ESystemCursor::Wait,      ESystemCursor::Arrow,  ESystemCursor::No,
      ESystemCursor::SizeNS,    ESystemCursor::SizeWE,    ESystemCursor::Arrow,  ESystemCursor::WaitArrow,
      ESystemCursor::No,        ESystemCursor::WaitArrow, ESystemCursor::Arrow,  ESystemCursor::Hand,
      ESystemCursor::SizeAll};
  const int32_t index = -2 - cursor;
  return index >= 0 && index < int32_t(std::size(kShapes)) ? kShapes[index] : ESystemCursor::Arrow;
}

void Window_SetCursor(int32_t cursor) {
  g_Win.cursor = cursor;
  Settings.ShowCursor = cursor != CURSOR_NONE;
  PlatformWindow_SetCursorVisible(Settings.ShowCursor);
  if (Settings.ShowCursor) PlatformWindow_SetCursorShape(Window_CursorShape(cursor));
}
int32_t Window_GetCursor() { return g_Win.cursor; }

void Window_ShowDefaultCursor() {
  g_Win.cursor = CURSOR_DEFAULT;
  PlatformWindow_SetCursorVisible(true);
}

void Window_SetColour(int32_t colour) { g_Win.colour = colour; }
int32_t Window_GetColour() { return g_Win.colour; }

void Window_SetPosition(int32_t x, int32_t y) { PlatformWindow_SetPosition(x, y); }

void Window_SetSize(int32_t width, int32_t height) {
  if (g_Win.scale > 0) {
    width = std::max(width, Round32(g_Win.region_width * g_Win.scale));
    height = std::max(height, Round32(g_Win.region_height * g_Win.scale));
  }
  PlatformWindow_SetClientSize(width, height);
}

void Window_SetRectangle(int32_t x, int32_t y, int32_t width, int32_t height) {
  Window_SetPosition(x, y);
  Window_SetSize(width, height);
}

void Window_Center() {
  RDisplayMode mode;
  if (!PlatformDisplay_GetMode(mode)) return;
  int32_t cw = 0, ch = 0;
  ClientSize(cw, ch);
  PlatformWindow_SetPosition((mode.width - cw) / 2, (mode.height - ch) / 2);
}

void Window_Default() {
  AdaptClient(true);
  Window_Center();
}

int32_t Window_GetX() { return Graphics_PairPart<PlatformWindow_GetPosition, false>(); }
int32_t Window_GetY() { return Graphics_PairPart<PlatformWindow_GetPosition, true>(); }
int32_t Window_GetWidth() { return Graphics_PairPart<ClientSize, false>(); }
int32_t Window_GetHeight() { return Graphics_PairPart<ClientSize, true>(); }

int32_t Window_MouseGetX() { return Graphics_PairPart<PlatformWindow_GetMouse, false>(); }
int32_t Window_MouseGetY() { return Graphics_PairPart<PlatformWindow_GetMouse, true>(); }
void Window_MouseSet(int32_t x, int32_t y) { PlatformWindow_SetMouse(x, y); }

void Window_ViewMouseGet(int32_t view, int32_t& x, int32_t& y) {
  int32_t px = 0, py = 0;
  RegionMouse(px, py);
  if (view < 0 || view >= WINDOW_VIEW_SLOTS) {
    x = px;
    y = py;
    return;
  }
  Window_RegionToView(Window_Views[view], px, py, x, y);
}

void Window_ViewMouseSet(int32_t view, int32_t x, int32_t y) {
  int32_t px = x, py = y;
  if (view >= 0 && view < WINDOW_VIEW_SLOTS) Window_ViewToRegion(Window_Views[view], x, y, px, py);
  SetRegionMouse(px, py);
}

void Window_ViewsMouseGet(int32_t& x, int32_t& y) {
  int32_t px = 0, py = 0;
  RegionMouse(px, py);
  Window_RegionToRoom(Window_Views, px, py, x, y);
}

void Window_ViewsMouseSet(int32_t x, int32_t y) {
  auto first = std::find_if(Window_Views.begin(), Window_Views.end(), [](const RWindowView& v) { return v.used; });
  int32_t px = x, py = y;
  if (first != Window_Views.end()) Window_ViewToRegion(*first, x, y, px, py);
  SetRegionMouse(px, py);
}
