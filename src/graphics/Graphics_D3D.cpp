#include "graphics/Graphics_D3D.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3DX8.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"

namespace {

RRenderState g_State;
bool g_DeviceRepeat = false;  // images switch addressing to clamp; the record keeps the script's choice
int32_t g_DrawingWidth = 0, g_DrawingHeight = 0;
int32_t g_PrimitiveTexture = -1;

// The camera: the view and projection matrices, and for the plain 2D
// projection its area, whose matrix has a closed form that keeps 2D drawing
// exact to the pixel.
struct RProjection {
  bool plain = true;
  double x = 0, y = 0, width = 1, height = 1, angle = 0;
  RMatrix view = Matrix_Identity(), projection = Matrix_Identity();
};
RProjection g_Projection;
int32_t g_ViewportWidth = 1, g_ViewportHeight = 1;

void ApplyProjection() {
  float m[16];
  if (g_Projection.plain) {
    D3D_ProjectionMatrix(g_Projection.x, g_Projection.y, g_Projection.width, g_Projection.height, g_Projection.angle,
                         g_ViewportWidth, g_ViewportHeight, m);
  } else {
    // Pixel centres sit on whole coordinates: half a pixel to the right and down.
    RMatrix shift = Matrix_Identity();
    shift.m[3][0] = 1.0 / g_ViewportWidth;
    shift.m[3][1] = -1.0 / g_ViewportHeight;
    Matrix_ToFloats(Matrix_Multiply(Matrix_Multiply(g_Projection.view, g_Projection.projection), shift), m);
  }
  PlatformGL_SetProjection(m);
  Matrix_ToFloats(g_Projection.view, m);
  PlatformGL_SetView(m);
}

// The view of a region: from (x + w / 2, y + h / 2, eye_z) towards z = 0,
// turned by `angle` degrees.
RMatrix RegionView(double x, double y, double width, double height, double angle, double eye_z) {
  const double theta = -angle * std::numbers::pi / 180.0;
  const double eye[3] = {x + width / 2, y + height / 2, eye_z}, at[3] = {x + width / 2, y + height / 2, 0};
  const double up[3] = {std::sin(theta), std::cos(theta), 0};
  return Matrix_LookAtLH(eye, at, up);
}

void SetDeviceRepeat(bool on) {
  if (g_DeviceRepeat == on) return;
  g_DeviceRepeat = on;
  PlatformGL_SetRepeat(on);
}

void ApplyRenderState() {
  PlatformGL_SetBlend(g_State.blend_source, g_State.blend_destination);
  PlatformGL_SetInterpolation(g_State.interpolation);
  PlatformGL_SetTextureBlending(g_State.texture_blending);
  g_DeviceRepeat = g_State.texture_repeat;
  PlatformGL_SetRepeat(g_DeviceRepeat);
  PlatformGL_SetSwapInterval(g_State.synchronisation);
  D3D_Apply3DState();
}

// Sends one image quad with its texture; addressing clamps from now on.
void DrawQuad(const RTexture& t, double sl, double st, double sw, double sh, double x, double y, double ox,
              double oy, double xs, double ys, double angle, const uint32_t colours[4]) {
  RVertex quad[4];
  D3D_BuildQuad(quad, t.texture_width, t.texture_height, sl, st, sw, sh, x, y, ox, oy, xs, ys, angle, colours);
  SetDeviceRepeat(false);
  PlatformGL_SetTexture(t.texture);
  PlatformGL_AddQuad(quad);
}

}  // namespace

const RRenderState& D3D_RenderState() { return g_State; }

int64_t Graphics_Round(double v) {
  constexpr double kLimit = 1099511627776.0;  // 2^40
  if (std::isnan(v)) return 0;
  return static_cast<int64_t>(std::nearbyint(std::clamp(v, -kLimit, kLimit)));
}

uint32_t D3D_ConvertColour(int32_t colour, double alpha) {
  const double a = std::clamp(alpha * 255.0, 0.0, 255.0);
  const uint32_t alpha_byte = static_cast<uint32_t>(std::nearbyint(std::isnan(a) ? 0.0 : a));
  const uint32_t c = static_cast<uint32_t>(colour);
  return (alpha_byte << 24) | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

bool D3D_CreateDevice(int32_t width, int32_t height, bool synchronisation) {
  g_State.synchronisation = synchronisation;
  RDisplayMode mode;
  if (!PlatformDisplay_GetMode(mode)) {
    Platform_ShowMessage("Failed to retrieve display mode.");
    return false;
  }
  if (mode.bits != 16 && mode.bits != 32) {
    Platform_ShowMessage(
        "This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change this in your display "
        "properties and run again.");
    return false;
  }
  D3D_ReleaseDevice();
  std::string error;
  if (!PlatformGL_Create(mode.width, mode.height, error)) {
    Platform_ShowMessage(
        "Failed to initialize Direct3D. Old graphics cards do not support this. Also make sure version 8.0 or "
        "later of DirectX is installed on your machine.");
    return false;
  }
  g_DrawingWidth = std::min(width, mode.width);
  g_DrawingHeight = std::min(height, mode.height);
  D3D_SetViewport(0, 0, g_DrawingWidth, g_DrawingHeight);
  PlatformGL_Clear(0xFF000000u);
  D3D_Set2DProjection(0, 0, g_DrawingWidth, g_DrawingHeight, 0);
  Texture_ClearTable();
  g_PrimitiveTexture = -1;
  ApplyRenderState();
  // Uncovered or resized: bands in the window colour and the last frame again.
  PlatformWindow_SetRepaintHandler(D3D_Refresh);
  return true;
}

void D3D_ReleaseDevice() {
  if (!PlatformGL_Exists()) return;
  Surface_ClearTable();
  Texture_ClearTable();
  PlatformGL_Destroy();
}

bool D3D_DeviceExists() { return PlatformGL_Exists(); }

void D3D_ResetDevice() {
  if (!PlatformGL_Exists()) return;
  Surface_FreeAll();
  D3D_SetViewport(0, 0, g_DrawingWidth, g_DrawingHeight);
  D3D_Set2DProjection(0, 0, g_DrawingWidth, g_DrawingHeight, 0);
}

// OpenGL has no scene bracket: a frame begins with the first drawing after a
// present. The call stays so that the frame sequence reads the same everywhere.
void D3D_BeginFrame() {}

namespace {

void ShowFrame(bool later) {
  if (!PlatformGL_Exists()) return;
  const RRegionRect r = Window_CurrentRegionRectangle();
  const uint32_t band = D3D_ConvertColour(Window_GetColour(), 1.0) & 0x00FFFFFFu;
  (later ? PlatformGL_PresentLater : PlatformGL_Present)(g_DrawingWidth, g_DrawingHeight, r.left, r.top, r.width,
                                                         r.height, band, g_State.interpolation);
}

}  // namespace

void D3D_Present() { ShowFrame(false); }
void D3D_PresentLater() { ShowFrame(true); }
void D3D_FinishPresent() { PlatformGL_FinishPresent(); }

void D3D_Refresh() { D3D_Present(); }

void D3D_Clear(int32_t colour) { PlatformGL_Clear(D3D_ConvertColour(colour, 1.0)); }
void D3D_ClearAlpha(int32_t colour, double alpha) { PlatformGL_Clear(D3D_ConvertColour(colour, alpha)); }

void D3D_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  g_ViewportWidth = std::max(width, 1);
  g_ViewportHeight = std::max(height, 1);
  PlatformGL_SetViewport(x, y, width, height);
  ApplyProjection();
}

void D3D_Set2DProjection(double x, double y, double width, double height, double angle) {
  const R3DState& state = D3D_3DState();
  if (state.mode && state.perspective)
    D3D_SetPerspectiveProjection(x, y, width, height, angle);
  else
    D3D_SetOrthoProjection(x, y, width, height, angle);
}

void D3D_SetOrthoProjection(double x, double y, double width, double height, double angle) {
  g_Projection.plain = true;
  g_Projection.x = x, g_Projection.y = y, g_Projection.width = width, g_Projection.height = height;
  g_Projection.angle = angle;
  g_Projection.view = RegionView(x, y, width, height, angle, -16000);
  g_Projection.projection = Matrix_OrthoLH(width == 0 ? 1 : width, height == 0 ? -1 : -height, 1, 32000);
  ApplyProjection();
}

void D3D_SetPerspectiveProjection(double x, double y, double width, double height, double angle) {
  // The view rectangle exactly fills the port at z = 0, y growing upwards.
  const double w = width == 0 ? 1 : width;
  const double h = height == 0 ? 1 : height;
  D3D_SetCamera(RegionView(x, y, width, height, angle, -w), Matrix_PerspectiveLH(1, h / w, 1, 32000));
}

void D3D_SetCamera(const RMatrix& view, const RMatrix& projection) {
  g_Projection.plain = false;
  g_Projection.view = view;
  g_Projection.projection = projection;
  ApplyProjection();
}

const RMatrix& D3D_ViewMatrix() { return g_Projection.view; }
const RMatrix& D3D_ProjectionMatrixNow() { return g_Projection.projection; }

void D3D_ProjectionMatrix(double x, double y, double width, double height, double angle, int32_t vw, int32_t vh,
                          float out[16]) {
  const double theta = -angle * std::numbers::pi / 180.0;
  const double s = std::sin(theta), c = std::cos(theta);
  const double cx = x + width / 2, cy = y + height / 2;
  const double w = width == 0 ? 1 : width, h = height == 0 ? 1 : height;
  // Look from (cx, cy, -16000) with up (s, c, 0); orthographic, width wide and
  // -height high, near 1, far 32000. Rows of the matrix:
  const double r0[4] = {2 * c / w, -2 * s / w, 0, (-2 * c * cx + 2 * s * cy) / w + 1.0 / vw};
  const double r1[4] = {-2 * s / h, -2 * c / h, 0, (2 * s * cx + 2 * c * cy) / h - 1.0 / vh};
  const double r2[4] = {0, 0, 1.0 / 31999.0, 15999.0 / 31999.0};
  const double r3[4] = {0, 0, 0, 1};
  const double* rows[4] = {r0, r1, r2, r3};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) out[col * 4 + row] = static_cast<float>(rows[row][col]);
}

void D3D_SetRegionDrawingSize(int32_t width, int32_t height) {
  RDisplayMode mode;
  if (PlatformDisplay_GetMode(mode)) {
    width = std::min(width, mode.width);
    height = std::min(height, mode.height);
  }
  if (width == g_DrawingWidth && height == g_DrawingHeight) return;
  g_DrawingWidth = width;
  g_DrawingHeight = height;
  D3D_SetViewport(0, 0, width, height);
  D3D_Set2DProjection(0, 0, width, height, 0);
}

int32_t D3D_DrawingWidth() { return g_DrawingWidth; }
int32_t D3D_DrawingHeight() { return g_DrawingHeight; }

void D3D_SetBlendMode(int32_t mode) {
  static const int32_t kModes[4][2] = {
      {BLEND_SRC_ALPHA, BLEND_INV_SRC_ALPHA},
      {BLEND_SRC_ALPHA, BLEND_ONE},
      {BLEND_SRC_ALPHA, BLEND_INV_SRC_COLOR},
      {BLEND_ZERO, BLEND_INV_SRC_COLOR},
  };
  if (mode < 0 || mode > 3) mode = 0;
  D3D_SetBlendFactors(kModes[mode][0], kModes[mode][1]);
}

void D3D_SetBlendFactors(int32_t source, int32_t destination) {
  g_State.blend_source = source;
  g_State.blend_destination = destination;
  PlatformGL_SetBlend(source, destination);
}

void D3D_SetInterpolation(bool on) {
  g_State.interpolation = on;
  PlatformGL_SetInterpolation(on);
}

void D3D_SetTextureBlending(bool on) {
  g_State.texture_blending = on;
  PlatformGL_SetTextureBlending(on);
}

void D3D_SetTextureRepeat(bool on) {
  g_State.texture_repeat = on;
  g_DeviceRepeat = on;
  PlatformGL_SetRepeat(on);
}

void D3D_SetSynchronisation(bool on) {
  g_State.synchronisation = on;
  PlatformGL_SetSwapInterval(on);
}

void D3D_ResetRenderState() {
  const RRenderState start;
  D3D_SetBlendFactors(start.blend_source, start.blend_destination);
  D3D_SetInterpolation(start.interpolation);
  D3D_SetTextureBlending(start.texture_blending);
  D3D_SetTextureRepeat(start.texture_repeat);
}

void D3D_WaitVerticalBlank() { PlatformGL_WaitVerticalBlank(); }

void D3D_SetPrimitiveTexture(int32_t id) { g_PrimitiveTexture = Texture_Exists(id) ? id : -1; }

void D3D_DrawPrimitive(int32_t kind, const RVertex* vertices, int32_t count) {
  const RTexture* t = Texture_Get(g_PrimitiveTexture);
  PlatformGL_SetTexture(t ? t->texture : 0);
  PlatformGL_DrawPrimitive(kind, vertices, count);
}

namespace {

// Primitives address their texture as the script chose, unless `repeat` forces wrapping.
uint32_t Prepare3DTexture(int32_t texture, bool repeat) {
  const RTexture* t = Texture_Get(texture);
  SetDeviceRepeat(repeat || g_State.texture_repeat);
  PlatformGL_SetTexture(t ? t->texture : 0);
  return t ? t->texture : 0;
}

}  // namespace

void D3D_DrawPrimitive3D(int32_t kind, int32_t texture, bool repeat, const RVertex3D* vertices, int32_t count) {
  Prepare3DTexture(texture, repeat);
  PlatformGL_DrawPrimitive3D(kind, vertices, count);
  PlatformGL_SetTexture(0);
}

bool D3D_DrawMesh(uint32_t mesh, int32_t kind, int32_t first, int32_t count, int32_t texture, bool repeat,
                  const float offset[3], uint32_t tint) {
  Prepare3DTexture(texture, repeat);
  return PlatformGL_DrawMesh(mesh, kind, first, count, offset, tint);
}

void D3D_BuildQuad(RVertex quad[4], int32_t W, int32_t H, double sl, double st, double sw, double sh, double x,
                   double y, double ox, double oy, double xs, double ys, double angle, const uint32_t colours[4]) {
  const double left = -xs * ox - 0.5, top = -ys * oy - 0.5;
  const double right = left + xs * sw, bottom = top + ys * sh;
  const float u0 = static_cast<float>(sl / W), v0 = static_cast<float>(st / H);
  const float u1 = static_cast<float>((sl + sw) / W), v1 = static_cast<float>((st + sh) / H);
  const float us[4] = {u0, u1, u1, u0};
  const float vs[4] = {v0, v0, v1, v1};
  D3D_PlaceCorners(quad, x, y, left, top, right, bottom, angle, static_cast<float>(D3D_Depth()));
  for (int i = 0; i < 4; ++i) {
    quad[i].colour = colours[i];
    quad[i].u = us[i];
    quad[i].v = vs[i];
  }
}

// ---- batched whole images ----

void CImageBatch::Forget() {
  m_Id = kNoTexture;
  m_Valid = false;
  m_ColourKnown = false;
  m_Depth = std::numeric_limits<double>::quiet_NaN();
}

void CImageBatch::NewDepth(double depth) {
  D3D_SetDepth(depth);
  m_Depth = depth;
  m_Z = static_cast<float>(D3D_Depth());
}

void CImageBatch::NewColour(int32_t colour, double alpha) {
  m_ColourKnown = true;
  m_Colour = colour;
  m_Alpha = alpha;
  m_Converted = D3D_ConvertColour(colour, alpha);
}

bool CImageBatch::NewTexture(int32_t id) {
  m_Id = id;
  const RTexture* t = Texture_Get(id);
  m_Valid = t != nullptr;
  if (!m_Valid) return false;
  // A whole image: the source rectangle from (0, 0) to the image's size.
  m_Width = t->width;
  m_Height = t->height;
  m_U0 = static_cast<float>(0.0 / t->texture_width);
  m_V0 = static_cast<float>(0.0 / t->texture_height);
  m_U1 = static_cast<float>(m_Width / t->texture_width);
  m_V1 = static_cast<float>(m_Height / t->texture_height);
  SetDeviceRepeat(false);
  PlatformGL_SetTexture(t->texture);
  return true;
}

void DrawTexture(int32_t id, double x, double y) {
  const RTexture* t = Texture_Get(id);
  if (t == nullptr) return;
  const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  DrawQuad(*t, 0, 0, t->width, t->height, x, y, 0, 0, 1, 1, 0, white);
}

void DrawTextureExt(int32_t id, double x, double y, double ox, double oy, double xs, double ys, double angle,
                    int32_t colour, double alpha) {
  const RTexture* t = Texture_Get(id);
  if (t == nullptr) return;
  const uint32_t c = D3D_ConvertColour(colour, alpha);
  const uint32_t colours[4] = {c, c, c, c};
  DrawQuad(*t, 0, 0, t->width, t->height, x, y, ox, oy, xs, ys, angle, colours);
}

void DrawTexturePart(int32_t id, double left, double top, double width, double height, double x, double y,
                     double xs, double ys, double angle, int32_t colour, double alpha) {
  DrawTextureGeneral(id, left, top, width, height, x, y, xs, ys, angle, colour, colour, colour, colour, alpha);
}

void DrawTexturePartExt(int32_t id, double left, double top, double width, double height, double x, double y,
                        double ox, double oy, double xs, double ys, double angle, int32_t colour, double alpha) {
  const RTexture* t = Texture_Get(id);
  if (t == nullptr) return;
  const uint32_t c = D3D_ConvertColour(colour, alpha);
  const uint32_t colours[4] = {c, c, c, c};
  DrawQuad(*t, left, top, width, height, x, y, ox, oy, xs, ys, angle, colours);
}

void DrawTextureGeneral(int32_t id, double left, double top, double width, double height, double x, double y,
                        double xs, double ys, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                        double alpha) {
  const RTexture* t = Texture_Get(id);
  if (t == nullptr) return;
  const uint32_t colours[4] = {D3D_ConvertColour(c1, alpha), D3D_ConvertColour(c2, alpha),
                               D3D_ConvertColour(c3, alpha), D3D_ConvertColour(c4, alpha)};
  DrawQuad(*t, left, top, width, height, x, y, 0, 0, xs, ys, angle, colours);
}

void DrawTextureTiled(int32_t id, double x, double y, double ox, double oy, double xs, double ys, bool tile_h,
                      bool tile_v, double area_left, double area_top, double area_width, double area_height,
                      int32_t colour, double alpha) {
  const RTexture* t = Texture_Get(id);
  if (t == nullptr) return;
  const int64_t tw = Graphics_Round(t->width * xs);
  const int64_t th = Graphics_Round(t->height * ys);
  if (tw < 1 || th < 1) return;
  auto start = [](double pos, int64_t size, bool tile, double area_start) {
    int64_t p = Graphics_Round(pos);
    if (!tile) return p;
    p %= size;
    if (p > 0) p -= size;
    // Step forward in whole tiles until the tile reaches the area; an area
    // starting left of the first tile (a view at negative coordinates) gets
    // tiles stepped back so that it is covered too.
    if (p + size < area_start) p += static_cast<int64_t>(std::ceil((area_start - size - p) / size)) * size;
    if (p > area_start) p -= static_cast<int64_t>(std::ceil((p - area_start) / size)) * size;
    return p;
  };
  const int64_t x0 = start(x, tw, tile_h, area_left), y0 = start(y, th, tile_v, area_top);
  const uint32_t c = D3D_ConvertColour(colour, alpha);
  const uint32_t colours[4] = {c, c, c, c};
  // Whole images from the tile origins: the corner offsets of BuildQuad with
  // the origin give exactly the corners the tiles need.
  for (int64_t X = x0; X < area_left + area_width; X += tw) {
    for (int64_t Y = y0; Y < area_top + area_height; Y += th) {
      DrawQuad(*t, 0, 0, t->width, t->height, static_cast<double>(X), static_cast<double>(Y), ox, oy, xs, ys, 0,
               colours);
      if (!tile_v) break;
    }
    if (!tile_h) break;
  }
}

bool D3D_GrabScreen(int32_t x, int32_t y, int32_t width, int32_t height, CBitmap32& image) {
  if (!PlatformGL_Exists()) return false;
  if (x < 0) width += x, x = 0;
  if (y < 0) height += y, y = 0;
  width = std::min(width, g_DrawingWidth - x);
  height = std::min(height, g_DrawingHeight - y);
  if (width < 1 || height < 1) return false;
  CBitmap32 grab(width, height);
  if (!PlatformGL_ReadPixels(x, y, width, height, grab.pixels.data())) return false;
  for (uint32_t& p : grab.pixels) p |= 0xFF000000u;
  image = std::move(grab);
  return true;
}

bool D3D_SaveScreen(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height) {
  CBitmap32 image;
  return D3D_GrabScreen(x, y, width, height, image) && Bitmap_SaveBMPFile(path, image);
}
