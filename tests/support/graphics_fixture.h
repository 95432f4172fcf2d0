// A headless game window with a drawing device, and reference-image helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "graphics/Graphics_Bitmap32.h"

// Creates the window and the device before each test and releases them after.
class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The drawing area (0, 0, w, h) as an image.
  CBitmap32 Grab(int32_t w, int32_t h);
};

// Compares an image with tests/data/graphics/NAME.png: every channel within
// `tolerance`. With VELMORA_UPDATE_REFERENCES=1 in the environment the
// reference is written instead.
::testing::AssertionResult MatchesReference(const CBitmap32& image, const std::string& name, int tolerance = 3);
