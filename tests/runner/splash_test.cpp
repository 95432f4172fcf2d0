// Splash screens headless: the settings built-ins, the picture each splash
// composes (image, text, a generated video), the placement rule, and the
// three "not found" messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "../functions/File_Fixture.h"
#include "graphics/Graphics_Bitmap32.h"
#include "runner/Runner_Splash.h"
#include "support/Builtin_Call.h"
#include "step/IO_Main.h"
#include "support/VideoWriter.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;

class SplashTest : public FileTest {
 protected:
  void TearDown() override {
    Splash_Reset();
    FileTest::TearDown();
  }
  // A w x h image of one colour (0xAARRGGBB) as a bitmap file.
  std::string WriteImage(const char* name, int32_t w, int32_t h, uint32_t argb) {
    const std::string path = (std::filesystem::current_path() / name).string();
    EXPECT_TRUE(Bitmap_SaveBMPFile(path, CBitmap32(w, h, argb), 24));
    return path;
  }
};

TEST(SplashPlace, FitsKeepingTheAspectOrScalesAndCentres) {
  RFormRect r = Splash_Place(40, 30, 4, 2, -1);
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.y, 5);
  EXPECT_EQ(r.w, 40);
  EXPECT_EQ(r.h, 20);
  r = Splash_Place(100, 100, 10, 20, 0);  // 0 fits as well
  EXPECT_EQ(r.w, 50);
  EXPECT_EQ(r.h, 100);
  EXPECT_EQ(r.x, 25);
  r = Splash_Place(100, 100, 10, 20, 2);  // a fixed scale, centred
  EXPECT_EQ(r.w, 20);
  EXPECT_EQ(r.h, 40);
  EXPECT_EQ(r.x, 40);
  EXPECT_EQ(r.y, 30);
  r = Splash_Place(10, 10, 100, 100, 3);  // bigger than the area: cut on both sides
  EXPECT_EQ(r.x, -145);
  EXPECT_EQ(Splash_Place(10, 10, 0, 5, -1).w, 0);  // no content
}

TEST_F(SplashTest, ImageInTheGameWindowOnTheSplashColour) {
  const std::string image = WriteImage("red.bmp", 4, 2, kRed);
  Call("splash_set_size", {N(40), N(30)});
  Call("splash_set_color", {N(0xFF0000)});  // blue as a game colour
  Call("splash_show_image", {S("red.bmp"), N(5000)});
  EXPECT_FALSE(Error_Occurred());
  EXPECT_FALSE(Splash_IsOpen());  // nobody watches: over at once
  const RCanvas& shown = Splash_LastPicture();
  ASSERT_EQ(shown.width, 40);
  ASSERT_EQ(shown.height, 30);
  EXPECT_EQ(shown.At(20, 2), kBlue);
  EXPECT_EQ(shown.At(0, 5), kRed);
  EXPECT_EQ(shown.At(39, 24), kRed);
  EXPECT_EQ(shown.At(20, 25), kBlue);

  // A fixed scale: the image at twice its size, centred.
  Call("splash_set_scale", {N(2)});
  Call("splash_show_image", {S(image), N(0)});
  EXPECT_EQ(Splash_LastPicture().At(16, 13), kRed);
  EXPECT_EQ(Splash_LastPicture().At(15, 13), kBlue);
  EXPECT_EQ(Splash_LastPicture().At(23, 16), kRed);
  EXPECT_EQ(Splash_LastPicture().At(24, 16), kBlue);
}

TEST_F(SplashTest, OlderFormsChooseFullScreenOrTheGameWindow) {
  WriteImage("red.bmp", 4, 2, kRed);
  Call("show_image", {S("red.bmp"), N(1), N(0)});
  EXPECT_TRUE(Splash_Settings.full_screen);
  EXPECT_FALSE(Splash_Settings.main);
  std::ofstream("note.txt") << "Hello";
  Call("show_text", {S("note.txt"), N(0), N(0x00FF00), N(0)});
  EXPECT_FALSE(Splash_Settings.full_screen);
  EXPECT_TRUE(Splash_Settings.main);
  EXPECT_EQ(Splash_Settings.colour, 0x00FF00);
  EXPECT_FALSE(Error_Occurred());

  // Every setter stores its value.
  Call("splash_set_caption", {S("Intro")});
  Call("splash_set_adapt", {N(0)});
  Call("splash_set_border", {N(0)});
  Call("splash_set_top", {N(0.4)});
  Call("splash_set_cursor", {N(0)});
  Call("splash_set_interrupt", {N(0)});
  Call("splash_set_stop_key", {N(0)});
  Call("splash_set_stop_mouse", {N(0.5)});
  Call("splash_set_fullscreen", {N(1)});
  Call("splash_set_main", {N(0)});
  const RSplashSettings& s = Splash_Settings;
  EXPECT_EQ(s.caption, "Intro");
  EXPECT_FALSE(s.adapt || s.border || s.stay_on_top || s.cursor || s.interrupt || s.stop_key || s.main);
  EXPECT_TRUE(s.stop_mouse && s.full_screen);
}

TEST_F(SplashTest, TextFillsTheAreaOnTheBackColour) {
  std::ofstream("note.txt") << "{\\rtf1 \\fs40 Hello there\\par}";
  Call("splash_set_size", {N(120), N(60)});
  Call("show_text", {S("note.txt"), N(0), N(0xFFFFFF), N(0)});
  const RCanvas& shown = Splash_LastPicture();
  ASSERT_EQ(shown.width, 120);
  EXPECT_EQ(shown.At(118, 58), 0xFFFFFFFFu);
  int inked = 0;
  for (uint32_t p : shown.pixels) inked += (p & 0xFFFFFF) < 0x808080;
  EXPECT_GT(inked, 20);  // the words are there
}

TEST_F(SplashTest, VideoShowsItsFirstPictureScaledIntoTheArea) {
  RTestVideo video;
  video.colours = {0xFF0000, 0x0000FF};
  ASSERT_TRUE(WriteTestVideo((std::filesystem::current_path() / "intro.mkv").string(), video));
  Call("splash_set_size", {N(128), N(96)});
  Call("splash_set_color", {N(0x00FF00)});
  Call("splash_set_scale", {N(1)});
  Call("splash_show_video", {S("intro.mkv"), N(1)});  // looping, yet headless it ends
  EXPECT_FALSE(Error_Occurred()) << Error_Last();
  EXPECT_FALSE(Splash_IsOpen());
  const RCanvas& shown = Splash_LastPicture();
  ASSERT_EQ(shown.width, 128);
  const uint32_t centre = shown.At(64, 48);
  EXPECT_GT(int((centre >> 16) & 0xFF), 230);
  EXPECT_LT(int(centre & 0xFF), 30);
  EXPECT_EQ(shown.At(10, 10), 0xFF00FF00u);  // outside the 64 x 48 picture

  // The same in a window of its own: headless, it is not opened.
  Call("show_video", {S("intro.mkv"), N(1), N(0)});
  EXPECT_FALSE(Error_Occurred());
  EXPECT_FALSE(Splash_IsOpen());
}

TEST_F(SplashTest, MissingFilesAreReportedAndShowNothing) {
  Call("splash_set_size", {N(8), N(8)});
  Call("splash_show_image", {S("nowhere.png"), N(0)});
  EXPECT_EQ(ReportedError(), "Image file not found.");
  Error_Reset();
  std::ofstream("broken.png") << "not a picture";
  Call("show_image", {S("broken.png"), N(0), N(0)});
  EXPECT_EQ(ReportedError(), "Image file not found.");
  Error_Reset();
  Call("splash_show_video", {S("nowhere.avi"), N(0)});
  EXPECT_EQ(ReportedError(), "Video file not found (or name too long).");
  Error_Reset();
  std::ofstream("broken.avi") << "not a video";
  Call("action_show_video", {S("broken.avi"), N(0), N(0)});
  EXPECT_EQ(ReportedError(), "Video file not found (or name too long).");
  Error_Reset();
  // A name of 127 characters is refused even when the file is there.
  RTestVideo video;
  video.colours = {0xFF0000};
  const std::string long_name = std::string(123, 'v') + ".mkv";
  ASSERT_TRUE(WriteTestVideo((std::filesystem::current_path() / long_name).string(), video));
  Call("show_video", {S(long_name.c_str()), N(0), N(0)});
  EXPECT_EQ(ReportedError(), "Video file not found (or name too long).");
  Error_Reset();
  Call("splash_show_text", {S("nowhere.txt"), N(0)});
  EXPECT_EQ(ReportedError(), "Text file not found.");
  EXPECT_EQ(Splash_LastPicture().width, 0);  // nothing was ever shown
}

}  // namespace

#include "runner/Help_Main.h"
#include "support/graphics_fixture.h"

namespace {

class GameWindowInfo : public GraphicsTest {};

TEST_F(GameWindowInfo, ShownInTheGameWindowOpensNoWindowOfItsOwn) {
  RGameInformation info;
  info.showInGameWindow = true;
  Help_Install(info);
  int windows = 0;
  Form_SetTestDriver([&](CForm&) { ++windows; });
  IO_Input.key_down[65] = true;
  Help_Show();
  EXPECT_EQ(windows, 0);
  EXPECT_FALSE(IO_Input.key_down[65]);  // closing it clears the input
  info.showInGameWindow = false;
  Help_Install(info);
  Help_Show();
  EXPECT_EQ(windows, 1);
  Form_SetTestDriver(nullptr);
  Help_Install(RGameInformation{});
}

}  // namespace
