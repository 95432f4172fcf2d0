// The 3D built-ins: mode and render states, primitives, shapes, projections,
// world transformation, lights and models.
#include "graphics/Function_3D.h"

#include <numbers>

#include "data/Option_Main.h"
#include "data/Support_Path.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_D3DX8.h"
#include "graphics/Graphics_Draw.h"
#include "variables/Code_Function.h"

namespace {

// Degrees as the device's radians: angles turn the other way.
double Radians(double degrees) { return -degrees * std::numbers::pi / 180.0; }

template <bool (*Switch)(bool), bool kOn>
void F_Mode(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Switch(kOn) ? 1.0 : 0.0);
}

template <void (*Set)(bool)>
void F_Flag(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Set(ArgBool(args, 0));
}

template <bool (*Do)()>
void F_Succeeds(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Do() ? 1.0 : 0.0);
}

template <void (*Do)()>
void F_Do(CInstance*, CInstance*, int, RValue*, RValue&) {
  Do();
}

void F_SetDepth(CInstance*, CInstance*, int, RValue* args, RValue&) { D3D_SetDepth(ArgReal(args, 0)); }

void F_SetFog(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_SetFog(ArgBool(args, 0), ArgInt(args, 1), ArgReal(args, 2), ArgReal(args, 3));
}

// ---- Primitives and model commands -------------------------------------------

// Where a vertex form keeps its normal, texture coordinates and colour among
// its arguments after the position (-1: it has none).
struct RVertexForm {
  int8_t normal, uv, colour;
};
constexpr RVertexForm kVertexForms[8] = {{-1, -1, -1}, {-1, -1, 3}, {-1, 3, -1}, {-1, 3, 5},
                                         {3, -1, -1},  {3, -1, 6},  {3, 6, -1},  {3, 6, 8}};

// d3d_vertex...: form index 0 ... 7 as the model command kinds 2 ... 9.
template <int kForm>
void F_Vertex(CInstance*, CInstance*, int, RValue* args, RValue&) {
  constexpr RVertexForm f = kVertexForms[kForm];
  auto at = [&](int i, double absent) { return i < 0 ? absent : ArgReal(args, i); };
  const uint32_t colour = f.colour < 0 ? D3D_ConvertColour(Draw_Colour(), Draw_Alpha())
                                       : D3D_ConvertColour(ArgInt(args, f.colour), ArgReal(args, f.colour + 1));
  D3D_AddVertex(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), at(f.normal, 0), at(f.normal + 1, 0),
                at(f.normal + 2, 0), at(f.uv, 0), at(f.uv + 1, 0), colour);
}

void F_PrimitiveBegin(CInstance*, CInstance*, int, RValue* args, RValue&) { D3D_PrimitiveBegin(ArgInt(args, 0), -1); }
void F_PrimitiveBeginTexture(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_PrimitiveBegin(ArgInt(args, 0), ArgInt(args, 1));
}

// A shape from the arguments (x1, y1, z1, x2, y2, z2), with the repeats and
// what follows them from argument `repeats` on.
R3DShape ShapeOf(int32_t kind, const RValue* a, int repeats) {
  R3DShape s;
  s.kind = kind;
  s.x1 = ArgReal(a, 0), s.y1 = ArgReal(a, 1), s.z1 = ArgReal(a, 2);
  s.x2 = ArgReal(a, 3), s.y2 = ArgReal(a, 4), s.z2 = ArgReal(a, 5);
  s.hrepeat = ArgReal(a, repeats), s.vrepeat = ArgReal(a, repeats + 1);
  if (kind == SHAPE_CYLINDER || kind == SHAPE_CONE) {
    s.closed = ArgBool(a, repeats + 2);
    s.steps = ArgInt(a, repeats + 3);
  } else if (kind == SHAPE_ELLIPSOID) {
    s.steps = ArgInt(a, repeats + 2);
  }
  return s;
}

template <int32_t kKind>
void F_Shape(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_DrawShape(ShapeOf(kKind, args, 7), ArgInt(args, 6));
}

// d3d_model_...: the model index, then the command's values in order.
template <int32_t kKind, int kValues>
void F_ModelCommand(CInstance*, CInstance*, int, RValue* args, RValue&) {
  C3D_Model* model = Model_Get(ArgInt(args, 0));
  if (model == nullptr) return;
  R3DCommand c;
  c.kind = kKind;
  for (int i = 0; i < kValues; ++i) c.values[i] = ArgReal(args, i + 1);
  model->Add(c);
}

// ---- Projections ----------------------------------------------------------------

RMatrix LookAt(const RValue* a) {
  const double eye[3] = {ArgReal(a, 0), ArgReal(a, 1), ArgReal(a, 2)};
  const double at[3] = {ArgReal(a, 3), ArgReal(a, 4), ArgReal(a, 5)};
  const double up[3] = {ArgReal(a, 6), ArgReal(a, 7), ArgReal(a, 8)};
  return Matrix_LookAtLH(eye, at, up);
}

void F_SetProjection(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (D3D_DeviceExists()) D3D_SetCamera(LookAt(args), D3D_ProjectionMatrixNow());
}

void F_SetProjectionExt(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!D3D_DeviceExists()) return;
  D3D_SetCamera(LookAt(args), Matrix_PerspectiveFovLH(ArgReal(args, 9) * std::numbers::pi / 180.0,
                                                      ArgReal(args, 10), ArgReal(args, 11), ArgReal(args, 12)));
}

template <void (*Set)(double, double, double, double, double)>
void F_SetRegionProjection(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (D3D_DeviceExists()) Set(ArgReal(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgReal(args, 4));
}

// ---- World transformation ------------------------------------------------------------

RMatrix Identity(const RValue*) { return Matrix_Identity(); }
RMatrix Translation(const RValue* a) { return Matrix_Translation(ArgReal(a, 0), ArgReal(a, 1), ArgReal(a, 2)); }
RMatrix Scaling(const RValue* a) { return Matrix_Scaling(ArgReal(a, 0), ArgReal(a, 1), ArgReal(a, 2)); }
RMatrix RotationX(const RValue* a) { return Matrix_RotationX(Radians(ArgReal(a, 0))); }
RMatrix RotationY(const RValue* a) { return Matrix_RotationY(Radians(ArgReal(a, 0))); }
RMatrix RotationZ(const RValue* a) { return Matrix_RotationZ(Radians(ArgReal(a, 0))); }
RMatrix RotationAxis(const RValue* a) {
  return Matrix_RotationAxis(ArgReal(a, 0), ArgReal(a, 1), ArgReal(a, 2), Radians(ArgReal(a, 3)));
}

template <RMatrix (*Build)(const RValue*)>
void F_TransformSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_SetWorld(Build(args));
}

template <RMatrix (*Build)(const RValue*)>
void F_TransformAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_AddWorld(Build(args));
}

// ---- Lights ---------------------------------------------------------------------

void F_LightDirection(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_DefineLight(ArgInt(args, 0),
                  D3D_DirectionalLight(ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgInt(args, 4)));
}

void F_LightPoint(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_DefineLight(ArgInt(args, 0), D3D_PointLight(ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3),
                                                  ArgReal(args, 4), ArgInt(args, 5)));
}

void F_LightEnable(CInstance*, CInstance*, int, RValue* args, RValue&) {
  D3D_EnableLight(ArgInt(args, 0), ArgBool(args, 1));
}

// ---- Models -----------------------------------------------------------------

void F_ModelCreate(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Model_Create()); }
void F_ModelDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) { Model_Destroy(ArgInt(args, 0)); }

void F_ModelClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (C3D_Model* model = Model_Get(ArgInt(args, 0))) model->Clear();
}

void F_ModelDraw(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (C3D_Model* model = Model_Get(ArgInt(args, 0)))
    model->Draw(ArgReal(args, 1), ArgReal(args, 2), ArgReal(args, 3), ArgInt(args, 4));
}

// Loading and saving tell the script nothing: a file that cannot be read
// leaves the model empty (or with the commands before a fault), one that
// cannot be written is left as it was.
void F_ModelLoad(CInstance*, CInstance*, int, RValue* args, RValue&) {
  C3D_Model* model = Model_Get(ArgInt(args, 0));
  if (model == nullptr) return;
  std::string text;
  if (!Path_ReadFile(Path_Resolve(ArgString(args, 1)), text)) text.clear();
  model->LoadText(text);
}

void F_ModelSave(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const C3D_Model* model = Model_Get(ArgInt(args, 0));
  const std::string& name = ArgString(args, 1);
  // Secure mode writes no file outside the game's folder.
  if (model == nullptr || (SecureMode && Path_HasFolder(name))) return;
  Path_ReplaceFile(Path_Resolve(name), Model_FormatText(model->Commands()));
}

constexpr RFunctionDef k3DFunctions[] = {
    {"d3d_start", F_Mode<D3D_Set3DMode, true>, 0},
    {"d3d_end", F_Mode<D3D_Set3DMode, false>, 0},
    {"d3d_set_perspective", F_Flag<D3D_SetPerspective>, 1},
    {"d3d_set_hidden", F_Flag<D3D_SetHidden>, 1},
    {"d3d_set_depth", F_SetDepth, 1},
    {"d3d_set_lighting", F_Flag<D3D_SetLighting>, 1},
    {"d3d_set_shading", F_Flag<D3D_SetShading>, 1},
    {"d3d_set_fog", F_SetFog, 4},
    {"d3d_set_culling", F_Flag<D3D_SetCulling>, 1},

    {"d3d_primitive_begin", F_PrimitiveBegin, 1},
    {"d3d_primitive_begin_texture", F_PrimitiveBeginTexture, 2},
    {"d3d_primitive_end", F_Do<D3D_PrimitiveEnd>, 0},
    {"d3d_vertex", F_Vertex<0>, 3},
    {"d3d_vertex_color", F_Vertex<1>, 5},
    {"d3d_vertex_texture", F_Vertex<2>, 5},
    {"d3d_vertex_texture_color", F_Vertex<3>, 7},
    {"d3d_vertex_normal", F_Vertex<4>, 6},
    {"d3d_vertex_normal_color", F_Vertex<5>, 8},
    {"d3d_vertex_normal_texture", F_Vertex<6>, 8},
    {"d3d_vertex_normal_texture_color", F_Vertex<7>, 10},

    {"d3d_draw_block", F_Shape<SHAPE_BLOCK>, 9},
    {"d3d_draw_cylinder", F_Shape<SHAPE_CYLINDER>, 11},
    {"d3d_draw_cone", F_Shape<SHAPE_CONE>, 11},
    {"d3d_draw_ellipsoid", F_Shape<SHAPE_ELLIPSOID>, 10},
    {"d3d_draw_wall", F_Shape<SHAPE_WALL>, 9},
    {"d3d_draw_floor", F_Shape<SHAPE_FLOOR>, 9},

    {"d3d_set_projection", F_SetProjection, 9},
    {"d3d_set_projection_ext", F_SetProjectionExt, 13},
    {"d3d_set_projection_ortho", F_SetRegionProjection<D3D_SetOrthoProjection>, 5},
    {"d3d_set_projection_perspective", F_SetRegionProjection<D3D_SetPerspectiveProjection>, 5},

    {"d3d_transform_set_identity", F_TransformSet<Identity>, 0},
    {"d3d_transform_set_translation", F_TransformSet<Translation>, 3},
    {"d3d_transform_set_scaling", F_TransformSet<Scaling>, 3},
    {"d3d_transform_set_rotation_x", F_TransformSet<RotationX>, 1},
    {"d3d_transform_set_rotation_y", F_TransformSet<RotationY>, 1},
    {"d3d_transform_set_rotation_z", F_TransformSet<RotationZ>, 1},
    {"d3d_transform_set_rotation_axis", F_TransformSet<RotationAxis>, 4},
    {"d3d_transform_add_translation", F_TransformAdd<Translation>, 3},
    {"d3d_transform_add_scaling", F_TransformAdd<Scaling>, 3},
    {"d3d_transform_add_rotation_x", F_TransformAdd<RotationX>, 1},
    {"d3d_transform_add_rotation_y", F_TransformAdd<RotationY>, 1},
    {"d3d_transform_add_rotation_z", F_TransformAdd<RotationZ>, 1},
    {"d3d_transform_add_rotation_axis", F_TransformAdd<RotationAxis>, 4},

    {"d3d_transform_stack_clear", F_Do<D3D_StackClear>, 0},
    {"d3d_transform_stack_empty", F_Succeeds<D3D_StackEmpty>, 0},
    {"d3d_transform_stack_push", F_Succeeds<D3D_StackPush>, 0},
    {"d3d_transform_stack_pop", F_Succeeds<D3D_StackPop>, 0},
    {"d3d_transform_stack_top", F_Succeeds<D3D_StackTop>, 0},
    {"d3d_transform_stack_discard", F_Succeeds<D3D_StackDiscard>, 0},

    {"d3d_light_define_direction", F_LightDirection, 5},
    {"d3d_light_define_point", F_LightPoint, 6},
    {"d3d_light_enable", F_LightEnable, 2},

    {"d3d_model_create", F_ModelCreate, 0},
    {"d3d_model_destroy", F_ModelDestroy, 1},
    {"d3d_model_clear", F_ModelClear, 1},
    {"d3d_model_load", F_ModelLoad, 2},
    {"d3d_model_save", F_ModelSave, 2},
    {"d3d_model_draw", F_ModelDraw, 5},
    {"d3d_model_primitive_begin", F_ModelCommand<MODEL_BEGIN, 1>, 2},
    {"d3d_model_primitive_end", F_ModelCommand<MODEL_END, 0>, 1},
    {"d3d_model_vertex", F_ModelCommand<MODEL_VERTEX, 3>, 4},
    {"d3d_model_vertex_color", F_ModelCommand<MODEL_VERTEX_COLOUR, 5>, 6},
    {"d3d_model_vertex_texture", F_ModelCommand<MODEL_VERTEX_TEXTURE, 5>, 6},
    {"d3d_model_vertex_texture_color", F_ModelCommand<MODEL_VERTEX_TEXTURE_COLOUR, 7>, 8},
    {"d3d_model_vertex_normal", F_ModelCommand<MODEL_VERTEX_NORMAL, 6>, 7},
    {"d3d_model_vertex_normal_color", F_ModelCommand<MODEL_VERTEX_NORMAL_COLOUR, 8>, 9},
    {"d3d_model_vertex_normal_texture", F_ModelCommand<MODEL_VERTEX_NORMAL_TEXTURE, 8>, 9},
    {"d3d_model_vertex_normal_texture_color", F_ModelCommand<MODEL_VERTEX_NORMAL_TEXTURE_COLOUR, 10>, 11},
    {"d3d_model_block", F_ModelCommand<SHAPE_BLOCK, 8>, 9},
    {"d3d_model_cylinder", F_ModelCommand<SHAPE_CYLINDER, 10>, 11},
    {"d3d_model_cone", F_ModelCommand<SHAPE_CONE, 10>, 11},
    {"d3d_model_ellipsoid", F_ModelCommand<SHAPE_ELLIPSOID, 9>, 10},
    {"d3d_model_wall", F_ModelCommand<SHAPE_WALL, 8>, 9},
    {"d3d_model_floor", F_ModelCommand<SHAPE_FLOOR, 8>, 9},
};
static_assert(std::size(k3DFunctions) == 74);

}  // namespace

void Function_3D_Register() { RegisterFunctions(k3DFunctions); }
