// Gamepack_Image: the picture files of a project. Sprites and backgrounds are
// held as BGRA bytes, font glyph images as one alpha byte per pixel.
#pragma once

#include <cstdint>
#include <string>

#include "data/DataNew_Class.h"

// Decodes a PNG, BMP, GIF (first frame) or JPEG file into `channels` bytes
// per pixel (4: blue, green, red, alpha; 1: grey). False with a reason when
// the bytes are not such a picture.
bool Image_Decode(const RBytes& file, int channels, int32_t& width, int32_t& height, RBytes& pixels,
                  std::string& error);
// A PNG file of the pixels (4 channels BGRA, or 1 channel grey).
RBytes Image_EncodePng(int32_t width, int32_t height, const RBytes& pixels, int channels);
// A 24-bit Windows BMP file of BGRA pixels (alpha dropped).
RBytes Image_EncodeBmp(int32_t width, int32_t height, const RBytes& bgra);
