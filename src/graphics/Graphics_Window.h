// Graphics_Window: the game window's settings, the region through which it
// shows the room, and the mapping of the mouse from the window to the room.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// One coordinate of a platform query that answers with two (x and y, or
// width and height): Second picks the second.
template <void (*Query)(int32_t&, int32_t&), bool Second>
int32_t Graphics_PairPart() {
  int32_t a = 0, b = 0;
  Query(a, b);
  return Second ? b : a;
}

struct RSettings;

// A rectangle of the client area.
struct RRegionRect {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

// One slot of the window view table (filled by room drawing each frame).
struct RWindowView {
  bool used = false;
  double view_x = 0, view_y = 0, view_width = 0, view_height = 0;
  double port_x = 0, port_y = 0, port_width = 0, port_height = 0;
  double angle = 0;
};
constexpr int32_t WINDOW_VIEW_SLOTS = 32;
extern std::array<RWindowView, WINDOW_VIEW_SLOTS> Window_Views;

// ---- The rules on their own ------------------------------------------------

// Where a region of rw x rh shows in a cw x ch client area at scale s
// (0 fill, < 0 keep aspect, > 0 fixed).
RRegionRect Window_RegionRectangle(int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s);
// A client-area point as a region point.
void Window_ClientToRegion(int32_t x, int32_t y, int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s,
                           int32_t& rx, int32_t& ry);
// A region point as a client-area point (the reverse of the above).
void Window_RegionToClient(int32_t rx, int32_t ry, int32_t cw, int32_t ch, int32_t rw, int32_t rh, double s,
                           int32_t& x, int32_t& y);
// A region point seen through one view, as a room point.
void Window_RegionToView(const RWindowView& view, int32_t px, int32_t py, int32_t& x, int32_t& y);
// A room point as the region point that one view shows it at.
void Window_ViewToRegion(const RWindowView& view, int32_t x, int32_t y, int32_t& px, int32_t& py);
// The desktop cursor a cursor code shows as.
enum class ESystemCursor;
ESystemCursor Window_CursorShape(int32_t cursor);
// A region point as a room point through the table: the first used slot from
// 31 down whose view contains the point, else the lowest used slot; the region
// point itself when no slot is used.
void Window_RegionToRoom(const std::array<RWindowView, WINDOW_VIEW_SLOTS>& views, int32_t px, int32_t py,
                         int32_t& x, int32_t& y);

// ---- The game window ---------------------------------------------------------

// Creates the game window (hidden) and applies the settings in the start-up
// order: region 8 x 8, the scale, sizeable, stay on top, colour, border,
// caption buttons, full screen.
bool Window_ApplySettings(const RSettings& settings);

// Region size and scale. Sizes <= 0 leave that side. With a positive scale,
// `adapt` sets the client size to round(size x scale); without it the client
// only grows to at least that.
void Window_SetRegionSize(int32_t width, int32_t height, bool adapt);
int32_t Window_GetRegionWidth();
int32_t Window_GetRegionHeight();
void Window_SetRegionScale(double scale, bool adapt);
double Window_GetRegionScale();
// The room's region (width and height from the room or its views): limited to
// the display; when it changes the window is adapted and centred at its
// default size and the drawing size follows.
void Window_SetRegionForRoom(int32_t width, int32_t height);
// The region rectangle in the current client area.
RRegionRect Window_CurrentRegionRectangle();

// Whether the game window is the active one (FreezeOnLoseFocus).
bool Window_IsActive();
void Window_SetVisible(bool visible);
bool Window_GetVisible();
void Window_SetFullScreen(bool full);
bool Window_GetFullScreen();
void Window_ToggleFullScreen();
void Window_SetShowBorder(bool border);
bool Window_GetShowBorder();
// Caption buttons. SDL offers no control over them: the choice is kept and
// reported, the window manager decides.
void Window_SetShowIcons(bool icons);
bool Window_GetShowIcons();
void Window_SetSizeable(bool sizeable);
bool Window_GetSizeable();
void Window_SetStayOnTop(bool on_top);
bool Window_GetStayOnTop();
void Window_SetCaption(const std::string& caption);
const std::string& Window_GetCaption();
// Cursor shape code (the cr_ constants, 0 the default arrow); anything but
// -1 (none) shows the cursor, in the desktop's shape closest to the code, and
// the game's ShowCursor setting records whether it does.
enum : int32_t { CURSOR_DEFAULT = 0, CURSOR_NONE = -1 };
void Window_SetCursor(int32_t cursor);
// The default arrow, as a game's end leaves the window; ShowCursor keeps what
// the game set, for the next game start.
void Window_ShowDefaultCursor();
int32_t Window_GetCursor();
// The colour outside the region (0x00BBGGRR).
void Window_SetColour(int32_t colour);
int32_t Window_GetColour();

// Client origin and size; with a positive scale the size is at least the
// scaled region.
void Window_SetPosition(int32_t x, int32_t y);
void Window_SetSize(int32_t width, int32_t height);
void Window_SetRectangle(int32_t x, int32_t y, int32_t width, int32_t height);
void Window_Center();
// Client size = region x scale (positive scale), centred.
void Window_Default();
int32_t Window_GetX();
int32_t Window_GetY();
int32_t Window_GetWidth();
int32_t Window_GetHeight();

// The mouse: client coordinates, room coordinates through a view slot, and
// through whichever view contains it.
int32_t Window_MouseGetX();
int32_t Window_MouseGetY();
void Window_MouseSet(int32_t x, int32_t y);
void Window_ViewMouseGet(int32_t view, int32_t& x, int32_t& y);
void Window_ViewMouseSet(int32_t view, int32_t x, int32_t y);
void Window_ViewsMouseGet(int32_t& x, int32_t& y);
void Window_ViewsMouseSet(int32_t x, int32_t y);
