#include "gamepack/Gamepack_Image.h"

#include <utility>

// Kept private to this file: the engine may carry its own copy of stb.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

// Swaps red and blue in place: RGBA <-> BGRA.
void SwapRedBlue(RBytes& pixels) {
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
}

void AppendLe(RBytes& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool Image_Decode(const RBytes& file, int channels, int32_t& width, int32_t& height, RBytes& pixels,
                  std::string& error) {
  int w = 0, h = 0, n = 0;
  stbi_uc* data = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, channels);
  if (!data) {
    error = stbi_failure_reason();
    return false;
  }
  width = w;
  height = h;
  pixels.assign(data, data + static_cast<size_t>(w) * h * channels);
  stbi_image_free(data);
  if (channels == 4) SwapRedBlue(pixels);
  return true;
}

RBytes Image_EncodePng(int32_t width, int32_t height, const RBytes& pixels, int channels) {
  RBytes rgba = pixels;
  if (channels == 4) SwapRedBlue(rgba);
  RBytes out;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* bytes = static_cast<uint8_t*>(data);
        static_cast<RBytes*>(context)->insert(static_cast<RBytes*>(context)->end(), bytes, bytes + size);
      },
      &out, width, height, channels, rgba.data(), width * channels);
  return out;
}

RBytes Image_EncodeBmp(int32_t width, int32_t height, const RBytes& bgra) {
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = row * static_cast<uint32_t>(height);
  RBytes out{'B', 'M'};
  AppendLe(out, 54 + imageSize, 4);
  AppendLe(out, 0, 4);
  AppendLe(out, 54, 4);
  AppendLe(out, 40, 4);
  AppendLe(out, static_cast<uint32_t>(width), 4);
  AppendLe(out, static_cast<uint32_t>(height), 4);
  AppendLe(out, 1, 2);
  AppendLe(out, 24, 2);
  AppendLe(out, 0, 4);
  AppendLe(out, imageSize, 4);
  AppendLe(out, 2835, 4);
  AppendLe(out, 2835, 4);
  AppendLe(out, 0, 4);
  AppendLe(out, 0, 4);
  // Rows bottom to top, each padded to four bytes.
  for (int32_t y = height - 1; y >= 0; y--) {
    const size_t start = out.size();
    for (int32_t x = 0; x < width; x++) {
      const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
      out.insert(out.end(), p, p + 3);
    }
    out.resize(start + row, 0);
  }
  return out;
}
