// Background_Class: CBackground, a single-image resource drawn as a room
// background or cut into tiles.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Sprite_Class.h"

struct RBackgroundRecord;

class CBackground {
 public:
  int32_t width = 0, height = 0;
  CBitmap32 image;  // does not exist for a background without one
  bool transparent = false;
  bool smooth = false;
  bool preload = false;
  int32_t texture = -1;

  CBackground() = default;
  ~CBackground();
  CBackground(const CBackground&) = delete;
  CBackground& operator=(const CBackground&) = delete;

  // Frees image and texture; every field back to its initial value.
  void Clear();
  // Takes over a record read from the game file (its pixels are moved out).
  void LoadFromRecord(RBackgroundRecord& record);
  // Becomes a copy of `other`, with a texture of its own.
  void Assign(const CBackground& other);
  // Loads a picture file (alpha: keep the file's alpha, without
  // transparency or smoothing); its size becomes the background's. False
  // (unchanged) when the file is missing or cannot be decoded.
  bool LoadFromFile(const std::string& path, bool alpha, bool transparent_on, bool smooth_on, bool preload_on);
  // A new image (already processed) of its own size; then the texture.
  void SetImage(CBitmap32 picture, bool transparent_on, bool smooth_on, bool preload_on);
  // An opaque colour (game colour) or gradient of w x h; transparent and
  // smooth off. See Bitmap_Gradient for the kinds.
  void SetSolid(int32_t w, int32_t h, int32_t colour, bool preload_on);
  void SetGradient(int32_t w, int32_t h, int32_t kind, int32_t colour1, int32_t colour2, bool preload_on);
  // Alpha = min(own, mean of the other's colour) over the common area; texture.
  void AlphaFrom(const CBackground& other);

  // Frees the old texture and makes one of the image (-1 without one).
  void CreateTexture();
  void FreeTexture();
  int32_t Texture() const { return texture; }
  RImageRef Image() const { return {texture, width, height, 0, 0}; }

  // The drawing operations of a sprite frame with origin (0, 0).
  void Draw(double x, double y) const;
  void DrawExt(double x, double y, double xscale, double yscale, double angle, int32_t colour, double alpha) const;
  void DrawStretched(double x, double y, double w, double h, int32_t colour, double alpha) const;
  void DrawPart(double left, double top, double w, double h, double x, double y, double xscale, double yscale,
                int32_t colour, double alpha) const;
  void DrawGeneral(double left, double top, double w, double h, double x, double y, double xscale, double yscale,
                   double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4, double alpha) const;
  void DrawTiled(bool tile_h, bool tile_v, double alpha, int32_t colour, double area_left, double area_top,
                 double area_width, double area_height, double xscale, double yscale, double x, double y) const;
};
