// 3D throughput: 2,000 textured blocks drawn from one model with two lights
// in a 640 x 480 perspective view, presented every frame. Prints frames per
// second for the model, and for the same blocks drawn one shape call at a time
// for comparison.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Bench_Frame.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

namespace {

constexpr int kColumns = 50, kRows = 40;  // 2,000 blocks

int32_t MakeTexture() {
  CBitmap32 image(32, 32);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) image.pixels[y * 32 + x] = ((x / 8 + y / 8) % 2) ? 0xFFE0C080u : 0xFF806040u;
  return TextureFromImage(image);
}

void Scene(double turn) {
  D3D_Clear(0x302020);
  D3D_ClearDepthBuffer();
  const double eye[3] = {0, -900, 700}, at[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  RMatrix view = Matrix_LookAtLH(eye, at, up);
  D3D_SetCamera(view, Matrix_PerspectiveFovLH(0.8, 640.0 / 480.0, 1, 4000));
  D3D_SetWorld(Matrix_RotationZ(turn));
}

template <class DrawBlock>
double FramesPerSecond(int frames, DrawBlock draw) {
  int frame_number = 0;
  auto frame = [&] {
    Scene(frame_number++ * 0.01);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) draw((c - kColumns / 2) * 24.0, (r - kRows / 2) * 24.0);
    D3D_Present();
  };
  return 1000.0 / Bench_MeasureFrame(frame, frames);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  if (!Bench_OpenWindow()) return 1;
  D3D_SetViewport(0, 0, 640, 480);
  const int32_t texture = MakeTexture();
  if (!D3D_Set3DMode(true)) return 1;
  D3D_SetLighting(true);
  D3D_DefineLight(0, D3D_DirectionalLight(0.3, 0.6, -1, 0xFFFFFF));
  D3D_EnableLight(0, true);
  D3D_DefineLight(1, D3D_PointLight(0, 0, 100, 600, 0x4080FF));
  D3D_EnableLight(1, true);
  Draw_SetColour(0xFFFFFF);

  const int32_t model = Model_Create();
  R3DCommand block;
  block.kind = SHAPE_BLOCK;
  const double corners[8] = {-8, -8, 0, 8, 8, 16, 1, 1};
  std::copy(corners, corners + 8, block.values);
  Model_Get(model)->Add(block);

  std::printf("d3d: %d textured blocks, two lights, 640 x 480; best of 3 runs of at least %d frames and 1 s\n",
              kColumns * kRows, frames);
  const double fps_model =
      FramesPerSecond(frames, [&](double x, double y) { Model_Get(model)->Draw(x, y, 0, texture); });
  std::printf("d3d: one model      %8.1f frames/s\n", fps_model);
  const double fps_shapes = FramesPerSecond(frames, [&](double x, double y) {
    R3DShape s{SHAPE_BLOCK, x - 8, y - 8, 0, x + 8, y + 8, 16, 1, 1};
    D3D_DrawShape(s, texture);
  });
  std::printf("d3d: shape calls    %8.1f frames/s\n", fps_shapes);
  Model_ClearTable();
  D3D_ReleaseDevice();
  PlatformWindow_Destroy();
  Platform_Quit();
  return 0;
}
