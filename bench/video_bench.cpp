// Splash video cost: decoding a 640 x 480 video picture by picture, and
// fitting each picture into an 800 x 600 splash area, as time per picture
// (a 30 pictures-per-second video leaves 33 ms for both).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform_Form.h"
#include "platform/Platform_Video.h"
#include "runner/Runner_Splash.h"

namespace {

constexpr int32_t kWidth = 640, kHeight = 480, kPictures = 60;

// A video of moving stripes, written once per run.
const std::string& VideoPath() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "velmora_bench_video.mkv").string();
    RVideoWrite video;
    video.width = kWidth;
    video.height = kHeight;
    video.fps = 30;
    for (int32_t i = 0; i < kPictures; ++i) {
      std::vector<uint32_t> picture(size_t(kWidth) * kHeight);
      for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
          picture[size_t(y) * kWidth + x] = 0xFF000000u | uint32_t(((x + i * 8) / 16 % 2) * 0xC08040) | uint32_t(y / 2);
      video.pictures.push_back(std::move(picture));
    }
    std::string error;
    if (!PlatformVideo_Write(p, video, error)) std::fprintf(stderr, "video_bench: %s\n", error.c_str());
    return p;
  }();
  return path;
}

void Decode(benchmark::State& state) {
  std::string error;
  RVideo* video = PlatformVideo_Open(VideoPath(), error);
  if (!video) {
    state.SkipWithError(error.c_str());
    return;
  }
  const uint32_t* pixels = nullptr;
  int64_t time_us = 0;
  for (auto _ : state) {
    if (!PlatformVideo_NextFrame(video, pixels, time_us)) {
      PlatformVideo_Rewind(video);
      PlatformVideo_NextFrame(video, pixels, time_us);
    }
    benchmark::DoNotOptimize(pixels[0]);
  }
  PlatformVideo_Close(video);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Decode)->Unit(benchmark::kMillisecond);

void Compose(benchmark::State& state) {
  std::vector<uint32_t> picture(size_t(kWidth) * kHeight, 0xFF336699u);
  RCanvas canvas;
  canvas.width = 800;
  canvas.height = 600;
  for (auto _ : state) {
    canvas.pixels.assign(size_t(canvas.width) * canvas.height, 0xFF000000u);
    Form_DrawPicture(canvas, picture.data(), kWidth, kHeight, Splash_Place(800, 600, kWidth, kHeight, -1), false);
    benchmark::DoNotOptimize(canvas.pixels[300 * 800 + 400]);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Compose)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
