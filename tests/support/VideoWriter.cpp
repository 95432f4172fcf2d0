#include "support/VideoWriter.h"

#include <cmath>
#include <numbers>

#include "platform/Platform_Video.h"

bool WriteTestVideo(const std::string& path, const RTestVideo& wanted) {
  RVideoWrite video;
  video.width = wanted.width;
  video.height = wanted.height;
  video.fps = wanted.fps;
  for (uint32_t colour : wanted.colours)
    video.pictures.emplace_back(size_t(wanted.width) * size_t(wanted.height), 0xFF000000u | colour);
  if (wanted.sound) {
    const size_t frames = wanted.colours.size() * size_t(video.sound_rate) / size_t(wanted.fps);
    video.sound.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i)
      video.sound[2 * i] = video.sound[2 * i + 1] =
          static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * double(i) / video.sound_rate));
  }
  std::string error;
  return PlatformVideo_Write(path, video, error);
}
