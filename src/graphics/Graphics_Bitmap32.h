// Graphics_Bitmap32: images in memory with 0xAARRGGBB pixels, and the picture
// files the engine reads and writes (BMP of our own, PNG through libpng).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// An image in memory. Pixel (x, y) is pixels[x + y * width]; an image that
// does not exist has no pixels.
class CBitmap32 {
 public:
  bool exists = false;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  CBitmap32() = default;
  // An existing image of the given size, every pixel `fill`.
  CBitmap32(int32_t w, int32_t h, uint32_t fill = 0);

  uint32_t Pixel(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Largest side accepted from a picture file; larger ones are refused as corrupt.
constexpr int32_t BITMAP_MAX_SIDE = 16384;

// Decodes a BMP file (1, 4, 8, 16, 24 and 32 bits, plain or RLE4/RLE8,
// top-down or bottom-up). Pixels become opaque except for 32-bit files whose
// header carries an alpha mask. False (image untouched) on any corrupt input.
bool Bitmap_DecodeBMP(std::span<const uint8_t> bytes, CBitmap32& image);
// Encodes an image as a 32-bit uncompressed BMP file (alpha kept).
std::vector<uint8_t> Bitmap_EncodeBMP(const CBitmap32& image);

// PNG files (tests and reference images).
bool Bitmap_LoadPNG(const std::string& path, CBitmap32& image);
bool Bitmap_SavePNG(const std::string& path, const CBitmap32& image);

// Whole-file helpers; false when the file cannot be read or written.
bool Bitmap_LoadBMPFile(const std::string& path, CBitmap32& image);
bool Bitmap_SaveBMPFile(const std::string& path, const CBitmap32& image);
