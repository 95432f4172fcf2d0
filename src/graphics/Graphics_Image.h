// Graphics_Image: drawing one image resource (a sprite's frame or a
// background) through the drawing layer; the one place where the resource
// drawing operations meet the texture calls. Angles are in degrees, colours
// are game colours (0xBBGGRR); a missing texture draws nothing.
#pragma once

#include <cstdint>

// The texture of an image with its size and origin.
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
