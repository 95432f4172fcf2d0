#include "graphics/Background_Class.h"

#include "data/DataNew_Class.h"
#include "graphics/Graphics_Texture.h"

CBackground::~CBackground() { FreeTexture(); }

void CBackground::Clear() {
  FreeTexture();
  width = height = 0;
  image = CBitmap32();
  transparent = smooth = preload = false;
}

void CBackground::LoadFromRecord(RBackgroundRecord& record) {
  Clear();
  width = record.width;
  height = record.height;
  transparent = record.transparent;
  smooth = record.smoothEdges;
  preload = record.preload;
  if (record.hasImage) {
    image = Bitmap_FromRecord(record.image);
    record.image.pixels = RBytes();  // the record's copy is no longer needed
  }
}

void CBackground::Assign(const CBackground& other) {
  if (&other == this) return;
  width = other.width;
  height = other.height;
  image = other.image;
  transparent = other.transparent;
  smooth = other.smooth;
  preload = other.preload;
  CreateTexture();
}

void CBackground::SetImage(CBitmap32 picture, bool transparent_on, bool smooth_on, bool preload_on) {
  image = std::move(picture);
  width = image.width;
  height = image.height;
  transparent = transparent_on;
  smooth = smooth_on;
  preload = preload_on;
  CreateTexture();
}

void CBackground::SetSolid(int32_t w, int32_t h, int32_t colour, bool preload_on) {
  SetImage(Bitmap_Solid(w, h, colour), false, false, preload_on);
}

void CBackground::SetGradient(int32_t w, int32_t h, int32_t kind, int32_t colour1, int32_t colour2,
                              bool preload_on) {
  SetImage(Bitmap_Gradient(w, h, kind, colour1, colour2), false, false, preload_on);
}

void CBackground::AlphaFrom(const CBackground& other) {
  Bitmap_AlphaFrom(image, other.image);
  CreateTexture();
}

void CBackground::CreateTexture() {
  FreeTexture();
  if (image.exists) texture = TextureFromImage(image);
}

void CBackground::FreeTexture() {
  if (texture >= 0) ::FreeTexture(texture);
  texture = -1;
}

void CBackground::Draw(double x, double y) const { Image_Draw(Image(), x, y); }

void CBackground::DrawExt(double x, double y, double xscale, double yscale, double angle, int32_t colour,
                          double alpha) const {
  Image_DrawExt(Image(), x, y, xscale, yscale, angle, colour, alpha);
}

void CBackground::DrawStretched(double x, double y, double w, double h, int32_t colour, double alpha) const {
  Image_DrawStretched(Image(), x, y, w, h, colour, alpha);
}

void CBackground::DrawPart(double left, double top, double w, double h, double x, double y, double xscale,
                           double yscale, int32_t colour, double alpha) const {
  Image_DrawPart(Image(), left, top, w, h, x, y, xscale, yscale, colour, alpha);
}

void CBackground::DrawGeneral(double left, double top, double w, double h, double x, double y, double xscale,
                              double yscale, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                              double alpha) const {
  Image_DrawGeneral(Image(), left, top, w, h, x, y, xscale, yscale, angle, c1, c2, c3, c4, alpha);
}

void CBackground::DrawTiled(bool tile_h, bool tile_v, double alpha, int32_t colour, double area_left,
                            double area_top, double area_width, double area_height, double xscale, double yscale,
                            double x, double y) const {
  Image_DrawTiled(Image(), tile_h, tile_v, alpha, colour, area_left, area_top, area_width, area_height, xscale, yscale,
                  x, y);
}
