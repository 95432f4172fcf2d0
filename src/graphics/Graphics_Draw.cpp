#include "graphics/Graphics_Draw.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_D3D.h"

namespace {

int32_t g_Colour = 0;
double g_Alpha = 1.0;
int32_t g_Precision = 24;

// The primitive under construction.
int32_t g_Kind = 0;
int32_t g_Texture = -1;
std::vector<RVertex> g_Vertices;
constexpr size_t kMaxVertices = 1001;

RVertex Vertex(double x, double y, int32_t colour, double alpha, double u = 0, double v = 0) {
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(D3D_Depth()),
          D3D_ConvertColour(colour, alpha), static_cast<float>(u), static_cast<float>(v)};
}

// Untextured shapes go out in one call each.
void Emit(int32_t kind, const RVertex* vertices, int32_t count) {
  D3D_SetPrimitiveTexture(-1);
  D3D_DrawPrimitive(kind, vertices, count);
}

// The ellipse's rim: point i of n at the angle 2 pi i / n.
void Rim(std::vector<RVertex>& out, double cx, double cy, double a, double b, int32_t from, int32_t count,
         int32_t colour, double alpha) {
  for (int32_t i = from; i < from + count; i++) {
    double t = 2 * std::numbers::pi * i / g_Precision;
    out.push_back(Vertex(cx + a * std::cos(t), cy + b * std::sin(t), colour, alpha));
  }
}

// Whole-number maxima reach 0.01 further.
double Reach(double v) { return v == std::floor(v) ? v + 0.01 : v; }

}  // namespace

int32_t Draw_Colour() { return g_Colour; }
void Draw_SetColour(int32_t colour) { g_Colour = colour & 0xFFFFFF; }
double Draw_Alpha() { return g_Alpha; }
void Draw_SetAlpha(double alpha) { g_Alpha = std::clamp(alpha, 0.0, 1.0); }

int32_t Draw_CirclePrecision() { return g_Precision; }
void Draw_SetCirclePrecision(int32_t n) { g_Precision = std::clamp(n, 4, 64) / 4 * 4; }

void Draw_Point(double x, double y, int32_t colour, double alpha) {
  RVertex v = Vertex(x, y, colour, alpha);
  Emit(PRIM_POINTLIST, &v, 1);
}

void Draw_Line(double x1, double y1, double x2, double y2, int32_t c1, int32_t c2, double alpha) {
  RVertex v[2] = {Vertex(x1, y1, c1, alpha), Vertex(x2, y2, c2, alpha)};
  Emit(PRIM_LINELIST, v, 2);
}

void Draw_LineStrip(std::span<const double> xy, int32_t colour, double alpha) {
  // Kept between calls: paths are drawn every frame.
  static std::vector<RVertex> strip;
  strip.clear();
  for (size_t i = 0; i + 1 < xy.size(); i += 2) strip.push_back(Vertex(xy[i], xy[i + 1], colour, alpha));
  if (strip.size() >= 2) Emit(PRIM_LINESTRIP, strip.data(), static_cast<int32_t>(strip.size()));
}

void Draw_LineWidth(double x1, double y1, double x2, double y2, double width, int32_t c1, int32_t c2, double alpha) {
  double d = std::hypot(x2 - x1, y2 - y1);
  if (d == 0) return;
  double ux = (x2 - x1) * (width / 2) / d, uy = (y2 - y1) * (width / 2) / d;
  RVertex v[4] = {Vertex(x1 - uy, y1 + ux, c1, alpha), Vertex(x2 - uy, y2 + ux, c2, alpha),
                  Vertex(x2 + uy, y2 - ux, c2, alpha), Vertex(x1 + uy, y1 - ux, c1, alpha)};
  Emit(PRIM_TRIANGLEFAN, v, 4);
}

void Draw_Rectangle(double x1, double y1, double x2, double y2, const int32_t colours[4], double alpha, bool outline) {
  double left = std::min(x1, x2), top = std::min(y1, y2);
  double right = Reach(std::max(x1, x2)), bottom = Reach(std::max(y1, y2));
  RVertex v[5] = {Vertex(left, top, colours[0], alpha), Vertex(right, top, colours[1], alpha),
                  Vertex(right, bottom, colours[2], alpha), Vertex(left, bottom, colours[3], alpha),
                  Vertex(left, top, colours[0], alpha)};
  if (outline)
    Emit(PRIM_LINESTRIP, v, 5);
  else
    Emit(PRIM_TRIANGLEFAN, v, 4);
}

void Draw_Triangle(double x1, double y1, double x2, double y2, double x3, double y3, int32_t c1, int32_t c2,
                   int32_t c3, double alpha, bool outline) {
  RVertex v[4] = {Vertex(x1, y1, c1, alpha), Vertex(x2, y2, c2, alpha), Vertex(x3, y3, c3, alpha),
                  Vertex(x1, y1, c1, alpha)};
  if (outline)
    Emit(PRIM_LINESTRIP, v, 4);
  else
    Emit(PRIM_TRIANGLELIST, v, 3);
}

void Draw_Ellipse(double x1, double y1, double x2, double y2, int32_t centre, int32_t rim, double alpha, bool outline) {
  const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2, a = std::fabs(x2 - x1) / 2, b = std::fabs(y2 - y1) / 2;
  std::vector<RVertex> v;
  if (!outline) v.push_back(Vertex(cx, cy, centre, alpha));
  Rim(v, cx, cy, a, b, 0, g_Precision + 1, outline ? centre : rim, alpha);
  Emit(outline ? PRIM_LINESTRIP : PRIM_TRIANGLEFAN, v.data(), static_cast<int32_t>(v.size()));
}

void Draw_RoundRect(double x1, double y1, double x2, double y2, int32_t centre, int32_t rim, double alpha,
                    bool outline) {
  double left = std::min(x1, x2), top = std::min(y1, y2);
  double right = Reach(std::max(x1, x2)), bottom = Reach(std::max(y1, y2));
  const double rx = std::min(10.0, right - left) / 2, ry = std::min(10.0, bottom - top) / 2;
  // Quarter circles, clockwise on the screen from the bottom-right corner.
  const double cx[4] = {right - rx, left + rx, left + rx, right - rx};
  const double cy[4] = {bottom - ry, bottom - ry, top + ry, top + ry};
  std::vector<RVertex> v;
  if (!outline) v.push_back(Vertex((left + right) / 2, (top + bottom) / 2, centre, alpha));
  const int32_t quarter = g_Precision / 4;
  for (int32_t q = 0; q < 4; q++) Rim(v, cx[q], cy[q], rx, ry, q * quarter, quarter + 1, outline ? centre : rim, alpha);
  v.push_back(v[outline ? 0 : 1]);
  Emit(outline ? PRIM_LINESTRIP : PRIM_TRIANGLEFAN, v.data(), static_cast<int32_t>(v.size()));
}

void Draw_Arrow(double x1, double y1, double x2, double y2, double size) {
  const double d = std::hypot(x2 - x1, y2 - y1);
  if (d == 0) return;
  size = std::min(size, d);
  Draw_Line(x1, y1, x2, y2, g_Colour, g_Colour, g_Alpha);
  const double ux = (x2 - x1) / d, uy = (y2 - y1) / d;
  const double bx = x2 - ux * size, by = y2 - uy * size, side = size / 3;
  Draw_Triangle(x2, y2, bx - uy * side, by + ux * side, bx + uy * side, by - ux * side, g_Colour, g_Colour, g_Colour,
                g_Alpha, false);
}

void Draw_Button(double x1, double y1, double x2, double y2, bool up) {
  const int32_t light = up ? 0xFFFFFF : 0x808080, dark = up ? 0x808080 : 0xFFFFFF;
  Draw_Triangle(x1, y1, x2, y1, x1, y2, light, light, light, g_Alpha, false);
  Draw_Triangle(x1, y2, x2, y1, x2, y2, dark, dark, dark, g_Alpha, false);
  const int32_t fill[4] = {g_Colour, g_Colour, g_Colour, g_Colour};
  Draw_Rectangle(x1 + 2, y1 + 2, x2 - 2, y2 - 2, fill, g_Alpha, false);
}

void Draw_Healthbar(double x1, double y1, double x2, double y2, double amount, int32_t back, int32_t low,
                    int32_t high, int32_t direction, bool show_back, bool show_border) {
  amount = std::clamp(amount, 0.0, 100.0);
  const double f = amount / 100;
  const int32_t black[4] = {0, 0, 0, 0};
  if (show_back) {
    const int32_t b[4] = {back, back, back, back};
    Draw_Rectangle(x1, y1, x2, y2, b, g_Alpha, false);
    if (show_border) Draw_Rectangle(x1, y1, x2, y2, black, g_Alpha, true);
  }
  switch (direction) {
    case 1: x1 = x2 - (x2 - x1) * f; break;
    case 2: y2 = y1 + (y2 - y1) * f; break;
    case 3: y1 = y2 - (y2 - y1) * f; break;
    default: x2 = x1 + (x2 - x1) * f; break;
  }
  const int32_t mid = Colour_Merge(low, high, 0.5);
  const int32_t colour = amount > 50 ? Colour_Merge(mid, high, (amount - 50) / 50) : Colour_Merge(low, mid, amount / 50);
  const int32_t bar[4] = {colour, colour, colour, colour};
  Draw_Rectangle(x1, y1, x2, y2, bar, g_Alpha, false);
  if (show_border) Draw_Rectangle(x1, y1, x2, y2, black, g_Alpha, true);
}

void Draw_PrimitiveBegin(int32_t kind, int32_t texture) {
  g_Kind = kind;
  g_Texture = texture;
  g_Vertices.clear();
}

void Draw_Vertex(double x, double y, double u, double v, int32_t colour, double alpha) {
  if (g_Vertices.size() < kMaxVertices) g_Vertices.push_back(Vertex(x, y, colour, alpha, u, v));
}

void Draw_PrimitiveEnd() {
  if (g_Kind < PRIM_POINTLIST || g_Kind > PRIM_TRIANGLEFAN) return;
  D3D_SetPrimitiveTexture(g_Texture);
  D3D_DrawPrimitive(g_Kind, g_Vertices.data(), static_cast<int32_t>(g_Vertices.size()));
  D3D_SetPrimitiveTexture(-1);
}

int32_t Colour_Merge(int32_t a, int32_t b, double amount) {
  int32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= static_cast<int32_t>(Graphics_Round((1 - amount) * ca + amount * cb) & 0xFF) << shift;
  }
  return out;
}

int32_t Colour_FromHsv(double h, double s, double v) {
  double H = h * 360 / 255, S = s / 255, V = v / 255;
  if (H >= 360) H = 0;
  double r = V, g = V, b = V;
  if (S != 0) {
    const int32_t sector = static_cast<int32_t>(std::trunc(H / 60));
    const double f = H / 60 - sector, p = V * (1 - S), q = V * (1 - S * f), t = V * (1 - S * (1 - f));
    switch (sector) {
      case 0: r = V, g = t, b = p; break;
      case 1: r = q, g = V, b = p; break;
      case 2: r = p, g = V, b = t; break;
      case 3: r = p, g = q, b = V; break;
      case 4: r = t, g = p, b = V; break;
      default: r = V, g = p, b = q; break;
    }
  }
  auto channel = [](double c) { return static_cast<int32_t>(std::trunc(c * 255)) & 0xFF; };
  return channel(r) | channel(g) << 8 | channel(b) << 16;
}

namespace {

struct RHsv {
  double max, min, delta, hue;
};

RHsv Hsv(int32_t colour) {
  const double r = (colour & 0xFF) / 255.0, g = ((colour >> 8) & 0xFF) / 255.0, b = ((colour >> 16) & 0xFF) / 255.0;
  RHsv out{std::max({r, g, b}), std::min({r, g, b}), 0, 0};
  out.delta = out.max - out.min;
  if (out.max == 0 || out.delta == 0) return out;
  if (out.max == r)
    out.hue = (g - b) * 60 / out.delta;
  else if (out.max == g)
    out.hue = (b - r) * 60 / out.delta + 120;
  else
    out.hue = (r - g) * 60 / out.delta + 240;
  if (out.hue < 0) out.hue += 360;
  return out;
}

}  // namespace

int32_t Colour_Hue(int32_t colour) { return static_cast<int32_t>(std::trunc(Hsv(colour).hue * 255 / 360)); }

int32_t Colour_Saturation(int32_t colour) {
  RHsv c = Hsv(colour);
  return c.max == 0 ? 0 : static_cast<int32_t>(std::trunc(c.delta / c.max * 255));
}

int32_t Colour_Value(int32_t colour) { return static_cast<int32_t>(std::trunc(Hsv(colour).max * 255)); }
