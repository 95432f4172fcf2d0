// The 3D example game plays headless: it walks by itself, saves what it
// showed and ends normally.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "gamepack/Gamepack.h"
#include "graphics/Graphics_Bitmap32.h"
#include "support/TestGames.h"

namespace fs = std::filesystem;

TEST(Walk3DExample, PlaysHeadlessAndShowsTheHall) {
  const fs::path project = fs::path(VELMORA_TEST_DATA) / ".." / ".." / "examples" / "walk3d";
  const std::string game = TestGame_Path("walk3d.game"), shot = TestGame_Path("walk3d.bmp");
  Gamepack_WriteGame(Gamepack_LoadProject(project), game);
  const RRunResult run = TestGame_Run("--unthrottled " + game + " --walk " + shot);
  ASSERT_EQ(run.status, 0) << run.err;
  CBitmap32 image;
  ASSERT_TRUE(Bitmap_LoadBMPFile(shot, image));
  ASSERT_EQ(image.width, 640);
  // Brick walls (red well above green and blue, however dimly lit) and the
  // grey floor tiles.
  int bricks = 0, floor = 0;
  for (uint32_t p : image.pixels) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    bricks += r > 30 && r * 10 > g * 18 && r > 2 * b;
    floor += std::abs(r - g) < 20 && std::abs(g - b) < 30 && g > 60;
  }
  EXPECT_GT(bricks, 640 * 480 / 50);
  EXPECT_GT(floor, 640 * 480 / 10);
  std::remove(shot.c_str());
}
