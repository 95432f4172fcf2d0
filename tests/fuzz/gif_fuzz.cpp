// Decodes arbitrary bytes as an animated GIF; decoded frames must be
// consistent and of one size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "graphics/Graphics_Bitmap32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<CBitmap32> frames;
  if (Bitmap_DecodeGif(std::span<const uint8_t>(data, size), frames)) {
    if (frames.empty()) std::abort();
    for (const CBitmap32& f : frames)
      if (!f.exists || f.width != frames[0].width || f.height != frames[0].height ||
          f.pixels.size() != static_cast<size_t>(f.width) * f.height)
        std::abort();
  }
  return 0;
}
