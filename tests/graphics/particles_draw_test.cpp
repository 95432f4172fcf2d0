// Particle systems on a headless device: merged with the instances by depth
// in room drawing (against a reference image), drawing order, batching, and
// the built-in shapes' pictures.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "functions/Particle_Form.h"
#include "functions/Particle_Main.h"
#include "graphics/Room_Draw.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Graphics.h"
#include "runner/Run_Main.h"
#include "support/Builtin_Call.h"
#include "support/TestWorld.h"
#include "support/graphics_fixture.h"
#include "world/Room_Main.h"

namespace {

RValue N(double r) { return RValue(r); }
int32_t Call(const char* name, std::initializer_list<RValue> args = {}) {
  return static_cast<int32_t>(CallByName(name, args).real);
}

class ParticleDraw : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    Particle_Reset();
  }
  void TearDown() override {
    Particle_Reset();
    TestWorld_Clear();
    Sprite_ClearTable();
    GraphicsTest::TearDown();
  }
  // A system at a depth holding one still particle of a shape.
  static int32_t System(double depth, int32_t shape, double size, int32_t colour, double x, double y) {
    const int32_t ps = Call("part_system_create"), t = Call("part_type_create");
    Call("part_system_depth", {N(ps), N(depth)});
    Call("part_type_shape", {N(t), N(shape)});
    Call("part_type_size", {N(t), N(size), N(size), N(0), N(0)});
    Call("part_particles_create_color", {N(ps), N(x), N(y), N(t), N(colour), N(1)});
    return ps;
  }
};

TEST_F(ParticleDraw, SystemsMergeWithInstancesByDepth) {
  RSlots<RSpriteRecord> sprites(1);
  sprites[0].emplace();
  sprites[0]->width = sprites[0]->height = 20;
  sprites[0]->transparent = false;
  RImageRecord image;
  image.exists = true;
  image.width = image.height = 20;
  for (int i = 0; i < 400; ++i) image.pixels.insert(image.pixels.end(), {0, 0, 0xFF, 0xFF});  // red
  sprites[0]->images = {image};
  Sprite_Install(sprites);
  Sprite_CreateAllTextures();
  RTestWorld world;
  RObjectRecord object = TestWorld_Object("obj_box", -1, {});
  object.sprite = 0;
  world.objects.push_back(object);
  RRoomRecord room;
  room.name = "rm";
  room.width = room.height = 64;
  room.backgroundColor = 0;
  room.instances = {TestWorld_Instance(0, 100001, 22, 22)};
  world.rooms.push_back(room);
  ASSERT_TRUE(TestWorld_Install(world)) << Error_Last();
  StartGame();

  System(0, 2, 0.5, 0xFF0000, 32, 32);   // blue square, same depth: under the instance
  System(-5, 1, 0.25, 0x00FF00, 32, 32);  // green disk above it
  // Newest first: the second (red) particle lies under the first (white).
  const int32_t order = System(-10, 2, 0.2, 0xFFFFFF, 52, 10);
  Call("part_particles_create_color", {N(order), N(52), N(10), N(2), N(0x0000FF), N(1)});
  Call("part_system_draw_order", {N(order), N(0)});
  // Additive, below everything: light only adds.
  const int32_t glow = System(10, 7, 0.3, 0x0000FF, 10, 54);
  Call("part_type_blend", {N(3), N(1)});
  const int32_t hidden = System(-20, 2, 1, 0xFFFFFF, 32, 32);
  Call("part_system_automatic_draw", {N(hidden), N(0)});

  Room_Draw(*Room_Current());
  CBitmap32 shot = Grab(64, 64);
  EXPECT_EQ(shot.Pixel(20, 20), 0xFF0000FFu);  // the square around the instance
  EXPECT_EQ(shot.Pixel(24, 24), 0xFFFF0000u);  // the instance over the square
  EXPECT_EQ(shot.Pixel(32, 32), 0xFF00FF00u);  // the disk over the instance
  EXPECT_EQ(shot.Pixel(52, 10), 0xFFFFFFFFu);  // the older particle on top
  EXPECT_EQ(shot.Pixel(10, 54) & 0xFF00FFFFu, 0xFF000000u);
  EXPECT_GT(shot.Pixel(10, 54) >> 16 & 0xFF, 0xC0u);
  EXPECT_EQ(shot.Pixel(5, 5), 0xFF000000u);  // the system that is not drawn
  EXPECT_TRUE(MatchesReference(shot, "particles_depth"));
  (void)glow;
}

TEST_F(ParticleDraw, OneBatchPerRunOfBlending) {
  const int32_t ps = Call("part_system_create");
  const int32_t normal = Call("part_type_create"), bright = Call("part_type_create");
  Call("part_type_blend", {N(bright), N(1)});
  // Every shape, and fewer particles than a batch holds (1,024).
  for (int i = 0; i < 1000; ++i) {
    Call("part_type_shape", {N(normal), N(i % PARTICLE_SHAPE_COUNT)});
    Call("part_particles_create", {N(ps), N(i % 640), N(i % 480), N(normal), N(1)});
  }
  PlatformGL_Flush();
  int64_t before = PlatformGL_DrawCalls();
  Call("part_system_drawit", {N(ps)});
  EXPECT_EQ(PlatformGL_DrawCalls() - before, 1);

  Call("part_particles_create", {N(ps), N(0), N(0), N(bright), N(50)});
  Call("part_particles_create", {N(ps), N(0), N(0), N(normal), N(50)});
  before = PlatformGL_DrawCalls();
  Call("part_system_drawit", {N(ps)});
  EXPECT_EQ(PlatformGL_DrawCalls() - before, 3);
}

TEST(ParticleForm, ShapesFollowTheirProfiles) {
  // Pixel: the dot and its neighbours.
  EXPECT_EQ(ParticleForm_Opacity(0, 32, 32), 255);
  EXPECT_EQ(ParticleForm_Opacity(0, 33, 32), 140);
  EXPECT_EQ(ParticleForm_Opacity(0, 33, 33), 64);
  EXPECT_EQ(ParticleForm_Opacity(0, 32, 34), 32);
  EXPECT_EQ(ParticleForm_Opacity(0, 35, 32), 0);
  // Disk: full inside r 25, nothing beyond r 29.
  EXPECT_EQ(ParticleForm_Opacity(1, 31, 10), 255);
  EXPECT_EQ(ParticleForm_Opacity(1, 31, 2), 0);
  // Square from 3 to 60 with darker edges.
  EXPECT_EQ(ParticleForm_Opacity(2, 3, 30), 200);
  EXPECT_EQ(ParticleForm_Opacity(2, 4, 30), 255);
  EXPECT_EQ(ParticleForm_Opacity(2, 2, 30), 0);
  // Circle and ring are hollow; the star points up; the sphere fades out.
  EXPECT_EQ(ParticleForm_Opacity(5, 31, 31), 0);
  EXPECT_GT(ParticleForm_Opacity(5, 31, 7), 180);
  EXPECT_EQ(ParticleForm_Opacity(6, 32, 32), 0);
  EXPECT_GT(ParticleForm_Opacity(4, 33, 9), 150);
  EXPECT_EQ(ParticleForm_Opacity(4, 33, 3), 0);
  EXPECT_GT(ParticleForm_Opacity(7, 32, 32), 230);
  EXPECT_EQ(ParticleForm_Opacity(7, 0, 0), 0);
  // Cloud: faint everywhere; snow: solid centre, arms upwards, gaps between.
  for (int32_t y = 0; y < PARTICLE_SHAPE_SIZE; y += 7)
    for (int32_t x = 0; x < PARTICLE_SHAPE_SIZE; x += 7) EXPECT_LE(ParticleForm_Opacity(11, x, y), 110);
  EXPECT_EQ(ParticleForm_Opacity(13, 32, 32), 255);
  EXPECT_GT(ParticleForm_Opacity(13, 31, 12), 120);
  EXPECT_EQ(ParticleForm_Opacity(13, 40, 12), 0);
}

}  // namespace
