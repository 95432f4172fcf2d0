// Graphics_D3D: the drawing layer. Owns the drawing device, the render state
// record, the frame sequence and the geometry of every drawn image. Callers
// above it draw through these operations only.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/Platform_Graphics.h"

class CBitmap32;
struct RMatrix;

// Blend factor codes (the script's bm_ constants).
enum : int32_t {
  BLEND_ZERO = 1,
  BLEND_ONE = 2,
  BLEND_SRC_COLOR = 3,
  BLEND_INV_SRC_COLOR = 4,
  BLEND_SRC_ALPHA = 5,
  BLEND_INV_SRC_ALPHA = 6,
  BLEND_DEST_ALPHA = 7,
  BLEND_INV_DEST_ALPHA = 8,
  BLEND_DEST_COLOR = 9,
  BLEND_INV_DEST_COLOR = 10,
  BLEND_SRC_ALPHA_SAT = 11,
};

// The render state record, re-applied whenever the device is created.
struct RRenderState {
  int32_t blend_source = BLEND_SRC_ALPHA;
  int32_t blend_destination = BLEND_INV_SRC_ALPHA;
  bool interpolation = true;  // until the settings apply Interpolate
  bool texture_blending = true;
  bool texture_repeat = false;
  bool synchronisation = false;
};
const RRenderState& D3D_RenderState();

// Nearest integer, ties to even, for pixel positions; values beyond +-2^40
// (far outside any room) are held there and NaN gives 0, so that no
// coordinate can overflow.
int64_t Graphics_Round(double v);

// A game colour 0x00BBGGRR with an alpha (0 opaque ... 1, clamped) as the
// device's 0xAARRGGBB.
uint32_t D3D_ConvertColour(int32_t colour, double alpha);

// Creates the device on the game window (which must exist). The drawing size
// is (width, height) limited to the display. On failure shows the reason to
// the player and returns false.
bool D3D_CreateDevice(int32_t width, int32_t height, bool synchronisation);
void D3D_ReleaseDevice();
bool D3D_DeviceExists();
// Sets the device up again after the display changed under it: every surface
// is freed, drawing goes to the screen with the drawing size's viewport and
// projection. Textures stay.
void D3D_ResetDevice();

// The frame sequence: drawing happens between begin frame and present.
void D3D_BeginFrame();
// Ends the frame and shows the drawing area in the window's region rectangle.
void D3D_Present();
// As D3D_Present, but the device may finish the frame while the caller runs
// the next step: the frame is shown before the next drawing, read, sleep or
// question to the player, or at D3D_FinishPresent. For a runner that is
// behind its schedule, where showing the frame at once gains nothing.
void D3D_PresentLater();
void D3D_FinishPresent();
// Shows the last frame again without ending the scene.
void D3D_Refresh();

void D3D_Clear(int32_t colour);
void D3D_ClearAlpha(int32_t colour, double alpha);
void D3D_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height);
// The 2D projection showing the room area (x, y, width, height) turned by
// `angle` degrees, y growing downwards.
void D3D_Set2DProjection(double x, double y, double width, double height, double angle);
// The plain orthographic 2D projection whatever the 3D mode, and the
// perspective projection of the same area that the 2D projection becomes in
// 3D mode (the area filling the port at z = 0, y growing upwards).
void D3D_SetOrthoProjection(double x, double y, double width, double height, double angle);
void D3D_SetPerspectiveProjection(double x, double y, double width, double height, double angle);
// Any camera: view and projection matrices (row-vector convention). They hold
// until the next projection is set.
void D3D_SetCamera(const RMatrix& view, const RMatrix& projection);
const RMatrix& D3D_ViewMatrix();
const RMatrix& D3D_ProjectionMatrixNow();
// The projection as a column-major matrix for a viewport of vw x vh pixels
// (includes the half-pixel shift that puts pixel centres on whole coordinates).
void D3D_ProjectionMatrix(double x, double y, double width, double height, double angle, int32_t vw, int32_t vh,
                          float out[16]);
// Sets the drawing size (each side limited to the display); when it changes:
// viewport (0, 0, w, h) and the 2D projection of that area.
void D3D_SetRegionDrawingSize(int32_t width, int32_t height);
int32_t D3D_DrawingWidth();
int32_t D3D_DrawingHeight();

// Render states.
void D3D_SetBlendMode(int32_t mode);  // 0 normal, 1 add, 2 max, 3 subtract
void D3D_SetBlendFactors(int32_t source, int32_t destination);
void D3D_SetInterpolation(bool on);
void D3D_SetTextureBlending(bool on);
void D3D_SetTextureRepeat(bool on);
void D3D_SetSynchronisation(bool on);
// Puts blending, interpolation, texture blending and repeat back to their
// start values (a fresh game; synchronisation stays as the window set it).
void D3D_ResetRenderState();
void D3D_WaitVerticalBlank();
// The texture of later primitives (-1 or an invalid id: none).
void D3D_SetPrimitiveTexture(int32_t id);
// Draws a primitive (PRIM_ kind) with the primitive texture.
void D3D_DrawPrimitive(int32_t kind, const RVertex* vertices, int32_t count);

// Draws a primitive of 3D vertices with a texture id (none when invalid),
// wrapping the texture when `repeat` or the script's repeat state is on.
void D3D_DrawPrimitive3D(int32_t kind, int32_t texture, bool repeat, const RVertex3D* vertices, int32_t count);
// Draws part of a device mesh likewise; false when the mesh is gone (the
// device was created anew).
bool D3D_DrawMesh(uint32_t mesh, int32_t kind, int32_t first, int32_t count, int32_t texture, bool repeat,
                  const float offset[3], uint32_t tint);

// The four vertices of an image: source rectangle (sl, st, sw, sh) of a
// texture of device size W x H, anchor (x, y), origin, scales, angle in
// radians and the corner colours top-left, top-right, bottom-right,
// bottom-left.
void D3D_BuildQuad(RVertex quad[4], int32_t W, int32_t H, double sl, double st, double sw, double sh, double x,
                   double y, double ox, double oy, double xs, double ys, double angle, const uint32_t colours[4]);

// Image drawing; an invalid texture id draws nothing.
void DrawTexture(int32_t id, double x, double y);
void DrawTextureExt(int32_t id, double x, double y, double ox, double oy, double xs, double ys, double angle,
                    int32_t colour, double alpha);
void DrawTexturePart(int32_t id, double left, double top, double width, double height, double x, double y,
                     double xs, double ys, double angle, int32_t colour, double alpha);
// The source rectangle (left, top, width, height) placed with its point
// (ox, oy), relative to the rectangle, at (x, y); scaled, turned (radians) and
// in one colour. Consecutive calls with one texture and unchanged render
// states reach the device as one batch.
void DrawTexturePartExt(int32_t id, double left, double top, double width, double height, double x, double y,
                        double ox, double oy, double xs, double ys, double angle, int32_t colour, double alpha);
void DrawTextureGeneral(int32_t id, double left, double top, double width, double height, double x, double y,
                        double xs, double ys, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                        double alpha);
void DrawTextureTiled(int32_t id, double x, double y, double ox, double oy, double xs, double ys, bool tile_h,
                      bool tile_v, double area_left, double area_top, double area_width, double area_height,
                      int32_t colour, double alpha);

// Whether an angle (radians) turns an image; smaller ones draw it upright.
inline bool D3D_Turned(double angle) { return std::abs(angle) >= 0.01; }

// The corner positions of a quad whose corners lie at (left or right, top or
// bottom) from the anchor (x, y) before it is turned by `angle` radians
// (unless D3D_Turned, it is not), all at depth z. Every image quad is placed
// here, so that batched and single images land on the same pixels.
inline void D3D_PlaceCorners(RVertex quad[4], double x, double y, double left, double top, double right,
                             double bottom, double angle, float z) {
  const bool turned = D3D_Turned(angle);
  const double c = turned ? std::cos(angle) : 1.0, s = turned ? std::sin(angle) : 0.0;
  // Corner (dx, dy) lands at (x + dx c + dy s, y - dx s + dy c), summed in
  // that order; the terms shared by two corners are computed once.
  const double xl = x + left * c, xr = x + right * c, ts = top * s, bs = bottom * s;
  const double yl = y - left * s, yr = y - right * s, tc = top * c, bc = bottom * c;
  quad[0].x = static_cast<float>(xl + ts), quad[0].y = static_cast<float>(yl + tc);
  quad[1].x = static_cast<float>(xr + ts), quad[1].y = static_cast<float>(yr + tc);
  quad[2].x = static_cast<float>(xr + bs), quad[2].y = static_cast<float>(yr + bc);
  quad[3].x = static_cast<float>(xl + bs), quad[3].y = static_cast<float>(yl + bc);
  quad[0].z = quad[1].z = quad[2].z = quad[3].z = z;
}

// Whole images drawn one after another with nothing else drawn between
// them (the room's instances without a draw event): each texture is looked
// up once while it repeats, each quad is written straight into the device's
// batch. What it draws is exactly what DrawTexture and DrawTextureExt draw.
// Anything else that draws or changes render states between two of its
// images must be followed by Forget().
class CImageBatch {
 public:
  CImageBatch() { Forget(); }
  // The depth of the images that follow (as D3D_SetDepth).
  void SetDepth(double depth) {
    // NaN never equals itself, so it is always passed on (and becomes 0).
    if (depth != m_Depth) NewDepth(depth);
  }
  // As DrawTexture(id, x, y).
  void Draw(int32_t id, double x, double y) {
    if (Select(id)) Put(x, y, 0, 0, 1, 1, 0, 0xFFFFFFFFu);
  }
  // As DrawTextureExt with the same arguments.
  void DrawExt(int32_t id, double x, double y, double ox, double oy, double xs, double ys, double angle,
               int32_t colour, double alpha) {
    if (!Select(id)) return;
    // Neighbours mostly share their blend and alpha.
    if (!m_ColourKnown || colour != m_Colour || !(alpha == m_Alpha)) NewColour(colour, alpha);
    Put(x, y, ox, oy, xs, ys, angle, m_Converted);
  }
  // Forgets the texture, state and depth it set: the next image sets them again.
  void Forget();

 private:
  static constexpr int32_t kNoTexture = -2;
  // The texture of the next image made current; false when the id is invalid.
  bool Select(int32_t id) { return id == m_Id ? m_Valid : NewTexture(id); }
  bool NewTexture(int32_t id);
  void NewDepth(double depth);
  void NewColour(int32_t colour, double alpha);
  void Put(double x, double y, double ox, double oy, double xs, double ys, double angle, uint32_t colour) {
    const double left = -xs * ox - 0.5, top = -ys * oy - 0.5;
    const double right = left + xs * m_Width, bottom = top + ys * m_Height;
    if (!D3D_Turned(angle)) {
      // The corners D3D_PlaceCorners gives an image that is not turned.
      if (RImageRect* r = PlatformGL_RectSpace())
        *r = {static_cast<float>(x + left), static_cast<float>(y + top), static_cast<float>(x + right),
              static_cast<float>(y + bottom), m_U0, m_V0, m_U1, m_V1, colour, m_Z};
      return;
    }
    RVertex* quad = PlatformGL_QuadSpace(1);
    if (quad == nullptr) return;
    D3D_PlaceCorners(quad, x, y, left, top, right, bottom, angle, m_Z);
    const float us[4] = {m_U0, m_U1, m_U1, m_U0};
    const float vs[4] = {m_V0, m_V0, m_V1, m_V1};
    for (int i = 0; i < 4; ++i) {
      quad[i].colour = colour;
      quad[i].u = us[i];
      quad[i].v = vs[i];
    }
  }

  // The current texture: its id, whether it exists, the image's size and
  // where the image ends in the texture.
  int32_t m_Id = kNoTexture;
  bool m_Valid = false;
  double m_Width = 0, m_Height = 0;
  float m_U0 = 0, m_V0 = 0, m_U1 = 0, m_V1 = 0;
  // The depth set and the z it gives.
  double m_Depth = 0;
  float m_Z = 0;
  // The last blend colour and alpha asked for and their device colour.
  bool m_ColourKnown = false;
  int32_t m_Colour = 0;
  double m_Alpha = 1;
  uint32_t m_Converted = 0;
};

// Copies part of the drawing area (clipped to it; x and y raised to 0) into
// an opaque image; false when nothing is left or the device is missing.
bool D3D_GrabScreen(int32_t x, int32_t y, int32_t width, int32_t height, CBitmap32& image);
// Writes that part as a 32-bit BMP file; false when it cannot be grabbed or written.
bool D3D_SaveScreen(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height);
