#include "support/graphics_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data/Option_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"

void GraphicsTest::SetUp() {
  ASSERT_TRUE(Platform_Init());
  Settings = RSettings{};
  ASSERT_TRUE(Window_ApplySettings(Settings));
  ASSERT_TRUE(D3D_CreateDevice(640, 480, false));
  D3D_SetInterpolation(false);
  D3D_SetBlendMode(0);
  D3D_SetTextureBlending(true);
}

void GraphicsTest::TearDown() {
  PlatformWindow_Destroy();
  Platform_Quit();
}

CBitmap32 GraphicsTest::Grab(int32_t w, int32_t h) {
  CBitmap32 image;
  EXPECT_TRUE(D3D_GrabScreen(0, 0, w, h, image));
  return image;
}

::testing::AssertionResult MatchesReference(const CBitmap32& image, const std::string& name, int tolerance) {
  const std::string path = std::string(VELMORA_TEST_DATA) + "/graphics/" + name + ".png";
  const char* update = std::getenv("VELMORA_UPDATE_REFERENCES");
  if (update != nullptr && std::string(update) == "1") {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (!Bitmap_SavePNG(path, image)) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionSuccess();
  }
  CBitmap32 reference;
  if (!Bitmap_LoadPNG(path, reference)) return ::testing::AssertionFailure() << "cannot read " << path;
  if (reference.width != image.width || reference.height != image.height)
    return ::testing::AssertionFailure() << "size " << image.width << "x" << image.height << ", reference "
                                         << reference.width << "x" << reference.height;
  int bad = 0;
  std::string first;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t a = image.Pixel(x, y), b = reference.Pixel(x, y);
      for (int shift = 0; shift < 32; shift += 8) {
        const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        if (d > tolerance) {
          if (bad++ == 0) {
            char text[96];
            std::snprintf(text, sizeof text, "first at (%d, %d): %08X, reference %08X", x, y, a, b);
            first = text;
          }
          break;
        }
      }
    }
  if (bad > 0) {
    Bitmap_SavePNG(std::string(VELMORA_BUILD_DIR) + "/" + name + ".actual.png", image);
    return ::testing::AssertionFailure() << bad << " pixels differ from " << name << "; " << first;
  }
  return ::testing::AssertionSuccess();
}
