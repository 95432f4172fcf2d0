// Sprite_Class: CSprite, an animated image resource: equally sized images
// with an origin, a bounding box, per-pixel collision masks and one texture
// per image; its drawing operations and the precise collision tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Graphics_Bitmap32.h"

struct RSpriteRecord;
struct RInstanceState;
class CImageBatch;

// Drawing one image resource (a sprite's frame or a background) through the
// drawing layer. Angles are in degrees, colours are game colours (0xBBGGRR);
// a missing texture draws nothing. An image is its texture with its size
// and origin:
struct RImageRef {
  int32_t texture = -1;
  int32_t width = 0, height = 0;
  int32_t xorigin = 0, yorigin = 0;
};

// At (x, y) less the origin, unscaled.
void Image_Draw(const RImageRef& image, double x, double y);
void Image_DrawExt(const RImageRef& image, double x, double y, double xscale, double yscale, double angle,
                   int32_t colour, double alpha);
// Scaled to w x h with its top-left corner at (x, y); nothing unless w, h
// and the image's size are positive.
void Image_DrawStretched(const RImageRef& image, double x, double y, double w, double h, int32_t colour,
                         double alpha);
// The source rectangle (left, top, w, h) at (x, y), no origin.
void Image_DrawPart(const RImageRef& image, double left, double top, double w, double h, double x, double y,
                    double xscale, double yscale, int32_t colour, double alpha);
// As part, turned, with colours c1 .. c4 for the corners top-left, top-right,
// bottom-right, bottom-left.
void Image_DrawGeneral(const RImageRef& image, double left, double top, double w, double h, double x, double y,
                       double xscale, double yscale, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                       double alpha);
// Copies placed from (x, y) over the area (left, top, width, height).
void Image_DrawTiled(const RImageRef& image, bool tile_h, bool tile_v, double alpha, int32_t colour,
                     double area_left, double area_top, double area_width, double area_height, double xscale,
                     double yscale, double x, double y);

// The collision mask of one image: Solid(x, y) is true where the image's
// alpha is not 0. Stored column by column so that a test is one indexed
// read; it covers only the part of the sprite's size that the image fills
// (everything beyond is clear), so a corrupt sprite size costs no memory.
class CMask {
 public:
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bits;  // bits[x * height + y]

  // The mask of `image` within a sprite of w x h.
  CMask(int32_t w, int32_t h, const CBitmap32& image);
  bool Solid(int32_t x, int32_t y) const {
    return x >= 0 && x < width && y >= 0 && y < height && bits[static_cast<size_t>(x) * height + y] != 0;
  }
};

// Bounding box modes.
enum : int32_t { SPRITE_BBOX_AUTOMATIC = 0, SPRITE_BBOX_FULL = 1, SPRITE_BBOX_MANUAL = 2 };

// How a picture file becomes a sprite.
struct RSpriteLoad {
  int32_t frames = 1;      // a strip of this many frames side by side (1 when 0 or less)
  bool alpha = false;      // keep the file's alpha (no transparency, no smoothing)
  bool transparent = true;
  bool smooth = false;
  bool preload = true;
  bool precise = true;
  int32_t xorigin = 0, yorigin = 0;
};

// Frame selection: index mod count, made non-negative; -1 when count is 0.
int32_t Sprite_Frame(int32_t index, int32_t count);

class CSprite {
 public:
  int32_t bbox_mode = SPRITE_BBOX_AUTOMATIC;
  int32_t bbox_left = 0, bbox_top = 0, bbox_right = 0, bbox_bottom = 0;  // image pixels, inclusive
  int32_t width = 1, height = 1;  // of every image
  int32_t xorigin = 0, yorigin = 0;
  bool precise = true;
  bool transparent = true;
  bool smooth = false;
  bool preload = true;
  bool masks_built = false;
  std::vector<CBitmap32> images;
  std::vector<CMask> masks;     // one per image; empty unless precise and transparent
  std::vector<int32_t> textures;  // one per image once created; -1 for an image without one

  CSprite() = default;
  ~CSprite();
  CSprite(const CSprite&) = delete;
  CSprite& operator=(const CSprite&) = delete;

  int32_t ImageCount() const { return static_cast<int32_t>(images.size()); }

  // Frees images, textures and masks; every field back to its initial value.
  void Clear();
  // Takes over a record read from the game file (its pixels are moved out),
  // then builds the masks. Stored pixels are used as they are.
  void LoadFromRecord(RSpriteRecord& record);
  // Loads a picture file: a ".gif" gives one image per animation frame,
  // any other picture a strip of frames. False (the sprite unchanged) when
  // the file is missing or cannot be decoded.
  bool LoadFromFile(const std::string& path, const RSpriteLoad& how);
  // Becomes these images (processed, of one size, at least one) with the
  // settings of `how` in bbox mode 0; textures, bounding box and masks.
  void SetImages(std::vector<CBitmap32> frames, const RSpriteLoad& how);
  // Becomes a copy of `other` (fields and images); textures and masks anew.
  void Assign(const CSprite& other);

  // Frees the old textures and makes one per image.
  void CreateTextures();
  void FreeTextures();
  // The texture of the selected frame; -1 without images or texture.
  int32_t TextureOf(int32_t image) const;

  void ComputeBoundingBox();
  void BuildMasks();
  // Only 0, 1 or 2, and only when different: stores it and recomputes the box.
  void SetBBoxMode(int32_t mode);
  // When different: stores it and rebuilds the masks.
  void SetPrecise(bool on);

  // Appends an image already processed for this sprite (resized to the
  // sprite's size; the first image of an empty sprite sets the size), then
  // textures, bounding box and masks.
  void AddFrame(const CBitmap32& image);
  // Appends copies of the other's images resized to this sprite's size (an
  // empty sprite takes the other's size first); textures, box and masks.
  void Merge(const CSprite& other);
  // Image i takes its alpha from the other's image i mod its count; textures.
  void AlphaFrom(const CSprite& other);
  // The opaque box of an image, (0, 0, 0, 0) when out of range.
  void ImageOpaqueBox(int32_t index, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;

  // The selected frame's texture with the sprite's size and origin.
  RImageRef Frame(int32_t image) const;
  // Drawing of the selected frame (the Image_ operations); angles in degrees,
  // colours are game colours (0xBBGGRR). A missing texture draws nothing.
  void Draw(int32_t image, double x, double y) const;
  void DrawExt(int32_t image, double x, double y, double xscale, double yscale, double angle, int32_t colour,
               double alpha) const;
  void DrawStretched(int32_t image, double x, double y, double w, double h, int32_t colour, double alpha) const;
  void DrawPart(int32_t image, double left, double top, double w, double h, double x, double y, double xscale,
                double yscale, int32_t colour, double alpha) const;
  void DrawGeneral(int32_t image, double left, double top, double w, double h, double x, double y, double xscale,
                   double yscale, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4, double alpha) const;
  // Fills the area (left, top, width, height) with copies placed from (x, y).
  void DrawTiled(int32_t image, bool tile_h, bool tile_v, double alpha, int32_t colour, double area_left,
                 double area_top, double area_width, double area_height, double xscale, double yscale, double x,
                 double y) const;

 private:
  // Textures, bounding box and masks after the images changed.
  void ImagesChanged();
};

// The image an instance shows: floor(image_index), NaN as 0, held within
// the int32 range (frame selection then applies).
int32_t Sprite_ImageIndex(double image_index);

// The default drawing of an instance without a draw event: its sprite's
// image at its position, plainly when unscaled, unturned, white and opaque,
// else with its scales, angle, blend colour and alpha; through `batch`, as
// one of a run of such instances.
void Sprite_DrawInstance(CImageBatch& batch, const CSprite& sprite, const RInstanceState& inst);

// One instance's shape as a precise test sees it.
struct RSpritePlacement {
  int32_t image = 0;                                  // image index; frame selection applies
  int32_t left = 0, top = 0, right = 0, bottom = 0;   // the instance's bounding box, inclusive room pixels
  int32_t x = 0, y = 0;                               // position, rounded by the caller
  double xscale = 1, yscale = 1, angle = 0;           // angle in degrees
};

// Precise collision tests. A room pixel (X, Y) maps into the image through
// the placement (position, origin, scales, rotation); it is solid when it
// lands inside the image and the sprite has no masks or the mask is set.
// Overlap: a room pixel of the two boxes' intersection solid for both
// (false when either sprite has no images).
bool Sprite_PreciseOverlap(const CSprite& a, const RSpritePlacement& pa, const CSprite& b, const RSpritePlacement& pb);
// Without masks these are true; otherwise: the point's pixel is solid ...
bool Sprite_PrecisePoint(const CSprite& s, const RSpritePlacement& p, int32_t px, int32_t py);
// ... a solid pixel lies in the intersection of the box and the rectangle ...
bool Sprite_PreciseRectangle(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// ... the same, counting only pixels inside the rectangle's inscribed ellipse ...
bool Sprite_PreciseEllipse(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// ... a point of the line, one per pixel along its longer axis within the box,
// is solid (a horizontal or vertical line is tested as a rectangle).
bool Sprite_PreciseLine(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
