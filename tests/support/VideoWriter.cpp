#include "support/VideoWriter.h"

#include <cmath>
#include <numbers>

#include "platform/Platform_Video.h"

bool WriteTestVideo(const std::string& path, const RTestVideo& spec) {
  RVideoWrite video;
  video.width = spec.width;
  video.height = spec.height;
  video.fps = spec.fps;
  for (uint32_t colour : spec.colours)
    video.pictures.emplace_back(size_t(spec.width) * size_t(spec.height), 0xFF000000u | colour);
  if (spec.sound) {
    const size_t frames = spec.colours.size() * size_t(video.sound_rate) / size_t(spec.fps);
    video.sound.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i)
      video.sound[2 * i] = video.sound[2 * i + 1] =
          static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * 440 * double(i) / video.sound_rate));
  }
  std::string error;
  return PlatformVideo_Write(path, video, error);
}
