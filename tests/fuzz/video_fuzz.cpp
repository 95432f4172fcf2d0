// A video file as the splash receives it: the bytes are opened, a few
// pictures and their sound are decoded, the video is wound back and read
// again. Nothing may crash, hang or hand back pictures of another size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Platform_Video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  RVideo* video = PlatformVideo_OpenMemory(data, size, error);
  if (!video) return 0;
  const int32_t w = PlatformVideo_Width(video), h = PlatformVideo_Height(video);
  if (w <= 0 || h <= 0 || w > VIDEO_MAX_SIDE || h > VIDEO_MAX_SIDE) std::abort();
  for (int pass = 0; pass < 2; ++pass) {
    const uint32_t* pixels = nullptr;
    int64_t time_us = 0;
    for (int i = 0; i < 4 && PlatformVideo_NextFrame(video, pixels, time_us); ++i) {
      if (pixels == nullptr || time_us < 0) std::abort();
      volatile uint32_t last = pixels[size_t(w) * size_t(h) - 1];
      (void)last;
    }
    if (!PlatformVideo_Rewind(video)) break;
  }
  PlatformVideo_Close(video);
  return 0;
}
