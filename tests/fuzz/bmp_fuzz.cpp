// Decodes arbitrary bytes as a BMP file; a decoded image must be consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "graphics/Graphics_Bitmap32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CBitmap32 image;
  if (Bitmap_DecodeBMP(std::span<const uint8_t>(data, size), image)) {
    if (!image.exists || image.width < 1 || image.height < 1 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height)
      std::abort();
  }
  return 0;
}
