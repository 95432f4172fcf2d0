// The shapes are drawn here from brightness profiles: each picture is a
// function of the pixel's distance from the centre (31.5, 31.5) and, for the
// star, the snowflake and the rays, of its angle. The mottled shapes take a
// fixed value noise, so every run makes the same pixels.
#include "functions/Particle_Form.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"

namespace {

constexpr int32_t kSize = PARTICLE_SHAPE_SIZE;
constexpr int32_t kPixels = kSize * kSize;
// The shared texture: the cells one above the other (short rows keep a
// cell's pixels close together for the sampler), each with a one-pixel frame
// that repeats its edge, so that linear filtering never reaches a neighbour.
constexpr int32_t kColumns = 1;
constexpr int32_t kStride = kSize + 2;

// Owned by this module for the program's life; filled by ParticleForm_Build.
std::vector<std::array<uint8_t, kPixels>> g_Shapes;
// The shared texture and the texture table generation it was made in.
int32_t g_Texture = -1;
bool g_Refused = false;
uint32_t g_TextureGeneration = ~0u;

// A profile through points (radius, brightness), linear between them, 0
// beyond the last and the first point's value before it.
struct RPoint {
  double r, v;
};
template <size_t N>
double Profile(const RPoint (&points)[N], double r) {
  if (r <= points[0].r) return points[0].v;
  for (size_t i = 1; i < N; ++i)
    if (r <= points[i].r) {
      const double t = (r - points[i - 1].r) / (points[i].r - points[i - 1].r);
      return points[i - 1].v + t * (points[i].v - points[i - 1].v);
    }
  return 0;
}

// A smooth fixed noise around 1 (about 1 - amount ... 1 + amount): two octaves
// of value noise over a hashed lattice.
double Lattice(int32_t x, int32_t y, uint32_t salt) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + salt * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}
double ValueNoise(double x, double y, double cell, uint32_t salt) {
  const double gx = x / cell, gy = y / cell;
  const int32_t x0 = static_cast<int32_t>(std::floor(gx)), y0 = static_cast<int32_t>(std::floor(gy));
  const double fx = gx - x0, fy = gy - y0;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = Lattice(x0, y0, salt) + sx * (Lattice(x0 + 1, y0, salt) - Lattice(x0, y0, salt));
  const double bottom = Lattice(x0, y0 + 1, salt) + sx * (Lattice(x0 + 1, y0 + 1, salt) - Lattice(x0, y0 + 1, salt));
  return top + sy * (bottom - top);
}
double Mottle(double x, double y, double amount, uint32_t salt) {
  const double n = 0.65 * ValueNoise(x, y, 8, salt) + 0.35 * ValueNoise(x, y, 3, salt + 1);
  return 1 + amount * (2 * n - 1);
}

// Whether (x, y) lies inside the five-pointed star with one point upwards
// whose points reach x 8 ... 58 and y 5 ... 56.
bool InStar(double x, double y) {
  constexpr double kOuter = 28.2, kInner = kOuter * 0.382, kCx = 33.0, kCy = 33.2;
  const double dx = x - kCx, dy = kCy - y;
  const double r = std::hypot(dx, dy);
  if (r > kOuter) return false;
  // The angle from the upward point, folded into one half of one point.
  double a = std::atan2(dx, dy);
  const double sector = 2 * std::numbers::pi / 5;
  a = std::fabs(std::remainder(a, sector));
  // The edge from the point (angle 0, outer) to the notch (half a sector, inner).
  const double px = 0, py = kOuter;
  const double qx = kInner * std::sin(sector / 2), qy = kInner * std::cos(sector / 2);
  const double ux = r * std::sin(a), uy = r * std::cos(a);
  return (qx - px) * (uy - py) - (qy - py) * (ux - px) <= 0;
}

// The distance from (dx, dy) to the nearest of `arms` rays starting at the
// centre, the first pointing up.
double RayDistance(double dx, double dy, int32_t arms, double offset) {
  const double r = std::hypot(dx, dy);
  const double sector = 2 * std::numbers::pi / arms;
  const double a = std::fabs(std::remainder(std::atan2(dx, -dy) - offset, sector));
  return a >= std::numbers::pi / 2 ? r : r * std::sin(a);
}

double Brightness(int32_t shape, int32_t px, int32_t py) {
  const double x = px, y = py, dx = x - 31.5, dy = y - 31.5, r = std::hypot(dx, dy);
  switch (shape) {
    case 0: {  // pixel
      const int32_t ax = std::abs(px - 32), ay = std::abs(py - 32);
      if (ax == 0 && ay == 0) return 255;
      if (ax + ay == 1) return 140;
      if (ax == 1 && ay == 1) return 64;
      if ((ax == 2 && ay == 0) || (ax == 0 && ay == 2)) return 32;
      return 0;
    }
    case 1: {  // disk
      static const RPoint p[] = {{25, 255}, {26, 228}, {27, 165}, {28, 68}, {28.6, 0}};
      return Profile(p, r);
    }
    case 2: {  // square
      if (px < 3 || px > 60 || py < 3 || py > 60) return 0;
      return px == 3 || px == 60 || py == 3 || py == 60 ? 200 : 255;
    }
    case 3: {  // line
      auto across = [](int32_t v, int32_t lo, int32_t hi, const double (&soft)[2]) {
        if (v >= lo && v <= hi) return 1.0;
        const int32_t out = v < lo ? lo - v : v - hi;
        return out <= 2 ? soft[out - 1] : 0.0;
      };
      static const double kEnds[2] = {0.6, 0.25}, kTop[2] = {0.5, 0.0}, kBottom[2] = {0.5, 0.2};
      const double fy = py < 28 ? across(py, 28, 35, kTop) : across(py, 28, 35, kBottom);
      return 255 * across(px, 6, 57, kEnds) * fy;
    }
    case 4: {  // star: 4 x 4 samples per pixel for soft edges
      int32_t inside = 0;
      for (int32_t sy = 0; sy < 4; ++sy)
        for (int32_t sx = 0; sx < 4; ++sx) inside += InStar(x + (sx + 0.5) / 4 - 0.5, y + (sy + 0.5) / 4 - 0.5);
      return 188.0 * inside / 16;
    }
    case 5: {  // circle
      static const RPoint p[] = {{22, 0}, {23, 70}, {24, 160}, {25, 211}, {26, 143}, {27, 55}, {28, 0}};
      return Profile(p, r);
    }
    case 6: {  // ring
      if (r < 9) return 0;
      static const RPoint p[] = {{9, 11}, {24, 225}, {25, 225}, {26, 150}, {27, 70}, {28, 0}};
      return Profile(p, r);
    }
    case 7:  // sphere
      return std::max(0.0, 245 - 245 * r / 30);
    case 8: {  // flare, with faint rays
      static const RPoint p[] = {{3, 255}, {6, 197}, {9, 139}, {13, 83}, {18, 44}, {24, 23}, {32, 8}, {45, 0}};
      const double rays = std::exp(-RayDistance(dx, dy, 8, 0.2) * 0.6);
      return Profile(p, r) * (0.92 + 0.16 * rays);
    }
    case 9: {  // spark: rays of varying length from a bright centre
      static const RPoint glow[] = {{0, 252}, {3, 170}, {7, 90}, {13, 25}, {20, 4}, {24, 0}};
      double v = Profile(glow, r);
      constexpr int32_t kRays = 14;
      for (int32_t k = 0; k < kRays; ++k) {
        const double angle = 2 * std::numbers::pi * (k + 0.3 * Lattice(k, 1, 9)) / kRays;
        const double length = 14 + 14 * Lattice(k, 2, 9);
        const double along = dx * std::sin(angle) - dy * std::cos(angle);
        const double off = std::fabs(dx * std::cos(angle) + dy * std::sin(angle));
        if (along < 0 || along > length || off > 1.5) continue;
        v = std::max(v, 230 * (1 - along / length) * (1 - off / 1.5));
      }
      return v;
    }
    case 10: {  // explosion: a mottled round cloud
      static const RPoint p[] = {{0, 200}, {13, 195}, {17, 185}, {22, 150}, {27, 96}, {32, 12}, {34, 0}};
      return Profile(p, r) * Mottle(x, y, 0.12, 10);
    }
    case 11: {  // cloud: faint mottling over the whole image
      static const RPoint p[] = {{0, 50}, {18, 47}, {33, 6}, {46, 2}};
      return std::min(110.0, Profile(p, r) * Mottle(x, y, 0.9, 11));
    }
    case 12: {  // smoke: a soft puff
      static const RPoint p[] = {{0, 216}, {10, 194}, {15, 165}, {20, 135}, {25, 96}, {29, 46}, {33, 0}};
      return Profile(p, r) * Mottle(x, y, 0.05, 12);
    }
    case 13: {  // snow: six arms around a solid centre
      if (r <= 11) return 255;
      static const RPoint arm[] = {{11, 255}, {19, 150}, {24, 60}, {28, 0}};
      const double off = RayDistance(dx, dy, 6, 0);
      return off >= 2.5 ? 0 : Profile(arm, r) * std::min(1.0, 2.5 - off);
    }
    default:
      return 0;
  }
}

}  // namespace

void ParticleForm_Build() {
  if (!g_Shapes.empty()) return;
  g_Shapes.resize(PARTICLE_SHAPE_COUNT);
  for (int32_t s = 0; s < PARTICLE_SHAPE_COUNT; ++s)
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x)
        g_Shapes[s][y * kSize + x] =
            static_cast<uint8_t>(std::lround(std::clamp(Brightness(s, x, y), 0.0, 255.0)));
}

uint8_t ParticleForm_Opacity(int32_t shape, int32_t x, int32_t y) {
  ParticleForm_Build();
  return g_Shapes[shape][y * kSize + x];
}

void ParticleForm_CellOf(int32_t shape, int32_t& left, int32_t& top) {
  left = shape % kColumns * kStride + 1;
  top = shape / kColumns * kStride + 1;
}

int32_t ParticleForm_Texture() {
  // One try per texture table: a refused texture is not asked for again on
  // every draw.
  if (g_TextureGeneration == Texture_TableGeneration() && (g_Texture >= 0 || g_Refused)) return g_Texture;
  g_Texture = -1;
  g_Refused = false;
  if (!D3D_DeviceExists()) return -1;
  ParticleForm_Build();
  const int32_t rows = (PARTICLE_SHAPE_COUNT + kColumns - 1) / kColumns;
  CBitmap32 atlas(kColumns * kStride, rows * kStride);
  for (int32_t s = 0; s < PARTICLE_SHAPE_COUNT; ++s) {
    int32_t left, top;
    ParticleForm_CellOf(s, left, top);
    for (int32_t y = -1; y <= kSize; ++y)
      for (int32_t x = -1; x <= kSize; ++x) {
        const int32_t sx = std::clamp(x, 0, kSize - 1), sy = std::clamp(y, 0, kSize - 1);
        atlas.pixels[static_cast<size_t>(top + y) * atlas.width + left + x] =
            0x00FFFFFFu | static_cast<uint32_t>(g_Shapes[s][sy * kSize + sx]) << 24;
      }
  }
  g_Texture = TextureFromImage(atlas);
  g_Refused = g_Texture < 0;
  g_TextureGeneration = Texture_TableGeneration();
  return g_Texture;
}
