// Writes small video files for the tests: solid-colour pictures and an
// optional tone, encoded by the machine's own video libraries, so that no
// video from elsewhere is ever needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RTestVideo {
  int32_t width = 64, height = 48;
  int32_t fps = 10;
  // One picture per colour (0x00RRGGBB), shown in this order.
  std::vector<uint32_t> colours;
  // A 440 Hz tone under the pictures, as long as they last.
  bool sound = false;
};

// Writes the video to `path` (a Matroska file); false when it cannot.
bool WriteTestVideo(const std::string& path, const RTestVideo& video);
