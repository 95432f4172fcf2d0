// Videos written by the tests' own encoder come back picture by picture with
// their colours, times and sound; broken files are refused cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Platform_Video.h"
#include "support/VideoWriter.h"

namespace {

std::string TempVideo(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("velmora_") + name + ".mkv")).string();
}

// Each channel of 0x..RRGGBB within `tolerance` (the codec is lossy).
void ExpectColour(uint32_t argb, uint32_t rgb, int tolerance = 12) {
  for (int shift : {16, 8, 0})
    EXPECT_NEAR(int((argb >> shift) & 0xFF), int((rgb >> shift) & 0xFF), tolerance) << std::hex << argb << " vs " << rgb;
  EXPECT_EQ(argb >> 24, 0xFFu);
}

}  // namespace

TEST(VideoTest, DecodesPicturesInOrderWithTheirColoursAndTimes) {
  const std::string path = TempVideo("colours");
  RTestVideo wanted;
  wanted.colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808000};
  ASSERT_TRUE(WriteTestVideo(path, wanted));
  std::string error;
  RVideo* video = PlatformVideo_Open(path, error);
  ASSERT_NE(video, nullptr) << error;
  EXPECT_EQ(PlatformVideo_Width(video), 64);
  EXPECT_EQ(PlatformVideo_Height(video), 48);
  EXPECT_FALSE(PlatformVideo_HasSound(video));
  for (int pass = 0; pass < 2; ++pass) {  // the second pass after winding back
    const uint32_t* pixels = nullptr;
    int64_t time_us = -1;
    for (size_t i = 0; i < wanted.colours.size(); ++i) {
      ASSERT_TRUE(PlatformVideo_NextFrame(video, pixels, time_us)) << "picture " << i;
      EXPECT_EQ(time_us, int64_t(i) * 100000);
      ExpectColour(pixels[0], wanted.colours[i]);
      ExpectColour(pixels[64 * 48 - 1], wanted.colours[i]);
    }
    EXPECT_FALSE(PlatformVideo_NextFrame(video, pixels, time_us));
    ASSERT_TRUE(PlatformVideo_Rewind(video));
  }
  PlatformVideo_Close(video);
  std::filesystem::remove(path);
}

TEST(VideoTest, DecodesTheSoundBesideThePictures) {
  const std::string path = TempVideo("sound");
  RTestVideo wanted;
  wanted.colours.assign(10, 0x204060);  // one second
  wanted.sound = true;
  ASSERT_TRUE(WriteTestVideo(path, wanted));
  std::string error;
  RVideo* video = PlatformVideo_Open(path, error);
  ASSERT_NE(video, nullptr) << error;
  EXPECT_TRUE(PlatformVideo_HasSound(video));
  PlatformVideo_SetSound(video, true);  // no device opened: decoded, not played
  const uint32_t* pixels = nullptr;
  int64_t time_us = 0;
  int pictures = 0;
  while (PlatformVideo_NextFrame(video, pixels, time_us)) ++pictures;
  EXPECT_EQ(pictures, 10);
  // The stream's second of sound, resampled to the device's rate; what is
  // still buffered in the resampler at the end may be missing.
  EXPECT_NEAR(double(PlatformVideo_SoundFramesDecoded(video)), 44100.0, 4410.0);
  PlatformVideo_Close(video);
  std::filesystem::remove(path);
}

TEST(VideoTest, RefusesWhatIsNoVideo) {
  std::string error;
  EXPECT_EQ(PlatformVideo_Open(TempVideo("missing_file"), error), nullptr);
  EXPECT_FALSE(error.empty());
  const uint8_t junk[] = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'A', 'V', 'I', ' ', 1, 2, 3};
  EXPECT_EQ(PlatformVideo_OpenMemory(junk, sizeof junk, error), nullptr);
  EXPECT_EQ(PlatformVideo_OpenMemory(nullptr, 0, error), nullptr);
  // Nothing is written for pictures the encoder cannot take.
  RVideoWrite odd;
  odd.width = 15;
  odd.height = 8;
  odd.pictures.assign(1, std::vector<uint32_t>(15 * 8));
  error.clear();
  EXPECT_FALSE(PlatformVideo_Write(TempVideo("odd"), odd, error));
  EXPECT_FALSE(error.empty());
  odd.width = 16;
  EXPECT_FALSE(PlatformVideo_Write(TempVideo("odd"), odd, error));  // a picture of the wrong size

  // A real video cut in the middle: the pictures before the cut, then the end.
  const std::string path = TempVideo("cut");
  RTestVideo wanted;
  wanted.colours.assign(20, 0xFF0000);
  ASSERT_TRUE(WriteTestVideo(path, wanted));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(bytes.size() / 2);
  RVideo* video = PlatformVideo_OpenMemory(bytes.data(), bytes.size(), error);
  ASSERT_NE(video, nullptr) << error;
  const uint32_t* pixels = nullptr;
  int64_t time_us = 0;
  int pictures = 0;
  while (PlatformVideo_NextFrame(video, pixels, time_us)) ++pictures;
  EXPECT_GT(pictures, 0);
  EXPECT_LT(pictures, 20);
  PlatformVideo_Close(video);
  std::filesystem::remove(path);
}
