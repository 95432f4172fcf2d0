#include "graphics/Graphics_Image.h"

#include <numbers>

#include "graphics/Graphics_D3D.h"

namespace {

constexpr double kRadians = std::numbers::pi / 180;

}  // namespace

void Image_Draw(const RImageRef& image, double x, double y) {
  DrawTexture(image.texture, x - image.xorigin, y - image.yorigin);
}

void Image_DrawExt(const RImageRef& image, double x, double y, double xscale, double yscale, double angle,
                   int32_t colour, double alpha) {
  DrawTextureExt(image.texture, x, y, image.xorigin, image.yorigin, xscale, yscale, angle * kRadians, colour, alpha);
}

void Image_DrawStretched(const RImageRef& image, double x, double y, double w, double h, int32_t colour,
                         double alpha) {
  if (!(w > 0 && h > 0) || image.width <= 0 || image.height <= 0) return;
  DrawTextureExt(image.texture, x, y, 0, 0, w / image.width, h / image.height, 0, colour, alpha);
}

void Image_DrawPart(const RImageRef& image, double left, double top, double w, double h, double x, double y,
                    double xscale, double yscale, int32_t colour, double alpha) {
  DrawTexturePart(image.texture, left, top, w, h, x, y, xscale, yscale, 0, colour, alpha);
}

void Image_DrawGeneral(const RImageRef& image, double left, double top, double w, double h, double x, double y,
                       double xscale, double yscale, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                       double alpha) {
  DrawTextureGeneral(image.texture, left, top, w, h, x, y, xscale, yscale, angle * kRadians, c1, c2, c3, c4, alpha);
}

void Image_DrawTiled(const RImageRef& image, bool tile_h, bool tile_v, double alpha, int32_t colour,
                     double area_left, double area_top, double area_width, double area_height, double xscale,
                     double yscale, double x, double y) {
  DrawTextureTiled(image.texture, x, y, image.xorigin, image.yorigin, xscale, yscale, tile_h, tile_v, area_left,
                   area_top, area_width, area_height, colour, alpha);
}
