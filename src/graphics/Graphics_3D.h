// Graphics_3D: 3D mode and everything scripts draw in three dimensions: the
// mode and its render flags, the current depth, the world transformation with
// its stack, lights, fog, the 3D vertex list and the six shapes.
//
// State: one record owned by this module for the whole program (mode, flags,
// depth, world matrix, stack, lights, vertex list). It outlives rooms and game
// restarts, as games expect 3D mode to stay on until they end it;
// D3D_Reset3D() restores the initial state (program start, tests).
#pragma once

#include <array>
#include <cstdint>

#include "graphics/Graphics_D3DX8.h"
#include "platform/Platform_Graphics.h"

// ---- Mode and render flags ------------------------------------------------------

struct R3DState {
  bool mode = false;         // depth buffer on, the current depth used
  bool perspective = true;   // room views in perspective while the mode is on
  bool hidden = true;        // depth and alpha test while the mode is on
  bool lighting = false;
  bool smooth = true;        // Gouraud; flat when off
  bool culling = false;      // counter-clockwise faces dropped
  bool fog = false;
  int32_t fog_colour = 0;    // 0x00BBGGRR
  double fog_start = 0, fog_end = 1;
  double depth = 0;          // z of every 2D vertex
};
const R3DState& D3D_3DState();

// Switches 3D mode; the perspective and hidden-surface flags take the new
// value. The device's surfaces are lost. False, with the mode off and the
// player told "Failed to use 3D mode.", when the device cannot do it.
bool D3D_Set3DMode(bool on);
// In 3D mode the depth is held within -16000 ... 16000; in 2D mode it is 0.
void D3D_SetDepth(double depth);
double D3D_Depth();
// Clears the depth buffer in the viewport (3D mode only).
void D3D_ClearDepthBuffer();
void D3D_SetPerspective(bool on);
void D3D_SetHidden(bool on);
void D3D_SetLighting(bool on);
void D3D_SetShading(bool smooth);
void D3D_SetCulling(bool on);
void D3D_SetFog(bool on, int32_t colour, double start, double end);
// Gives a new device the 3D part of the render state, the world and the lights.
void D3D_Apply3DState();

// ---- World transformation ------------------------------------------------------------

// The world matrix applies to everything drawn afterwards, 2D images too.
const RMatrix& D3D_World();
void D3D_SetWorld(const RMatrix& world);
// The world becomes world x m: m applies after what is already set.
void D3D_AddWorld(const RMatrix& m);

// The stack of saved world matrices: up to 1001. Operations that cannot be
// done return false and change nothing.
constexpr int32_t TRANSFORM_STACK_SIZE = 1001;
void D3D_StackClear();
bool D3D_StackEmpty();
bool D3D_StackPush();
bool D3D_StackPop();  // the top becomes the world and leaves the stack
bool D3D_StackTop();  // the top becomes the world and stays
bool D3D_StackDiscard();

// ---- Lights ---------------------------------------------------------------------

// The device light of a directional or point light of a game colour: diffuse
// colour from the colour's bytes, constant attenuation 1 and linear
// attenuation 4 / range (0 for a range not above 0).
RLight D3D_DirectionalLight(double dx, double dy, double dz, int32_t colour);
RLight D3D_PointLight(double x, double y, double z, double range, int32_t colour);
// Light indices outside the device's are ignored.
void D3D_DefineLight(int32_t index, const RLight& light);
void D3D_EnableLight(int32_t index, bool on);

// ---- The 3D vertex list ------------------------------------------------------------

constexpr int32_t MAX_3D_VERTICES = 1001;
struct R3DVertexList {
  int32_t kind = 0;       // 1 ... 6 draw (pr_ kinds); others draw nothing
  int32_t texture = -1;   // texture id, -1 none
  int32_t count = 0;
  std::array<RVertex3D, MAX_3D_VERTICES> vertices;
};
const R3DVertexList& D3D_VertexList();

// Begins a list (count 0); texture -1 for none.
void D3D_PrimitiveBegin(int32_t kind, int32_t texture);
// Adds a vertex while fewer than 1001 are held; colour 0xAARRGGBB.
void D3D_AddVertex(double x, double y, double z, double nx, double ny, double nz, double u, double v,
                   uint32_t colour);
// Draws the list (kinds 1 ... 6), which keeps its content.
void D3D_PrimitiveEnd();

// ---- Shapes -----------------------------------------------------------------

enum : int32_t {
  SHAPE_BLOCK = 10,
  SHAPE_CYLINDER = 11,
  SHAPE_CONE = 12,
  SHAPE_ELLIPSOID = 13,
  SHAPE_WALL = 14,
  SHAPE_FLOOR = 15,
};

// A shape between two corners with texture repeats; round shapes have a
// number of steps (held within 3 ... 128) and, for cylinders and cones, closed
// ends.
struct R3DShape {
  int32_t kind = SHAPE_BLOCK;
  double x1 = 0, y1 = 0, z1 = 0, x2 = 0, y2 = 0, z2 = 0;
  double hrepeat = 1, vrepeat = 1;
  bool closed = true;
  int32_t steps = 24;
};

// Receives the faces of a shape, each a triangle fan or strip in `list`.
class I3DFaceSink {
 public:
  virtual void Face(const R3DVertexList& list) = 0;

 protected:
  ~I3DFaceSink() = default;
};

// Builds the shape's faces one after the other in `list` (its texture kept),
// every vertex of colour `colour` (0xAARRGGBB), handing each to `sink`.
void Shape_Build(const R3DShape& shape, uint32_t colour, R3DVertexList& list, I3DFaceSink& sink);
// Draws the shape through the 3D vertex list in the drawing colour and alpha,
// the texture wrapping.
void D3D_DrawShape(const R3DShape& shape, int32_t texture);

// Restores the initial state of everything above (device state included
// when there is a device).
void D3D_Reset3D();
