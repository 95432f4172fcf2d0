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
// Encodes an image as an uncompressed BMP file: 32 bits (alpha kept) or 24
// bits (alpha dropped).
std::vector<uint8_t> Bitmap_EncodeBMP(const CBitmap32& image, int32_t bits = 32);

// PNG files (tests and reference images).
bool Bitmap_LoadPNG(const std::string& path, CBitmap32& image);
bool Bitmap_SavePNG(const std::string& path, const CBitmap32& image);

// Whole-file helpers; false when the file cannot be read or written.
bool Bitmap_LoadBMPFile(const std::string& path, CBitmap32& image);
bool Bitmap_SaveBMPFile(const std::string& path, const CBitmap32& image, int32_t bits = 32);

struct RImageRecord;

// The image of a game-file record: stored pixels as they are (an empty
// record gives an image that does not exist).
CBitmap32 Bitmap_FromRecord(const RImageRecord& record);
// The rectangle (x, y, w, h) of `source`; does not exist unless the source
// does and the rectangle lies within it.
CBitmap32 Bitmap_SubImage(const CBitmap32& source, int32_t x, int32_t y, int32_t w, int32_t h);
// An opaque image of a game colour (0xBBGGRR), each side at least 1.
CBitmap32 Bitmap_Solid(int32_t w, int32_t h, int32_t colour);
// An opaque gradient from colour 1 to colour 2 (game colours), each side at
// least 1: kind 0 horizontal, 1 vertical, 2 rectangles, 3 ellipses, 4 double
// horizontal, 5 double vertical (other kinds: colour 1 only).
CBitmap32 Bitmap_Gradient(int32_t w, int32_t h, int32_t kind, int32_t colour1, int32_t colour2);
// Nearest-pixel scaling to w x h (an image that does not exist stays so).
CBitmap32 Bitmap_Resize(const CBitmap32& source, int32_t w, int32_t h);
// The smallest rectangle holding every pixel with alpha; starts from
// (width - 1, height - 1, 0, 0), kept when none has; (0, 0, 0, 0) when the
// image does not exist.
void Bitmap_OpaqueBox(const CBitmap32& image, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom);
// Over the common area: alpha = min(own alpha, mean of the other's red,
// green and blue).
void Bitmap_AlphaFrom(CBitmap32& image, const CBitmap32& other);
// A new picture becomes an image: without `keep_alpha` every pixel is made
// opaque; then, when transparent, the lower-left pixel's colour becomes
// transparent and transparent pixels take a neighbour's colour (so that
// filtering does not darken edges); with smooth also, transparent pixels
// wear down the alpha of their neighbours.
void Bitmap_Process(CBitmap32& image, bool keep_alpha, bool smooth, bool transparent);
// Lays the image over an opaque canvas of colour `canvas` (0xRRGGBB).
void Bitmap_Flatten(CBitmap32& image, uint32_t canvas);
// The canvas colour under pictures and animation frames (game colour 0x008040).
constexpr uint32_t BITMAP_CANVAS = 0x408000u;
// A decoded picture as an image: with alpha kept as it is; otherwise laid
// over a canvas (BITMAP_CANVAS when transparent, black otherwise) and processed.
CBitmap32 Bitmap_FromPicture(const CBitmap32& picture, bool alpha, bool smooth, bool transparent);

// Reads a picture file: BMP (every kind), PNG, JPEG, GIF (its first frame),
// Truevision, Photoshop, portable any-maps, Softimage PIC and Radiance HDR.
// False when the file is missing or cannot be decoded.
bool Bitmap_LoadPicture(const std::string& path, CBitmap32& image);
// Every frame of an animated GIF, opaque: a canvas of the GIF's size starts
// in BITMAP_CANVAS; each frame is drawn onto it (its transparent colour
// left out) and a copy taken; then the canvas is filled again unless the
// frame asks to be kept (disposal 1). False when the file is missing, is not
// a GIF or has no complete frame; a corrupt frame spoils the whole file.
bool Bitmap_LoadGifFrames(const std::string& path, std::vector<CBitmap32>& frames);
bool Bitmap_DecodeGif(std::span<const uint8_t> bytes, std::vector<CBitmap32>& frames);
