// The loading window: see-through where its picture has the colour of the
// picture's bottom-left pixel when the game asks for it.
#include <gtest/gtest.h>

#include "graphics/Graphics_Bitmap32.h"
#include "platform/Platform.h"
#include "platform/Platform_LoadWindow.h"

TEST(LoadWindow, TransparentPictureKeysItsBottomLeftColour) {
  if (!Platform_Init()) GTEST_SKIP() << "no video driver";
  CBitmap32 picture(40, 20, 0xFF102030u);
  picture.pixels[size_t(19) * 40] = 0xFFAABBCCu;  // bottom-left
  picture.pixels[0] = 0xFF405060u;                 // top-left: not the key
  RLoadWindowSetup setup;
  setup.picture = Bitmap_EncodeBMP(picture, 24);
  setup.transparent = true;
  LoadWindow_Open(setup);
  EXPECT_EQ(LoadWindow_ColourKey(), 0xAABBCC);
  LoadWindow_Close();
  EXPECT_EQ(LoadWindow_ColourKey(), -1);

  setup.transparent = false;
  LoadWindow_Open(setup);
  EXPECT_EQ(LoadWindow_ColourKey(), -1);
  LoadWindow_Close();
  // Without a picture there is nothing to key.
  setup.picture.reset();
  setup.transparent = true;
  LoadWindow_Open(setup);
  EXPECT_EQ(LoadWindow_ColourKey(), -1);
  LoadWindow_Close();
  Platform_Quit();
}
