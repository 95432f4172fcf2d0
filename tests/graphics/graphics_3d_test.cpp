// 3D mode: flags and depth, the transform functions against hand-computed
// matrices, shape tessellation, and whole scenes against reference images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "code/Code_Error.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Main.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Room_Main.h"

namespace {

RValue R(double v) { return RValue(v); }

// Each test starts from the initial 3D state and an empty model table.
class Graphics3D : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    D3D_Reset3D();
    Model_ClearTable();
    Draw_SetColour(0);
    Draw_SetAlpha(1);
  }
};

class Scene3D : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    D3D_Reset3D();
    Model_ClearTable();
    D3D_SetViewport(0, 0, 128, 128);
    D3D_Clear(0x000000);
    Draw_SetColour(0xFFFFFF);
    Draw_SetAlpha(1);
  }
  void TearDown() override {
    Model_ClearTable();
    D3D_Reset3D();
    GraphicsTest::TearDown();
  }
  // 3D mode and a camera at (0, -120, 60) looking at the origin, z up.
  static void Camera(double x = 0, double y = -120, double z = 60) {
    ASSERT_EQ(CallByName("d3d_start").real, 1);
    D3D_ClearDepthBuffer();
    CallByName("d3d_set_projection_ext", {R(x), R(y), R(z), R(0), R(0), R(0), R(0), R(0), R(1), R(45), R(1),
                                          R(1), R(1000)});
  }
  static void Block(double x1, double y1, double z1, double x2, double y2, double z2, int32_t tex = -1) {
    CallByName("d3d_draw_block", {R(x1), R(y1), R(z1), R(x2), R(y2), R(z2), R(tex), R(1), R(1)});
  }
  CBitmap32 Picture() { return Grab(128, 128); }
};

// p x W for the current world matrix.
void World(double x, double y, double z, double out[3]) {
  const double p[3] = {x, y, z};
  Matrix_TransformPoint(D3D_World(), p, out);
}

#define EXPECT_POINT(p, X, Y, Z)   \
  do {                             \
    EXPECT_NEAR((p)[0], X, 1e-9);  \
    EXPECT_NEAR((p)[1], Y, 1e-9);  \
    EXPECT_NEAR((p)[2], Z, 1e-9);  \
  } while (0)

// Records the faces a shape builds.
struct RFaces final : I3DFaceSink {
  std::vector<int32_t> kinds, counts;
  std::vector<RVertex3D> vertices;
  void Face(const R3DVertexList& list) override {
    kinds.push_back(list.kind);
    counts.push_back(list.count);
    vertices.insert(vertices.end(), list.vertices.begin(), list.vertices.begin() + list.count);
  }
};

RFaces Build(const R3DShape& shape) {
  RFaces faces;
  R3DVertexList list;
  Shape_Build(shape, 0xFFFFFFFFu, list, faces);
  return faces;
}

}  // namespace

// ---- Mode, flags and depth -------------------------------------------------------------

TEST_F(Graphics3D, ModeSwitchesFlagsAndHoldsTheDepth) {
  CallByName("d3d_set_depth", {R(20000)});
  EXPECT_EQ(D3D_Depth(), 0);  // 2D mode: always 0
  EXPECT_EQ(CallByName("d3d_start").real, 1);
  EXPECT_TRUE(D3D_3DState().mode && D3D_3DState().perspective && D3D_3DState().hidden);
  EXPECT_EQ(CallByName("d3d_start").real, 1);  // already on
  CallByName("d3d_set_depth", {R(20000)});
  EXPECT_EQ(D3D_Depth(), 16000);
  CallByName("d3d_set_depth", {R(-16000.5)});
  EXPECT_EQ(D3D_Depth(), -16000);
  CallByName("d3d_set_depth", {R(-12.25)});
  EXPECT_EQ(D3D_Depth(), -12.25);
  EXPECT_EQ(CallByName("d3d_end").real, 1);
  EXPECT_FALSE(D3D_3DState().mode || D3D_3DState().perspective || D3D_3DState().hidden);
  EXPECT_EQ(D3D_Depth(), 0);

  CallByName("d3d_set_fog", {R(1), R(0x00FF00), R(10), R(200)});
  EXPECT_TRUE(D3D_3DState().fog);
  EXPECT_EQ(D3D_3DState().fog_colour, 0x00FF00);
  EXPECT_EQ(D3D_3DState().fog_end, 200);
  CallByName("d3d_set_shading", {R(0)});
  CallByName("d3d_set_lighting", {R(1)});
  EXPECT_FALSE(D3D_3DState().smooth);
  EXPECT_TRUE(D3D_3DState().lighting);
}

TEST_F(Scene3D, QuadsTakeTheCurrentDepth) {
  const uint32_t white[4] = {~0u, ~0u, ~0u, ~0u};
  RVertex q[4];
  D3D_SetDepth(500);  // 2D mode
  D3D_BuildQuad(q, 4, 4, 0, 0, 4, 4, 0, 0, 0, 0, 1, 1, 0, white);
  EXPECT_EQ(q[0].z, 0);
  D3D_Set3DMode(true);
  D3D_SetDepth(500);
  D3D_BuildQuad(q, 4, 4, 0, 0, 4, 4, 0, 0, 0, 0, 1, 1, 0, white);
  EXPECT_EQ(q[2].z, 500);
}

// ---- Transformations ------------------------------------------------------------------

TEST_F(Graphics3D, TransformFunctionsBuildTheWorldMatrix) {
  double p[3];
  CallByName("d3d_transform_set_translation", {R(10), R(20), R(30)});
  World(1, 2, 3, p);
  EXPECT_POINT(p, 11, 22, 33);
  CallByName("d3d_transform_set_scaling", {R(2), R(3), R(4)});
  World(1, 1, 1, p);
  EXPECT_POINT(p, 2, 3, 4);
  // Angles turn counter-clockwise on a y-down screen: +x goes to -y.
  CallByName("d3d_transform_set_rotation_z", {R(90)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 0, -1, 0);
  CallByName("d3d_transform_set_rotation_x", {R(90)});
  World(0, 1, 0, p);
  EXPECT_POINT(p, 0, 0, -1);
  CallByName("d3d_transform_set_rotation_y", {R(90)});
  World(0, 0, 1, p);
  EXPECT_POINT(p, -1, 0, 0);
  CallByName("d3d_transform_set_rotation_axis", {R(0), R(0), R(5), R(90)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 0, -1, 0);
  // 120 degrees about (1, 1, 1) cycles the axes.
  CallByName("d3d_transform_set_rotation_axis", {R(1), R(1), R(1), R(-120)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 0, 1, 0);
  CallByName("d3d_transform_set_rotation_axis", {R(0), R(0), R(0), R(45)});  // no axis: nothing turns
  EXPECT_TRUE(Matrix_IsIdentity(D3D_World()));

  // add: the new transformation applies after those already set.
  CallByName("d3d_transform_set_translation", {R(10), R(0), R(0)});
  CallByName("d3d_transform_add_scaling", {R(2), R(2), R(2)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 22, 0, 0);
  CallByName("d3d_transform_add_rotation_z", {R(90)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 0, -22, 0);
  CallByName("d3d_transform_add_translation", {R(0), R(0), R(5)});
  CallByName("d3d_transform_add_rotation_x", {R(180)});
  CallByName("d3d_transform_add_rotation_y", {R(0)});
  CallByName("d3d_transform_add_rotation_axis", {R(0), R(1), R(0), R(0)});
  World(1, 0, 0, p);
  EXPECT_POINT(p, 0, 22, -5);
  CallByName("d3d_transform_set_identity");
  EXPECT_TRUE(Matrix_IsIdentity(D3D_World()));
}

TEST_F(Graphics3D, TransformStackHoldsAThousandAndOne) {
  EXPECT_EQ(CallByName("d3d_transform_stack_empty").real, 1);
  EXPECT_EQ(CallByName("d3d_transform_stack_pop").real, 0);
  EXPECT_EQ(CallByName("d3d_transform_stack_top").real, 0);
  EXPECT_EQ(CallByName("d3d_transform_stack_discard").real, 0);
  for (int i = 0; i < TRANSFORM_STACK_SIZE; ++i) {
    D3D_SetWorld(Matrix_Translation(i, 0, 0));
    ASSERT_EQ(CallByName("d3d_transform_stack_push").real, 1) << i;
  }
  D3D_SetWorld(Matrix_Translation(-1, 0, 0));
  EXPECT_EQ(CallByName("d3d_transform_stack_push").real, 0);
  EXPECT_EQ(D3D_World().m[3][0], -1);  // a failed push changes nothing
  EXPECT_EQ(CallByName("d3d_transform_stack_top").real, 1);
  EXPECT_EQ(D3D_World().m[3][0], 1000);
  EXPECT_EQ(CallByName("d3d_transform_stack_discard").real, 1);
  EXPECT_EQ(CallByName("d3d_transform_stack_pop").real, 1);
  EXPECT_EQ(D3D_World().m[3][0], 999);
  EXPECT_EQ(CallByName("d3d_transform_stack_empty").real, 0);
  CallByName("d3d_transform_stack_clear");
  EXPECT_EQ(CallByName("d3d_transform_stack_empty").real, 1);
  EXPECT_EQ(D3D_World().m[3][0], 999);
}

TEST(Matrix3D, ProjectionsMapTheirVolume) {
  const double eye[3] = {0, 0, -10}, at[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  const RMatrix view = Matrix_LookAtLH(eye, at, up);
  double p[3];
  const double origin[3] = {0, 0, 0};
  Matrix_TransformPoint(view, origin, p);
  EXPECT_POINT(p, 0, 0, 10);
  // Near plane to depth 0, far plane to depth 1; the window's edge to 1.
  const RMatrix fov = Matrix_PerspectiveFovLH(std::acos(-1.0) / 2, 2, 1, 100);
  const double near_edge[3] = {2, 1, 1}, far_point[3] = {0, 0, 100};
  Matrix_TransformPoint(fov, near_edge, p);
  EXPECT_POINT(p, 1, 1, 0);
  Matrix_TransformPoint(fov, far_point, p);
  EXPECT_POINT(p, 0, 0, 1);
  const RMatrix window = Matrix_PerspectiveLH(4, 2, 2, 50);
  const double corner[3] = {2, 1, 2};
  Matrix_TransformPoint(window, corner, p);
  EXPECT_POINT(p, 1, 1, 0);
  const RMatrix ortho = Matrix_OrthoLH(200, -100, 1, 32001);
  const double q[3] = {100, 50, 16001};
  Matrix_TransformPoint(ortho, q, p);
  EXPECT_POINT(p, 1, -1, 0.5);
}

// ---- Lights -----------------------------------------------------------------------

TEST(Lights3D, ColoursAndAttenuation) {
  const RLight point = D3D_PointLight(1, 2, 3, 0, 0x0080FF);
  EXPECT_TRUE(point.point);
  EXPECT_EQ(point.attenuation, 0);  // range 0
  EXPECT_FLOAT_EQ(point.red, 1);
  EXPECT_FLOAT_EQ(point.green, 128 / 255.0f);
  EXPECT_FLOAT_EQ(point.blue, 0);
  EXPECT_FLOAT_EQ(D3D_PointLight(0, 0, 0, 200, 0).attenuation, 0.02f);
  const RLight sun = D3D_DirectionalLight(0, 0, -1, 0xFF0000);
  EXPECT_FALSE(sun.point);
  EXPECT_FLOAT_EQ(sun.blue, 1);
  EXPECT_EQ(sun.z, -1);
}

// ---- Shapes and the vertex list ------------------------------------------------------------

TEST(Shapes3D, TessellationFollowsTheShapeRules) {
  R3DShape block{SHAPE_BLOCK, 0, 0, 0, 10, 20, 30, 2, 3};
  RFaces b = Build(block);
  ASSERT_EQ(b.counts, std::vector<int32_t>(6, 4));
  EXPECT_EQ(b.kinds[0], PRIM_TRIANGLEFAN);
  // The first face lies at z1 facing down; its third corner is the far one.
  EXPECT_EQ(b.vertices[2].x, 10);
  EXPECT_EQ(b.vertices[2].y, 20);
  EXPECT_EQ(b.vertices[2].nz, -1);
  EXPECT_EQ(b.vertices[2].u, 2);
  EXPECT_EQ(b.vertices[2].v, 3);
  EXPECT_EQ(b.vertices[20].nx, -1);  // the last face at x1

  R3DShape cylinder{SHAPE_CYLINDER, -1, -1, 0, 1, 1, 2, 1, 1, true, 2};
  RFaces c = Build(cylinder);
  EXPECT_EQ(c.counts, (std::vector<int32_t>{5, 8, 5}));  // steps 2 drawn as 3
  EXPECT_EQ(c.kinds, (std::vector<int32_t>{PRIM_TRIANGLEFAN, PRIM_TRIANGLESTRIP, PRIM_TRIANGLEFAN}));
  cylinder.steps = 500;
  cylinder.closed = false;
  EXPECT_EQ(Build(cylinder).counts, std::vector<int32_t>{258});  // 128 steps, open
  cylinder.kind = SHAPE_CONE;
  cylinder.closed = true;
  cylinder.steps = 4;
  RFaces cone = Build(cylinder);
  EXPECT_EQ(cone.counts, (std::vector<int32_t>{10, 6}));  // no top fan
  EXPECT_EQ(cone.vertices[0].z, 2);                      // the apex
  EXPECT_EQ(cone.vertices[2].x, 0);

  R3DShape ball{SHAPE_ELLIPSOID, -1, -1, -1, 1, 1, 1, 1, 1, true, 6};
  RFaces e = Build(ball);
  EXPECT_EQ(e.counts, std::vector<int32_t>(3, 14));  // (6 + 1) div 2 bands
  EXPECT_NEAR(e.vertices[0].z, 1, 1e-6);             // from the pole at z2
  EXPECT_NEAR(e.vertices.back().z, -1, 1e-6);

  R3DShape wall{SHAPE_WALL, 5, 5, 0, 5, 5, 10};
  EXPECT_TRUE(Build(wall).counts.empty());
  wall.x2 = 15;
  RFaces w = Build(wall);
  EXPECT_EQ(w.vertices[0].ny, -1);
  R3DShape floor{SHAPE_FLOOR, 0, 0, 0, 10, 10, 5, 4, 4};
  RFaces f = Build(floor);
  EXPECT_EQ(f.vertices[2].z, 5);  // the height runs from z1 at x1 to z2 at x2
  EXPECT_EQ(f.vertices[1].z, 0);
}

TEST_F(Scene3D, VertexListHoldsAThousandAndOneAndDrawsOnlyItsKinds) {
  CallByName("d3d_primitive_begin", {R(PRIM_POINTLIST)});
  for (int i = 0; i < 1005; ++i)
    CallByName("d3d_vertex_normal_color", {R(i), R(1), R(2), R(0), R(0), R(1), R(0xFF), R(0.5)});
  const R3DVertexList& list = D3D_VertexList();
  EXPECT_EQ(list.count, MAX_3D_VERTICES);
  EXPECT_EQ(list.vertices[1000].x, 1000);
  EXPECT_EQ(list.vertices[0].colour, 0x80FF0000u);
  EXPECT_EQ(list.vertices[0].nz, 1);
  CallByName("d3d_primitive_begin_texture", {R(PRIM_TRIANGLELIST), R(12345)});
  CallByName("d3d_vertex", {R(1), R(2), R(3)});
  EXPECT_EQ(list.vertices[0].colour, 0xFFFFFFFFu);  // the drawing colour
  EXPECT_EQ(list.vertices[0].nx, 0);
  const int64_t calls = PlatformGL_DrawCalls();
  for (int kind : {0, 7}) {
    CallByName("d3d_primitive_begin", {R(kind)});
    CallByName("d3d_vertex", {R(1), R(2), R(3)});
    CallByName("d3d_primitive_end");
  }
  EXPECT_EQ(PlatformGL_DrawCalls(), calls);
  // A wall without length draws nothing and leaves texture repeat alone.
  CallByName("d3d_draw_wall", {R(5), R(5), R(0), R(5), R(5), R(10), R(-1), R(1), R(1)});
  EXPECT_EQ(PlatformGL_DrawCalls(), calls);
  EXPECT_FALSE(D3D_RenderState().texture_repeat);
}

// ---- Models ----------------------------------------------------------------------

TEST_F(Graphics3D, ModelCommandsFileAndTable) {
  const int32_t a = CallByName("d3d_model_create").real, b = CallByName("d3d_model_create").real;
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  CallByName("d3d_model_destroy", {R(a)});
  EXPECT_EQ(CallByName("d3d_model_create").real, 0);  // the lowest free slot
  CallByName("d3d_model_vertex", {R(7), R(1), R(2), R(3)});  // no such model: nothing happens
  CallByName("d3d_model_primitive_begin", {R(b), R(PRIM_TRIANGLEFAN)});
  CallByName("d3d_model_vertex_texture_color", {R(b), R(1), R(2), R(3), R(0.25), R(0.5), R(255), R(0.123456)});
  CallByName("d3d_model_primitive_end", {R(b)});
  CallByName("d3d_model_cylinder", {R(b), R(0), R(0), R(0), R(1), R(1), R(1), R(2), R(3), R(1), R(12345678901.5)});
  const std::vector<R3DCommand>& commands = Model_Get(b)->Commands();
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[1].kind, MODEL_VERTEX_TEXTURE_COLOUR);
  EXPECT_EQ(commands[1].values[6], 0.123456);
  EXPECT_EQ(commands[1].values[7], 0);
  EXPECT_EQ(commands[3].kind, SHAPE_CYLINDER);

  const std::string text = Model_FormatText(commands);
  EXPECT_EQ(text.substr(0, 9), "100\r\n4\r\n0");
  EXPECT_NE(text.find("\r\n5 1.0000 2.0000 3.0000 0.2500 0.5000 255.0000 0.1235 0.0000 0.0000 0.0000\r\n"),
            std::string::npos);
  EXPECT_NE(text.find(" 1.23456789015"), std::string::npos);  // exponent form beyond ten digits

  // Saved and loaded again through the built-ins: the same commands, rounded
  // to four decimals.
  const std::string path = std::string(VELMORA_BUILD_DIR) + "/model_roundtrip.d3d";
  CallByName("d3d_model_save", {R(b), Str(path.c_str())});
  const int32_t c = CallByName("d3d_model_create").real;
  CallByName("d3d_model_load", {R(c), Str(path.c_str())});
  const std::vector<R3DCommand>& loaded = Model_Get(c)->Commands();
  ASSERT_EQ(loaded.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(loaded[i].kind, commands[i].kind);
    for (int v = 0; v < 10; ++v) EXPECT_NEAR(loaded[i].values[v], commands[i].values[v], 5e-5) << i << " " << v;
  }
  std::remove(path.c_str());
  CallByName("d3d_model_load", {R(c), Str(path.c_str())});  // gone: the model is emptied
  EXPECT_TRUE(Model_Get(c)->Commands().empty());
}

TEST(ModelFile, MalformedFilesFailKeepingWhatCameBefore) {
  std::vector<R3DCommand> out;
  EXPECT_TRUE(Model_ParseText("100\n1\n2 1 2 3\n", out));  // short lines and LF ends are fine
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].values[2], 3);
  EXPECT_EQ(out[0].values[3], 0);
  const char* bad[] = {
      "",
      "101\r\n0\r\n",
      "100\r\n",
      "100\r\n-1\r\n",
      "100\r\n2.5\r\n",
      "100\r\n2\r\n2 1 2 3\r\n",             // one command short
      "100\r\n2\r\n2 1 2 3\r\n16 0 0 0\r\n",  // an unknown kind
      "100\r\n2\r\n2 1 2 3\r\n2 1 x 3\r\n",   // not a number
      "100\r\n2\r\n2 1 2 3\r\n2 1 nan 3\r\n",
      "100\r\n2\r\n2 1 2 3\r\n2 1 1e999 3\r\n",
      "100\r\n2147483647\r\n2 1 2 3\r\n",     // claims far more than it holds
      "100\r\n2\r\n2 1 2 3\r\n2 1,5 2 3\r\n",
  };
  for (const char* text : bad) {
    out.clear();
    EXPECT_FALSE(Model_ParseText(text, out)) << text;
    EXPECT_LE(out.size(), 1u);
  }
  out.clear();
  EXPECT_FALSE(Model_ParseText("100\r\n3\r\n2 1 2 3\r\n12 0 0\r\n99\r\n", out));
  EXPECT_EQ(out.size(), 2u);  // read before the fault
}

// ---- Scenes ----------------------------------------------------------------------

TEST_F(Scene3D, LitBlockInPerspective) {
  Camera(-50, -120, 70);
  CallByName("d3d_set_lighting", {R(1)});
  CallByName("d3d_light_define_direction", {R(0), R(0.5), R(1), R(-1.5), R(0xFFFFFF)});
  CallByName("d3d_light_enable", {R(0), R(1)});
  CallByName("d3d_light_define_point", {R(1), R(60), R(-60), R(0), R(100), R(0x0000FF)});
  CallByName("d3d_light_enable", {R(1), R(1)});
  Draw_SetColour(0x40C0FF);
  Block(-20, -20, -20, 20, 20, 20);
  const CBitmap32 image = Picture();
  EXPECT_TRUE(MatchesReference(image, "d3d_lit_block"));
  // The face towards the light is bright, the one turned away dark.
  EXPECT_EQ(image.Pixel(2, 2), 0xFF000000u);
}

TEST_F(Scene3D, NearBlockHidesFarBlockInEitherOrder) {
  CBitmap32 pictures[2];
  for (int order = 0; order < 2; ++order) {
    D3D_Clear(0x000000);
    Camera();
    for (int i = 0; i < 2; ++i) {
      if ((i == 0) == (order == 0)) {
        Draw_SetColour(0x0000FF);  // red, near
        Block(-15, -40, -15, 15, -20, 15);
      } else {
        Draw_SetColour(0xFF0000);  // blue, far and larger
        Block(-30, 20, -30, 30, 40, 30);
      }
    }
    pictures[order] = Picture();
    CallByName("d3d_end");
  }
  EXPECT_EQ(pictures[0].Pixel(64, 64), 0xFFFF0000u);
  EXPECT_EQ(pictures[1].Pixel(64, 64), 0xFFFF0000u);
  EXPECT_EQ(pictures[0].pixels, pictures[1].pixels);
  EXPECT_TRUE(MatchesReference(pictures[0], "d3d_hidden_surface"));
}

TEST_F(Scene3D, FogFadesTheFarFloorIntoItsColour) {
  Camera(0, -100, 20);
  CallByName("d3d_set_fog", {R(1), R(0x808080), R(60), R(250)});
  Draw_SetColour(0x00C000);
  CallByName("d3d_draw_floor", {R(-200), R(-100), R(-10), R(200), R(400), R(-10), R(-1), R(1), R(1)});
  const CBitmap32 image = Picture();
  EXPECT_TRUE(MatchesReference(image, "d3d_fog"));
  // Near the camera the floor keeps its green; by the horizon it is grey.
  const uint32_t near = image.Pixel(64, 127), far = image.Pixel(64, 46);
  EXPECT_GT((near >> 8) & 0xFF, 0x90u);
  EXPECT_NEAR(static_cast<int>((far >> 16) & 0xFF), 0x80, 12);
}

TEST_F(Scene3D, CullingDropsFacesTurnedAway) {
  Camera();
  CallByName("d3d_set_culling", {R(1)});
  Draw_SetColour(0x00FFFF);
  Block(-20, -20, -20, 20, 20, 20);
  // A wall whose front faces away from the camera (its normal points +y).
  Draw_SetColour(0xFF00FF);
  CallByName("d3d_draw_wall", {R(60), R(-30), R(-20), R(40), R(-30), R(20), R(-1), R(1), R(1)});
  const CBitmap32 culled = Picture();
  EXPECT_TRUE(MatchesReference(culled, "d3d_culling"));
  EXPECT_EQ(culled.Pixel(64, 64), 0xFFFFFF00u);  // the block's outside shows
  for (uint32_t p : culled.pixels) ASSERT_NE(p, 0xFFFF00FFu);
  // Without culling the wall shows.
  CallByName("d3d_set_culling", {R(0)});
  CallByName("d3d_draw_wall", {R(60), R(-30), R(-20), R(40), R(-30), R(20), R(-1), R(1), R(1)});
  const CBitmap32 all = Picture();
  EXPECT_NE(std::count(all.pixels.begin(), all.pixels.end(), 0xFFFF00FFu), 0);
}

TEST_F(Scene3D, FlatAndSmoothShading) {
  Camera(0, -110, 0);
  CallByName("d3d_set_lighting", {R(1)});
  CallByName("d3d_light_define_direction", {R(0), R(1), R(1), R(-1), R(0xFFFFFF)});
  CallByName("d3d_light_enable", {R(0), R(1)});
  CallByName("d3d_draw_ellipsoid", {R(-30), R(-30), R(-30), R(30), R(30), R(30), R(-1), R(1), R(1), R(12)});
  const CBitmap32 smooth = Picture();
  D3D_Clear(0);
  D3D_ClearDepthBuffer();
  CallByName("d3d_set_shading", {R(0)});
  CallByName("d3d_draw_ellipsoid", {R(-30), R(-30), R(-30), R(30), R(30), R(30), R(-1), R(1), R(1), R(12)});
  const CBitmap32 flat = Picture();
  EXPECT_TRUE(MatchesReference(smooth, "d3d_smooth"));
  EXPECT_TRUE(MatchesReference(flat, "d3d_flat"));
  // Flat faces have a single colour each: fewer distinct colours.
  auto distinct = [](const CBitmap32& image) {
    std::vector<uint32_t> p = image.pixels;
    std::sort(p.begin(), p.end());
    return std::unique(p.begin(), p.end()) - p.begin();
  };
  EXPECT_LT(distinct(flat) * 2, distinct(smooth));
}

TEST_F(Scene3D, TexturedFloorRepeats) {
  CBitmap32 checker(2, 2);
  checker.pixels = {0xFFFFFFFFu, 0xFF2040C0u, 0xFF2040C0u, 0xFFFFFFFFu};
  const int32_t tex = TextureFromImage(checker);
  Camera(0, -100, 50);
  CallByName("d3d_draw_floor", {R(-60), R(-60), R(0), R(60), R(60), R(0), R(tex), R(4), R(4)});
  EXPECT_TRUE(MatchesReference(Picture(), "d3d_textured_floor"));
  EXPECT_FALSE(D3D_RenderState().texture_repeat);  // restored after the shape
}

TEST_F(Scene3D, SavedModelLoadedBackDrawsTheSame) {
  const int32_t m = CallByName("d3d_model_create").real;
  CallByName("d3d_model_block", {R(m), R(-10), R(-10), R(0), R(10), R(10), R(20), R(1), R(1)});
  CallByName("d3d_model_cone", {R(m), R(-10), R(-10), R(20), R(10), R(10), R(40), R(1), R(1), R(1), R(16)});
  CallByName("d3d_model_primitive_begin", {R(m), R(PRIM_TRIANGLESTRIP)});
  // Lit vertices need normals: facing the camera.
  CallByName("d3d_model_vertex_normal_color", {R(m), R(-40), R(-5), R(-20), R(0), R(-1), R(0), R(0x0000FF), R(1)});
  CallByName("d3d_model_vertex_normal_color", {R(m), R(-40), R(-5), R(0), R(0), R(-1), R(0), R(0x00FF00), R(1)});
  CallByName("d3d_model_vertex_normal", {R(m), R(-20), R(-5), R(-20), R(0), R(-1), R(0)});
  CallByName("d3d_model_vertex_normal_color", {R(m), R(-20), R(-5), R(0), R(0), R(-1), R(0), R(0xFF0000), R(1)});
  CallByName("d3d_model_primitive_end", {R(m)});
  Camera();
  CallByName("d3d_set_lighting", {R(1)});
  CallByName("d3d_light_define_direction", {R(0), R(0.3), R(1), R(-0.5), R(0xFFFFFF)});
  CallByName("d3d_light_enable", {R(0), R(1)});
  Draw_SetColour(0x30A0F0);
  int64_t calls = PlatformGL_DrawCalls();
  CallByName("d3d_model_draw", {R(m), R(10), R(0), R(-20), R(-1)});
  const CBitmap32 original = Picture();
  EXPECT_EQ(PlatformGL_DrawCalls() - calls, 2);  // its shapes in one call, its strip in another
  EXPECT_TRUE(MatchesReference(original, "d3d_model"));

  const std::string path = std::string(VELMORA_BUILD_DIR) + "/model_picture.d3d";
  CallByName("d3d_model_save", {R(m), Str(path.c_str())});
  const int32_t copy = CallByName("d3d_model_create").real;
  CallByName("d3d_model_load", {R(copy), Str(path.c_str())});
  std::remove(path.c_str());
  D3D_Clear(0);
  D3D_ClearDepthBuffer();
  CallByName("d3d_model_draw", {R(copy), R(10), R(0), R(-20), R(-1)});
  EXPECT_EQ(Picture().pixels, original.pixels);

  // Copies of a model drawn one after the other reach the device together.
  const int32_t shapes = CallByName("d3d_model_create").real;
  CallByName("d3d_model_block", {R(shapes), R(-4), R(-4), R(0), R(4), R(4), R(8), R(1), R(1)});
  CallByName("d3d_model_ellipsoid", {R(shapes), R(-4), R(-4), R(8), R(4), R(4), R(16), R(1), R(1), R(8)});
  calls = PlatformGL_DrawCalls();
  for (int i = 0; i < 5; ++i) {
    Draw_SetColour(0x101010 * (i + 8));
    CallByName("d3d_model_draw", {R(shapes), R(i * 12 - 24), R(-30), R(30), R(-1)});
  }
  const CBitmap32 copies = Picture();
  EXPECT_EQ(PlatformGL_DrawCalls() - calls, 1);
  EXPECT_TRUE(MatchesReference(copies, "d3d_model_copies"));
}

TEST_F(Scene3D, ModelVertexMovesWithTheDrawPosition) {
  // A point at the model's origin drawn at (10, 20, 0) lands on that pixel
  // of a plain 2D projection.
  D3D_SetOrthoProjection(0, 0, 128, 128, 0);
  const int32_t m = CallByName("d3d_model_create").real;
  CallByName("d3d_model_primitive_begin", {R(m), R(PRIM_POINTLIST)});
  CallByName("d3d_model_vertex", {R(m), R(0), R(0), R(0)});
  CallByName("d3d_model_primitive_end", {R(m)});
  CallByName("d3d_model_draw", {R(m), R(10), R(20), R(30), R(-1)});
  const CBitmap32 image = Picture();
  EXPECT_EQ(image.Pixel(10, 20), 0xFFFFFFFFu);
  EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), 0xFFFFFFFFu), 1);
}

TEST_F(Scene3D, RoomProjectionTurnsPerspectiveWithDepth) {
  const int32_t red = TextureFromImage(CBitmap32(64, 64, 0xFFFF0000u));
  D3D_Set3DMode(true);
  D3D_ClearDepthBuffer();
  // The region fills the port at z = 0, y growing upwards.
  D3D_Set2DProjection(0, 0, 128, 128, 0);
  DrawTexture(red, 0, 0);
  CBitmap32 image = Picture();
  EXPECT_EQ(image.Pixel(10, 120), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(image.Pixel(70, 120), 0xFF000000u);
  // Twice as far from the eye: half the size, towards the middle.
  D3D_Clear(0);
  D3D_ClearDepthBuffer();
  D3D_SetDepth(128);
  DrawTexture(red, 0, 0);
  image = Picture();
  EXPECT_EQ(image.Pixel(40, 70), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(10, 120), 0xFF000000u);
  // Without perspective the plain 2D projection returns.
  CallByName("d3d_set_perspective", {R(0)});
  D3D_Set2DProjection(0, 0, 128, 128, 0);
  D3D_Clear(0);
  D3D_ClearDepthBuffer();
  DrawTexture(red, 0, 0);
  EXPECT_EQ(Picture().Pixel(10, 10), 0xFFFF0000u);
}

TEST_F(Scene3D, SwitchingTheModeFreesSurfacesAndDrawsToTheScreenAgain) {
  const int32_t surface = CallByName("surface_create", {R(32), R(32)}).real;
  ASSERT_GE(surface, 0);
  const int32_t textures = Texture_Count();
  CallByName("surface_set_target", {R(surface)});
  EXPECT_EQ(CallByName("d3d_start").real, 1);
  EXPECT_EQ(CallByName("surface_exists", {R(surface)}).real, 0);
  EXPECT_FALSE(Texture_Exists(textures - 1));
  D3D_SetOrthoProjection(0, 0, 128, 128, 0);
  D3D_Clear(0x0000FF);
  EXPECT_EQ(Picture().Pixel(100, 100), 0xFFFF0000u);
}

namespace {

class Room3D : public Scene3D {
 protected:
  void TearDown() override {
    TestWorld_Clear();
    Sprite_ClearTable();
    Background_ClearTable();
    Scene3D::TearDown();
  }
};

}  // namespace

TEST_F(Room3D, InstancesAndLayersMeetByDepthIn3DMode) {
  // A green foreground layer over the whole room; red 4 x 4 instances at
  // depth -14000 (nearer than foregrounds) and 0 (behind them).
  RSlots<RBackgroundRecord> backgrounds(1);
  backgrounds[0].emplace();
  backgrounds[0]->width = backgrounds[0]->height = 2;
  backgrounds[0]->hasImage = true;
  backgrounds[0]->image = TestWorld_SolidImage(2, 2, 0xFF00FF00u);
  Background_Install(backgrounds);
  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->width = sprites[0]->height = 4;
  sprites[0]->transparent = false;
  sprites[0]->images = {TestWorld_SolidImage(4, 4, 0xFFFF0000u)};
  Sprite_Install(sprites);
  Background_CreateAllTextures();
  Sprite_CreateAllTextures();
  RTestWorld world;
  for (int32_t depth : {-14000, 0}) {
    RObjectRecord object = TestWorld_Object(depth ? "obj_near" : "obj_far", -1, {});
    object.sprite = 0;
    object.depth = depth;
    world.objects.push_back(object);
  }
  RRoomRecord record;
  record.name = "rm";
  record.instances = {TestWorld_Instance(0, 100001, 10, 10), TestWorld_Instance(1, 100002, 30, 30)};
  RRoomBackground front;
  front.visible = front.foreground = true;
  front.background = 0;
  record.backgrounds = {front};
  world.rooms.push_back(record);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();
  CallByName("d3d_start");
  CallByName("d3d_set_perspective", {R(0)});  // the room's own geometry, with depth
  Room_Draw(*Room_Current());
  CBitmap32 shot = Grab(80, 80);
  EXPECT_EQ(shot.Pixel(11, 11), 0xFFFF0000u);
  EXPECT_EQ(shot.Pixel(31, 31), 0xFF00FF00u);
  // In 2D the foreground covers both.
  CallByName("d3d_end");
  Room_Draw(*Room_Current());
  shot = Grab(80, 80);
  EXPECT_EQ(shot.Pixel(11, 11), 0xFF00FF00u);
}

TEST_F(Scene3D, AModelTooLargeToKeepIsDrawnFromItsCommands) {
  // 22 round ellipsoids make more than a million vertices as triangles.
  std::vector<R3DCommand> commands(22);
  for (R3DCommand& c : commands) {
    c.kind = SHAPE_ELLIPSOID;
    const double values[9] = {-30, -30, -30, 30, 30, 30, 1, 1, 128};
    std::copy(values, values + 9, c.values);
  }
  std::vector<RMeshVertex> vertices;
  EXPECT_TRUE(Model_Tessellate({commands[0]}, 1 << 20, vertices));
  EXPECT_EQ(vertices.size(), 64u * 256 * 3);
  EXPECT_FALSE(Model_Tessellate(commands, 1 << 20, vertices));

  Camera();
  Draw_SetColour(0x2080F0);
  const int32_t one = Model_Create(), many = Model_Create();
  Model_Get(one)->Add(commands[0]);
  for (const R3DCommand& c : commands) Model_Get(many)->Add(c);
  Model_Get(one)->Draw(0, 0, 0, -1);
  const CBitmap32 kept = Picture();
  D3D_Clear(0);
  D3D_ClearDepthBuffer();
  Model_Get(many)->Draw(0, 0, 0, -1);
  EXPECT_EQ(Picture().pixels, kept.pixels);
  EXPECT_NE(kept.Pixel(64, 64), 0xFF000000u);
}
