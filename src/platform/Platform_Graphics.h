// Platform_Graphics: the game window and the drawing device (SDL2 window,
// OpenGL 3.3 core context through libepoxy). The engine's drawing layer
// (src/graphics) is the only caller; it keeps the rules, this keeps the
// platform calls.
#pragma once

#include <cstdint>
#include <string>

// ---- Display --------------------------------------------------------------

struct RDisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 32;  // 16 or 32 for every usable mode (24-bit colour in 32-bit pixels reads 32)
  int32_t frequency = 0;
};
// The desktop's current mode; false when it cannot be read.
bool PlatformDisplay_GetMode(RDisplayMode& mode);
// The mouse on the screen.
void PlatformDisplay_GetMouse(int32_t& x, int32_t& y);
void PlatformDisplay_SetMouse(int32_t x, int32_t y);
// Whether the display offers a mode with that size, and the frequency and
// colour depth where they are above 0 (0 or less: any). Without a display
// the answer is always no.
bool PlatformDisplay_TestMode(const RDisplayMode& mode);
// Changes the display to that mode for the game window, which then covers
// the screen; false, with nothing changed, when the display refuses it. The
// desktop's own mode comes back at PlatformDisplay_RestoreMode, when the
// window is destroyed, and at any exit of the process.
bool PlatformDisplay_SetMode(const RDisplayMode& mode);
// Gives the desktop its own mode back; true when a change was undone.
bool PlatformDisplay_RestoreMode();
bool PlatformDisplay_ModeChanged();

// ---- Game window ------------------------------------------------------------

// Creates the game window, hidden, with the given client size. Idempotent.
bool PlatformWindow_Create(int32_t width, int32_t height);
// Destroys the drawing device and the window.
void PlatformWindow_Destroy();
bool PlatformWindow_Exists();
// The window system's own handle of the game window (an X11 window id, a
// Wayland surface address), 0 when there is none.
uint64_t PlatformWindow_NativeHandle();
// Whether the game window has the keyboard focus (the program is active).
bool PlatformWindow_HasFocus();
// Called when the window must be painted again (uncovered or resized).
void PlatformWindow_SetRepaintHandler(void (*repaint)());

void PlatformWindow_SetVisible(bool visible);
void PlatformWindow_SetCaption(const std::string& caption);
void PlatformWindow_SetBorder(bool border);
void PlatformWindow_SetResizable(bool resizable);
void PlatformWindow_SetStayOnTop(bool on_top);
void PlatformWindow_SetCursorVisible(bool visible);
// The desktop's own cursor shapes.
enum class ESystemCursor { Arrow, Cross, Beam, SizeNESW, SizeNS, SizeNWSE, SizeWE, Wait, WaitArrow, No, Hand, SizeAll };
// The shape of the cursor over the game window (where the desktop has it).
void PlatformWindow_SetCursorShape(ESystemCursor shape);
// Client area origin on the screen and size.
void PlatformWindow_SetPosition(int32_t x, int32_t y);
void PlatformWindow_GetPosition(int32_t& x, int32_t& y);
void PlatformWindow_SetClientSize(int32_t width, int32_t height);
void PlatformWindow_GetClientSize(int32_t& width, int32_t& height);
// Mouse relative to the client area's top-left corner.
void PlatformWindow_GetMouse(int32_t& x, int32_t& y);
void PlatformWindow_SetMouse(int32_t x, int32_t y);

// ---- Drawing device -----------------------------------------------------------

// One vertex of every primitive: position, colour 0xAARRGGBB, texture coordinates.
struct RVertex {
  float x, y, z;
  uint32_t colour;
  float u, v;
};

// Primitive kinds, numbered as the engine's pr_ constants.
enum : int32_t {
  PRIM_POINTLIST = 1,
  PRIM_LINELIST = 2,
  PRIM_LINESTRIP = 3,
  PRIM_TRIANGLELIST = 4,
  PRIM_TRIANGLESTRIP = 5,
  PRIM_TRIANGLEFAN = 6,
};

// Creates the GL context on the game window and a back buffer of the given
// size (the display size). Returns false with a reason in `error`.
bool PlatformGL_Create(int32_t back_width, int32_t back_height, std::string& error);
void PlatformGL_Destroy();
bool PlatformGL_Exists();

// Device textures. A handle is never 0; 0 means failure / none.
// The largest side a texture may have.
int32_t PlatformGL_MaxTextureSize();
uint32_t PlatformGL_CreateTexture(int32_t width, int32_t height);
// Loads width x height pixels (0xAARRGGBB, rows top first) at (0, 0).
bool PlatformGL_UploadTexture(uint32_t handle, int32_t width, int32_t height, const uint32_t* pixels);
void PlatformGL_FreeTexture(uint32_t handle);

// Render state. Every change ends the current batch.
void PlatformGL_SetTexture(uint32_t handle);  // 0: untextured (white)
// Blend factors as the engine's bm_ codes (1 zero ... 11 source alpha saturate).
void PlatformGL_SetBlend(int32_t source, int32_t destination);
void PlatformGL_SetInterpolation(bool linear);
void PlatformGL_SetRepeat(bool repeat);
// On: colour = texture x vertex colour; off: texture only.
void PlatformGL_SetTextureBlending(bool modulate);
// Drawing area in back-buffer pixels (top-left origin) and the projection
// (column-major 4x4) that maps coordinates into it.
void PlatformGL_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
void PlatformGL_SetProjection(const float matrix[16]);
// Whether pending quads may reach the GPU as point sprites (on at first):
// one vertex each for upright squares of whole pixels, where that draws
// exactly the pixels the quad's two triangles draw. Off draws every quad as
// two triangles, for comparisons.
void PlatformGL_AllowPointSprites(bool on);

// Adds one quad (top-left, top-right, bottom-right, bottom-left); quads that
// share all state reach the GPU in one draw call.
void PlatformGL_AddQuad(const RVertex quad[4]);
// The most quads one PlatformGL_QuadSpace call hands out.
constexpr int32_t PLATFORM_QUAD_SPACE = 1024;
// Room for `count` (1 .. PLATFORM_QUAD_SPACE) more quads at the end of the
// pending batch, 4 * count vertices in AddQuad's corner order, for callers
// that build many quads without a copy. The caller writes every vertex
// before its next call of any PlatformGL_ function; the quads then draw
// exactly as added ones. Null without a device or for a count out of range.
RVertex* PlatformGL_QuadSpace(int32_t count);
// An upright image: corner (x0, y0) with texture coordinates (u0, v0), the
// opposite corner (x1, y1) with (u1, v1), one colour and one depth.
struct RImageRect {
  float x0, y0, x1, y1;
  float u0, v0, u1, v1;
  uint32_t colour;
  float z;
};
// Room for one more such image at the end of the pending batch, under the
// terms of PlatformGL_QuadSpace: it draws exactly as the quad (x0, y0),
// (x1, y0), (x1, y1), (x0, y1) with texture coordinates (u0, v0), (u1, v0),
// (u1, v1), (u0, v1) would, and costs less to add and to draw.
RImageRect* PlatformGL_RectSpace();
// Draws other primitives at once (after the pending quads).
void PlatformGL_DrawPrimitive(int32_t kind, const RVertex* vertices, int32_t count);
// Clears the viewport to 0xAARRGGBB.
void PlatformGL_Clear(uint32_t argb);
// Sends the pending quads to the GPU.
void PlatformGL_Flush();
// Shows a picture of width x height pixels (0xAARRGGBB, rows top first)
// filling the game window's client area, in place of the drawing area,
// which keeps what was drawn. False without a device.
bool PlatformGL_ShowPicture(const uint32_t* pixels, int32_t width, int32_t height);

// Makes a texture (0: the back buffer) the target that drawing, clearing and
// reading go to; false, with the target unchanged, when the texture cannot be
// one.
bool PlatformGL_SetTarget(uint32_t texture);
// Copies a rectangle from one texture to another: no scaling, no blending.
void PlatformGL_CopyRect(uint32_t source, int32_t sx, int32_t sy, int32_t width, int32_t height, uint32_t dest,
                         int32_t dx, int32_t dy);

// Reads pixels of the target as 0xAARRGGBB, rows top first; false when the
// rectangle is not inside it.
bool PlatformGL_ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t* out);
// Copies (0, 0, source w, source h) of the back buffer into the destination
// rectangle of the client area, fills the rest with `band_colour`
// (0x00RRGGBB), and shows the result.
void PlatformGL_Present(int32_t source_width, int32_t source_height, int32_t dest_x, int32_t dest_y,
                        int32_t dest_width, int32_t dest_height, uint32_t band_colour, bool smooth);
// As PlatformGL_Present, but the device goes on drawing the frame while the
// caller goes on: the frame is shown before anything else draws, reads,
// changes the target or presents, at PlatformGL_FinishPresent, or before the
// process sleeps or asks the player something, whichever comes first.
void PlatformGL_PresentLater(int32_t source_width, int32_t source_height, int32_t dest_x, int32_t dest_y,
                             int32_t dest_width, int32_t dest_height, uint32_t band_colour, bool smooth);
// Shows the frame PresentLater left waiting, if any.
void PlatformGL_FinishPresent();
// Whether the back buffer is the window's own framebuffer at the moment
// (the region fills the window pixel for pixel, and the window can hold it),
// so that presenting copies nothing.
bool PlatformGL_DrawsInWindow();
void PlatformGL_SetSwapInterval(bool vsync);
// Blocks until the next vertical blank (an estimate from the refresh rate).
void PlatformGL_WaitVerticalBlank();
// ---- 3D drawing -------------------------------------------------------------
//
// Everything below also acts on the 2D drawing above: the world matrix moves
// quads and primitives, and lighting, fog, flat shading and the alpha test
// apply to whatever is drawn while they are on.

// A vertex with a normal: position, normal, colour 0xAARRGGBB, texture
// coordinates (36 bytes, the layout scripts' 3D primitives are built in).
struct RVertex3D {
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;
  float u, v;
};
static_assert(sizeof(RVertex3D) == 36);

// A vertex of a stored mesh: `tint` 1 takes the colour given when the mesh is
// drawn instead of its own (vertices that follow the drawing colour).
struct RMeshVertex {
  RVertex3D vertex;
  float tint;
};

// A light: diffuse colour 0..1; a direction (the way the light travels) or a
// position with a range and a linear attenuation (constant attenuation 1).
struct RLight {
  bool point = false;
  float red = 0, green = 0, blue = 0;
  float x = 0, y = 0, z = 0;
  float range = 0;
  float attenuation = 0;
};
// Light indices 0 ... PLATFORM_MAX_LIGHTS - 1; others are ignored.
constexpr int32_t PLATFORM_MAX_LIGHTS = 8;

// Gives the back buffer a depth buffer or takes it away; false when the
// device cannot make one (nothing changes then).
bool PlatformGL_SetDepthBuffer(bool on);
// Clears the depth buffer inside the viewport to the far plane.
void PlatformGL_ClearDepth();
// Hidden-surface removal: depth test (less or equal, writing depth) and an
// alpha test that drops fully transparent fragments.
void PlatformGL_SetHiddenSurface(bool on);
// Culls the faces that appear counter-clockwise on screen.
void PlatformGL_SetCulling(bool on);
// Smooth: colours interpolated; flat: each triangle takes its first vertex's.
void PlatformGL_SetShading(bool smooth);
// Per-vertex diffuse lighting of the vertex colour by the enabled lights.
void PlatformGL_SetLighting(bool on);
void PlatformGL_SetLight(int32_t index, const RLight& light);
void PlatformGL_EnableLight(int32_t index, bool on);
// Linear fog by the distance along the view direction: colour 0x00RRGGBB.
void PlatformGL_SetFog(bool on, uint32_t rgb, float start, float end);
// The world matrix (column-major) that every vertex passes before the
// projection; `identity` says it moves nothing.
void PlatformGL_SetWorld(const float matrix[16], bool identity);
// The view part of the projection (column-major), for the fog distance.
void PlatformGL_SetView(const float matrix[16]);
// Draws a primitive of 3D vertices at once.
void PlatformGL_DrawPrimitive3D(int32_t kind, const RVertex3D* vertices, int32_t count);

// Meshes: vertices kept on the device to be drawn many times. A handle is
// never 0; handles of a released device are never reused, and drawing one
// that is gone returns false.
uint32_t PlatformGL_CreateMesh(const RMeshVertex* vertices, int32_t count);
void PlatformGL_FreeMesh(uint32_t mesh);
// Draws `count` vertices from `first` as a point, line or triangle list,
// moved by `offset` before the world matrix, with `tint` (0xAARRGGBB) for the
// tinted vertices.
bool PlatformGL_DrawMesh(uint32_t mesh, int32_t kind, int32_t first, int32_t count, const float offset[3],
                         uint32_t tint);

// Draw calls issued since the device was created (for tests and benchmarks).
int64_t PlatformGL_DrawCalls();
// Quads drawn as point sprites since then.
int64_t PlatformGL_PointSprites();
