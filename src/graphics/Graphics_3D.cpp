#include "graphics/Graphics_3D.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Surface.h"
#include "platform/Platform.h"

namespace {

R3DState g_3D;
RMatrix g_World = Matrix_Identity();
std::array<RMatrix, TRANSFORM_STACK_SIZE> g_Stack;
int32_t g_StackTop = -1;
R3DVertexList g_List;
// The lights as last defined, so that a device made anew gets them again.
RLight g_Lights[PLATFORM_MAX_LIGHTS];
bool g_LightOn[PLATFORM_MAX_LIGHTS] = {};

void ApplyHidden() { PlatformGL_SetHiddenSurface(g_3D.mode && g_3D.hidden); }

void ApplyFog() {
  PlatformGL_SetFog(g_3D.fog, D3D_ConvertColour(g_3D.fog_colour, 1.0) & 0x00FFFFFFu, static_cast<float>(g_3D.fog_start),
                    static_cast<float>(g_3D.fog_end));
}

void ApplyWorld() {
  float m[16];
  Matrix_ToFloats(g_World, m);
  PlatformGL_SetWorld(m, Matrix_IsIdentity(g_World));
}

// Draws a finished list.
class CDeviceSink final : public I3DFaceSink {
 public:
  void Face(const R3DVertexList& list) override {
    D3D_DrawPrimitive3D(list.kind, list.texture, true, list.vertices.data(), list.count);
  }
};

// Appends vertices of a shape to the list.
struct RFaceWriter {
  R3DVertexList& list;
  uint32_t colour;
  void Begin(int32_t kind) {
    list.kind = kind;
    list.count = 0;
  }
  void Add(double x, double y, double z, double nx, double ny, double nz, double u, double v) {
    list.vertices[list.count++] = {static_cast<float>(x), static_cast<float>(y),  static_cast<float>(z),
                                   static_cast<float>(nx), static_cast<float>(ny), static_cast<float>(nz),
                                   colour,                 static_cast<float>(u),  static_cast<float>(v)};
  }
};

void BuildBlock(const R3DShape& s, RFaceWriter& w, I3DFaceSink& sink) {
  // Per face: the normal, then four corners as (x, y, z) picks of the first
  // (0) or second (1) corner and (u, v) picks of 0 or the repeat.
  struct RFace {
    double n[3];
    uint8_t corner[4][5];
  };
  static constexpr RFace kFaces[6] = {
      {{0, 0, -1}, {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 1, 0, 1, 1}, {1, 0, 0, 1, 0}}},
      {{0, 0, 1}, {{0, 0, 1, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {0, 1, 1, 0, 1}}},
      {{0, 1, 0}, {{0, 1, 0, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1}, {1, 1, 0, 1, 0}}},
      {{1, 0, 0}, {{1, 1, 0, 0, 0}, {1, 1, 1, 0, 1}, {1, 0, 1, 1, 1}, {1, 0, 0, 1, 0}}},
      {{0, -1, 0}, {{1, 0, 0, 0, 0}, {1, 0, 1, 0, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 1, 0}}},
      {{-1, 0, 0}, {{0, 0, 0, 0, 0}, {0, 0, 1, 0, 1}, {0, 1, 1, 1, 1}, {0, 1, 0, 1, 0}}},
  };
  const double xs[2] = {s.x1, s.x2}, ys[2] = {s.y1, s.y2}, zs[2] = {s.z1, s.z2};
  const double us[2] = {0, s.hrepeat}, vs[2] = {0, s.vrepeat};
  for (const RFace& face : kFaces) {
    w.Begin(PRIM_TRIANGLEFAN);
    for (const auto& c : face.corner)
      w.Add(xs[c[0]], ys[c[1]], zs[c[2]], face.n[0], face.n[1], face.n[2], us[c[3]], vs[c[4]]);
    sink.Face(w.list);
  }
}

// The unit ring of a round shape: cos and sin of 2 pi i / steps, i = 0 ... steps.
struct RRing {
  int32_t steps;
  double c[129], s[129];
  explicit RRing(int32_t n) : steps(std::clamp(n, 3, 128)) {
    for (int32_t i = 0; i <= steps; ++i) {
      const double a = 2 * std::numbers::pi * i / steps;
      c[i] = std::cos(a);
      s[i] = std::sin(a);
    }
  }
};

// The closed end of a cylinder or cone at z, facing up (top) or down.
void BuildCap(const R3DShape& s, const RRing& ring, bool top, RFaceWriter& w, I3DFaceSink& sink) {
  const double cx = (s.x1 + s.x2) / 2, cy = (s.y1 + s.y2) / 2, rx = (s.x2 - s.x1) / 2, ry = (s.y2 - s.y1) / 2;
  const double z = top ? s.z2 : s.z1, nz = top ? 1 : -1, v = top ? s.vrepeat : 0;
  w.Begin(PRIM_TRIANGLEFAN);
  w.Add(cx, cy, z, 0, 0, nz, 0, v);
  for (int32_t k = 0; k <= ring.steps; ++k) {
    const int32_t i = top ? k : ring.steps - k;
    w.Add(cx + rx * ring.c[i], cy + ry * ring.s[i], z, 0, 0, nz, 0, v);
  }
  sink.Face(w.list);
}

// The side of a cylinder, or of a cone when `cone` (all top points at the apex).
void BuildSide(const R3DShape& s, const RRing& ring, bool cone, RFaceWriter& w, I3DFaceSink& sink) {
  const double cx = (s.x1 + s.x2) / 2, cy = (s.y1 + s.y2) / 2, rx = (s.x2 - s.x1) / 2, ry = (s.y2 - s.y1) / 2;
  w.Begin(PRIM_TRIANGLESTRIP);
  for (int32_t i = 0; i <= ring.steps; ++i) {
    const double u = s.hrepeat * i / ring.steps;
    const double px = cx + rx * ring.c[i], py = cy + ry * ring.s[i];
    if (cone)
      w.Add(cx, cy, s.z2, 0, 0, 1, u, s.vrepeat);
    else
      w.Add(px, py, s.z2, ring.c[i], ring.s[i], 0, u, s.vrepeat);
    w.Add(px, py, s.z1, ring.c[i], ring.s[i], 0, u, 0);
  }
  sink.Face(w.list);
}

void BuildEllipsoid(const R3DShape& s, const RRing& ring, RFaceWriter& w, I3DFaceSink& sink) {
  const double cx = (s.x1 + s.x2) / 2, cy = (s.y1 + s.y2) / 2, cz = (s.z1 + s.z2) / 2;
  const double rx = (s.x2 - s.x1) / 2, ry = (s.y2 - s.y1) / 2, rz = (s.z2 - s.z1) / 2;
  const int32_t bands = (ring.steps + 1) / 2;
  for (int32_t r = 0; r < bands; ++r) {
    const double a[2] = {r * std::numbers::pi / bands, (r + 1) * std::numbers::pi / bands};
    const double sa[2] = {std::sin(a[0]), std::sin(a[1])}, ca[2] = {std::cos(a[0]), std::cos(a[1])};
    w.Begin(PRIM_TRIANGLESTRIP);
    for (int32_t i = 0; i <= ring.steps; ++i) {
      const double u = s.hrepeat * i / ring.steps;
      for (int k = 0; k < 2; ++k) {
        const double nx = sa[k] * ring.c[i], ny = sa[k] * ring.s[i];
        w.Add(cx + rx * nx, cy + ry * ny, cz + rz * ca[k], nx, ny, ca[k], u, s.vrepeat * (r + k) / bands);
      }
    }
    sink.Face(w.list);
  }
}

void BuildWall(const R3DShape& s, RFaceWriter& w, I3DFaceSink& sink) {
  const double dx = s.x2 - s.x1, dy = s.y2 - s.y1, length = std::hypot(dx, dy);
  if (length == 0) return;
  const double nx = dy / length, ny = -dx / length;
  w.Begin(PRIM_TRIANGLEFAN);
  w.Add(s.x1, s.y1, s.z1, nx, ny, 0, 0, 0);
  w.Add(s.x2, s.y2, s.z1, nx, ny, 0, s.hrepeat, 0);
  w.Add(s.x2, s.y2, s.z2, nx, ny, 0, s.hrepeat, s.vrepeat);
  w.Add(s.x1, s.y1, s.z2, nx, ny, 0, 0, s.vrepeat);
  sink.Face(w.list);
}

void BuildFloor(const R3DShape& s, RFaceWriter& w, I3DFaceSink& sink) {
  w.Begin(PRIM_TRIANGLEFAN);
  w.Add(s.x1, s.y1, s.z1, 0, 0, 1, 0, 0);
  w.Add(s.x1, s.y2, s.z1, 0, 0, 1, 0, s.vrepeat);
  w.Add(s.x2, s.y2, s.z2, 0, 0, 1, s.hrepeat, s.vrepeat);
  w.Add(s.x2, s.y1, s.z2, 0, 0, 1, s.hrepeat, 0);
  sink.Face(w.list);
}

}  // namespace

// ---- Mode and render flags ------------------------------------------------------

const R3DState& D3D_3DState() { return g_3D; }

bool D3D_Set3DMode(bool on) {
  if (g_3D.mode == on) return true;
  g_3D.mode = on;
  g_3D.perspective = on;
  g_3D.hidden = on;
  g_3D.depth = 0;
  if (!PlatformGL_Exists()) return true;
  // The device is set up anew for the mode: its surfaces do not survive.
  Surface_FreeAll();
  if (!PlatformGL_SetDepthBuffer(on)) {
    Platform_ShowMessage("Failed to use 3D mode.");
    g_3D.mode = g_3D.perspective = g_3D.hidden = false;
    PlatformGL_SetDepthBuffer(false);
    ApplyHidden();
    return false;
  }
  ApplyHidden();
  return true;
}

void D3D_SetDepth(double depth) {
  g_3D.depth = g_3D.mode && !std::isnan(depth) ? std::clamp(depth, -16000.0, 16000.0) : 0.0;
}

double D3D_Depth() { return g_3D.depth; }

void D3D_ClearDepthBuffer() {
  if (g_3D.mode) PlatformGL_ClearDepth();
}

void D3D_SetPerspective(bool on) { g_3D.perspective = on; }

void D3D_SetHidden(bool on) {
  if (!PlatformGL_Exists()) return;
  g_3D.hidden = on;
  ApplyHidden();
}

void D3D_SetLighting(bool on) {
  g_3D.lighting = on;
  PlatformGL_SetLighting(on);
}

void D3D_SetShading(bool smooth) {
  g_3D.smooth = smooth;
  PlatformGL_SetShading(smooth);
}

void D3D_SetCulling(bool on) {
  if (!PlatformGL_Exists()) return;
  g_3D.culling = on;
  PlatformGL_SetCulling(on);
}

void D3D_SetFog(bool on, int32_t colour, double start, double end) {
  g_3D.fog = on;
  g_3D.fog_colour = colour;
  g_3D.fog_start = start;
  g_3D.fog_end = end;
  ApplyFog();
}

void D3D_Apply3DState() {
  if (!PlatformGL_SetDepthBuffer(g_3D.mode)) g_3D.mode = false;
  if (!g_3D.mode) g_3D.depth = 0;
  ApplyHidden();
  PlatformGL_SetCulling(g_3D.culling);
  PlatformGL_SetShading(g_3D.smooth);
  PlatformGL_SetLighting(g_3D.lighting);
  ApplyFog();
  ApplyWorld();
  for (int32_t i = 0; i < PLATFORM_MAX_LIGHTS; ++i) {
    PlatformGL_SetLight(i, g_Lights[i]);
    PlatformGL_EnableLight(i, g_LightOn[i]);
  }
}

// ---- World transformation ------------------------------------------------------------

const RMatrix& D3D_World() { return g_World; }

void D3D_SetWorld(const RMatrix& world) {
  g_World = world;
  ApplyWorld();
}

void D3D_AddWorld(const RMatrix& m) { D3D_SetWorld(Matrix_Multiply(g_World, m)); }

void D3D_StackClear() { g_StackTop = -1; }
bool D3D_StackEmpty() { return g_StackTop < 0; }

bool D3D_StackPush() {
  if (g_StackTop >= TRANSFORM_STACK_SIZE - 1) return false;
  g_Stack[++g_StackTop] = g_World;
  return true;
}

bool D3D_StackPop() {
  if (g_StackTop < 0) return false;
  D3D_SetWorld(g_Stack[g_StackTop--]);
  return true;
}

bool D3D_StackTop() {
  if (g_StackTop < 0) return false;
  D3D_SetWorld(g_Stack[g_StackTop]);
  return true;
}

bool D3D_StackDiscard() {
  if (g_StackTop < 0) return false;
  --g_StackTop;
  return true;
}

// ---- Lights ---------------------------------------------------------------------

namespace {

RLight LightOfColour(int32_t colour) {
  RLight light;
  const uint32_t c = static_cast<uint32_t>(colour);
  light.red = static_cast<float>((c & 0xFF) / 255.0);
  light.green = static_cast<float>(((c >> 8) & 0xFF) / 255.0);
  light.blue = static_cast<float>(((c >> 16) & 0xFF) / 255.0);
  return light;
}

}  // namespace

RLight D3D_DirectionalLight(double dx, double dy, double dz, int32_t colour) {
  RLight light = LightOfColour(colour);
  light.x = static_cast<float>(dx), light.y = static_cast<float>(dy), light.z = static_cast<float>(dz);
  return light;
}

RLight D3D_PointLight(double x, double y, double z, double range, int32_t colour) {
  RLight light = LightOfColour(colour);
  light.point = true;
  light.x = static_cast<float>(x), light.y = static_cast<float>(y), light.z = static_cast<float>(z);
  light.range = static_cast<float>(range);
  light.attenuation = range > 0 ? static_cast<float>(4 / range) : 0.0f;
  return light;
}

void D3D_DefineLight(int32_t index, const RLight& light) {
  if (index < 0 || index >= PLATFORM_MAX_LIGHTS) return;
  g_Lights[index] = light;
  PlatformGL_SetLight(index, light);
}

void D3D_EnableLight(int32_t index, bool on) {
  if (index < 0 || index >= PLATFORM_MAX_LIGHTS) return;
  g_LightOn[index] = on;
  PlatformGL_EnableLight(index, on);
}

// ---- The 3D vertex list ------------------------------------------------------------

const R3DVertexList& D3D_VertexList() { return g_List; }

void D3D_PrimitiveBegin(int32_t kind, int32_t texture) {
  g_List.kind = kind;
  g_List.texture = texture;
  g_List.count = 0;
}

void D3D_AddVertex(double x, double y, double z, double nx, double ny, double nz, double u, double v,
                   uint32_t colour) {
  if (g_List.count >= MAX_3D_VERTICES) return;
  RFaceWriter{g_List, colour}.Add(x, y, z, nx, ny, nz, u, v);
}

void D3D_PrimitiveEnd() {
  if (g_List.kind < PRIM_POINTLIST || g_List.kind > PRIM_TRIANGLEFAN) return;
  D3D_DrawPrimitive3D(g_List.kind, g_List.texture, false, g_List.vertices.data(), g_List.count);
}

// ---- Shapes -----------------------------------------------------------------

void Shape_Build(const R3DShape& shape, uint32_t colour, R3DVertexList& list, I3DFaceSink& sink) {
  RFaceWriter w{list, colour};
  switch (shape.kind) {
    case SHAPE_BLOCK:
      BuildBlock(shape, w, sink);
      break;
    case SHAPE_CYLINDER:
    case SHAPE_CONE: {
      const RRing ring(shape.steps);
      const bool cone = shape.kind == SHAPE_CONE;
      if (shape.closed && !cone) BuildCap(shape, ring, true, w, sink);
      BuildSide(shape, ring, cone, w, sink);
      if (shape.closed) BuildCap(shape, ring, false, w, sink);
      break;
    }
    case SHAPE_ELLIPSOID:
      BuildEllipsoid(shape, RRing(shape.steps), w, sink);
      break;
    case SHAPE_WALL:
      BuildWall(shape, w, sink);
      break;
    case SHAPE_FLOOR:
      BuildFloor(shape, w, sink);
      break;
    default:
      break;
  }
}

void D3D_DrawShape(const R3DShape& shape, int32_t texture) {
  // Shapes wrap their texture for the repeats and draw through the list, which
  // is left holding their last face.
  g_List.texture = texture;
  CDeviceSink sink;
  Shape_Build(shape, D3D_ConvertColour(Draw_Colour(), Draw_Alpha()), g_List, sink);
}

void D3D_Reset3D() {
  g_3D = R3DState{};
  g_World = Matrix_Identity();
  g_StackTop = -1;
  g_List.kind = 0;
  g_List.texture = -1;
  g_List.count = 0;
  for (int32_t i = 0; i < PLATFORM_MAX_LIGHTS; ++i) {
    g_Lights[i] = RLight{};
    g_LightOn[i] = false;
  }
  if (PlatformGL_Exists()) D3D_Apply3DState();
}
