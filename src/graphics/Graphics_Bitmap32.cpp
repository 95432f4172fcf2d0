#include "graphics/Graphics_Bitmap32.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "data/DataNew_Class.h"

// The decoders of the less common picture formats.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#define STBI_MAX_DIMENSIONS BITMAP_MAX_SIDE
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Weverything"
#include <stb/stb_image.h>
#pragma clang diagnostic pop

namespace {

constexpr int64_t kMaxPixels = int64_t{1} << 25;

uint32_t Le16(std::span<const uint8_t> b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Le32(std::span<const uint8_t> b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A colour channel described by a bit mask, scaled to 8 bits.
struct RChannel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit RChannel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m >> shift);
    if (bits > 8) {
      shift += bits - 8;
      bits = 8;
    }
  }
  uint32_t Read(uint32_t v) const {
    if (mask == 0) return 0;
    uint32_t x = ((v & mask) >> shift) & ((1u << bits) - 1);
    return bits == 8 ? x : (x * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
  }
};

struct RBmpHeader {
  int32_t width = 0, height = 0;
  bool top_down = false;
  uint32_t bits = 0, compression = 0, colours_used = 0;
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;
  size_t palette_at = 0, palette_entry = 4, data_at = 0;
};

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

bool ReadHeader(std::span<const uint8_t> b, RBmpHeader& h) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return false;
  h.data_at = Le32(b, 10);
  const uint32_t info = Le32(b, 14);
  if (info == 12) {
    h.width = static_cast<int32_t>(Le16(b, 18));
    h.height = static_cast<int32_t>(Le16(b, 20));
    h.bits = Le16(b, 24);
    h.palette_entry = 3;
  } else {
    if (info < 40 || b.size() < 14 + size_t{info}) return false;
    h.width = static_cast<int32_t>(Le32(b, 18));
    h.height = static_cast<int32_t>(Le32(b, 22));
    h.bits = Le16(b, 28);
    h.compression = Le32(b, 30);
    h.colours_used = Le32(b, 46);
    // Masks follow a 40-byte header and sit inside the larger ones, at the same offset.
    if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
      const bool with_alpha = h.compression == BI_ALPHABITFIELDS || info >= 56;
      if (b.size() < size_t{54} + (with_alpha ? 16 : 12)) return false;
      h.red = Le32(b, 54);
      h.green = Le32(b, 58);
      h.blue = Le32(b, 62);
      if (with_alpha) h.alpha = Le32(b, 66);
    } else if (info >= 56) {
      h.alpha = Le32(b, 66);
    }
  }
  h.palette_at = 14 + (info == 12 ? 12 : info);
  if (info == 40 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS))
    h.palette_at += h.compression == BI_ALPHABITFIELDS ? 16 : 12;
  if (h.height < 0) {
    if (h.height == INT32_MIN) return false;
    h.height = -h.height;
    h.top_down = true;
  }
  if (h.width < 1 || h.height < 1 || h.width > BITMAP_MAX_SIDE || h.height > BITMAP_MAX_SIDE) return false;
  if (int64_t{h.width} * h.height > kMaxPixels) return false;
  switch (h.compression) {
    case BI_RGB: return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
    case BI_RLE8: return h.bits == 8 && !h.top_down;
    case BI_RLE4: return h.bits == 4 && !h.top_down;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: return h.bits == 16 || h.bits == 32;
    default: return false;
  }
}

bool ReadPalette(std::span<const uint8_t> b, const RBmpHeader& h, std::vector<uint32_t>& palette) {
  if (h.bits > 8) return true;
  const uint32_t max = 1u << h.bits;
  uint32_t count = h.colours_used == 0 || h.colours_used > max ? max : h.colours_used;
  // Writers often store fewer entries than the depth allows; the room up to
  // the pixel data says how many there are. Missing entries are black.
  if (h.data_at >= h.palette_at) count = std::min<uint32_t>(count, (h.data_at - h.palette_at) / h.palette_entry);
  palette.assign(max, 0xFF000000u);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = h.palette_at + i * h.palette_entry;
    if (at + 3 > b.size()) return false;
    palette[i] = 0xFF000000u | (b[at + 2] << 16) | (b[at + 1] << 8) | b[at];
  }
  return true;
}

bool DecodePlain(std::span<const uint8_t> b, const RBmpHeader& h, const std::vector<uint32_t>& palette,
                 std::vector<uint32_t>& out) {
  const size_t stride = ((static_cast<size_t>(h.width) * h.bits + 31) / 32) * 4;
  if (h.data_at > b.size() || (b.size() - h.data_at) / stride < static_cast<size_t>(h.height)) return false;
  uint32_t red = h.red, green = h.green, blue = h.blue, alpha = h.alpha;
  if (h.compression == BI_RGB) {
    if (h.bits == 16) red = 0x7C00, green = 0x03E0, blue = 0x001F, alpha = 0;
    if (h.bits == 24) red = 0xFF0000, green = 0xFF00, blue = 0xFF, alpha = 0;
    if (h.bits == 32) red = 0xFF0000, green = 0xFF00, blue = 0xFF;  // alpha only with a header mask
  }
  const RChannel cr(red), cg(green), cb(blue), ca(alpha);
  for (int32_t row = 0; row < h.height; ++row) {
    const uint8_t* src = b.data() + h.data_at + stride * row;
    const int32_t y = h.top_down ? row : h.height - 1 - row;
    uint32_t* dst = out.data() + static_cast<size_t>(y) * h.width;
    for (int32_t x = 0; x < h.width; ++x) {
      switch (h.bits) {
        case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
        case 8: dst[x] = palette[src[x]]; break;
        default: {
          uint32_t v = 0;
          if (h.bits == 16) v = src[2 * x] | (src[2 * x + 1] << 8);
          if (h.bits == 24) v = src[3 * x] | (src[3 * x + 1] << 8) | (src[3 * x + 2] << 16);
          if (h.bits == 32) v = Le32(std::span<const uint8_t>(src + 4 * x, 4), 0);
          const uint32_t a = alpha != 0 ? ca.Read(v) : 255;
          dst[x] = (a << 24) | (cr.Read(v) << 16) | (cg.Read(v) << 8) | cb.Read(v);
        }
      }
    }
  }
  return true;
}

// Run-length encoded 8- and 4-bit images, bottom-up; pixels the data never
// reaches keep palette colour 0.
bool DecodeRLE(std::span<const uint8_t> b, const RBmpHeader& h, const std::vector<uint32_t>& palette,
               std::vector<uint32_t>& out) {
  std::fill(out.begin(), out.end(), palette[0]);
  const bool four = h.bits == 4;
  size_t at = h.data_at;
  int32_t x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint32_t index) {
    if (x < h.width && y < h.height) out[static_cast<size_t>(h.height - 1 - y) * h.width + x] = palette[index];
    ++x;
  };
  while (at + 1 < b.size()) {
    const uint8_t count = b[at], value = b[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 1 >= b.size()) return false;
      x += b[at];
      y += b[at + 1];
      at += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (at + bytes > b.size()) return false;
      for (int i = 0; i < value; ++i) {
        const uint8_t byte = b[at + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? byte & 15 : byte >> 4) : byte);
      }
      at += (bytes + 1) & ~size_t{1};
    }
    if (y >= h.height) return true;
  }
  return true;  // a missing end marker ends the image where the data ends
}

}  // namespace

CBitmap32::CBitmap32(int32_t w, int32_t h, uint32_t fill)
    : exists(true), width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

bool Bitmap_DecodeBMP(std::span<const uint8_t> bytes, CBitmap32& image) {
  RBmpHeader h;
  std::vector<uint32_t> palette;
  if (!ReadHeader(bytes, h) || !ReadPalette(bytes, h, palette)) return false;
  if (h.data_at > bytes.size()) return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(h.width) * h.height);
  const bool ok = h.compression == BI_RLE8 || h.compression == BI_RLE4 ? DecodeRLE(bytes, h, palette, pixels)
                                                                        : DecodePlain(bytes, h, palette, pixels);
  if (!ok) return false;
  image.exists = true;
  image.width = h.width;
  image.height = h.height;
  image.pixels = std::move(pixels);
  return true;
}

std::vector<uint8_t> Bitmap_EncodeBMP(const CBitmap32& image, int32_t bits) {
  const uint32_t row = bits == 24 ? (static_cast<uint32_t>(image.width) * 3 + 3) / 4 * 4 : image.width * 4u;
  const uint32_t data = row * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> out;
  out.reserve(54 + data);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + data);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(image.width));
  Put32(out, static_cast<uint32_t>(image.height));
  Put16(out, 1);
  Put16(out, bits == 24 ? 24 : 32);
  Put32(out, BI_RGB);
  Put32(out, data);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int32_t y = image.height - 1; y >= 0; --y) {
    if (bits != 24) {
      for (int32_t x = 0; x < image.width; ++x) Put32(out, image.Pixel(x, y));
      continue;
    }
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t p = image.Pixel(x, y);
      out.insert(out.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16)});
    }
    out.resize(out.size() + (row - static_cast<uint32_t>(image.width) * 3), 0);
  }
  return out;
}

bool Bitmap_LoadBMPFile(const std::string& path, CBitmap32& image) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Bitmap_DecodeBMP(bytes, image);
}

bool Bitmap_SaveBMPFile(const std::string& path, const CBitmap32& image, int32_t bits) {
  const std::vector<uint8_t> bytes = Bitmap_EncodeBMP(image, bits);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool Bitmap_LoadPNG(const std::string& path, CBitmap32& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A = 0xAARRGGBB little-endian
  if (png.width > BITMAP_MAX_SIDE || png.height > BITMAP_MAX_SIDE) {
    png_image_free(&png);
    return false;
  }
  CBitmap32 result(static_cast<int32_t>(png.width), static_cast<int32_t>(png.height));
  if (!png_image_finish_read(&png, nullptr, result.pixels.data(), 0, nullptr)) return false;
  image = std::move(result);
  return true;
}

bool Bitmap_SavePNG(const std::string& path, const CBitmap32& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_BGRA;
  return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

// ---- image operations ----

namespace {

constexpr uint32_t kAlpha = 0xFF000000u, kColour = 0x00FFFFFFu;

// A game colour 0xBBGGRR as an opaque pixel.
uint32_t OpaquePixel(int32_t colour) {
  const uint32_t c = static_cast<uint32_t>(colour);
  return kAlpha | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// round((1 - f) * a + f * b) per channel of two game colours, as an opaque pixel.
uint32_t MergePixel(int32_t a, int32_t b, double f) {
  int32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double v = (1 - f) * ((a >> shift) & 0xFF) + f * ((b >> shift) & 0xFF);
    out |= static_cast<int32_t>(std::lround(v)) << shift;
  }
  return OpaquePixel(out);
}

// Whether pixel (x, y) lies in the filled ellipse inscribed in the canvas
// inset by g pixels on every side.
bool InEllipse(int32_t x, int32_t y, int32_t w, int32_t h, int32_t g) {
  const double rx = (w - 2.0 * g) / 2, ry = (h - 2.0 * g) / 2;
  if (rx <= 0 || ry <= 0) return false;
  const double dx = (x + 0.5 - w / 2.0) / rx, dy = (y + 0.5 - h / 2.0) / ry;
  return dx * dx + dy * dy <= 1;
}

// Fraction g / n; a single step (n 0) is colour 1.
double Fraction(int32_t g, int32_t n) { return n > 0 ? static_cast<double>(g) / n : 0; }

}  // namespace

CBitmap32 Bitmap_FromRecord(const RImageRecord& record) {
  CBitmap32 image;
  if (!record.exists || record.width <= 0 || record.height <= 0) return image;
  const size_t count = static_cast<size_t>(record.width) * static_cast<size_t>(record.height);
  if (record.pixels.size() < count * 4) return image;
  image = CBitmap32(record.width, record.height);
  const uint8_t* p = record.pixels.data();
  for (size_t i = 0; i < count; ++i, p += 4)
    image.pixels[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return image;
}

CBitmap32 Bitmap_SubImage(const CBitmap32& source, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!source.exists || x < 0 || y < 0 || w < 0 || h < 0 || w > source.width - x || h > source.height - y)
    return CBitmap32();
  CBitmap32 image(w, h);
  for (int32_t row = 0; row < h; ++row)
    std::copy_n(&source.pixels[static_cast<size_t>(y + row) * source.width + x], w,
                &image.pixels[static_cast<size_t>(row) * w]);
  return image;
}

CBitmap32 Bitmap_Solid(int32_t w, int32_t h, int32_t colour) {
  return CBitmap32(std::max(w, 1), std::max(h, 1), OpaquePixel(colour));
}

CBitmap32 Bitmap_Gradient(int32_t w, int32_t h, int32_t kind, int32_t colour1, int32_t colour2) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  CBitmap32 image(w, h, OpaquePixel(colour1));
  // Each pixel takes the colour of the last step that paints it.
  const int32_t n_box = std::min(w, h) / 2;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      double f = 0;
      switch (kind) {
        case 0: f = Fraction(x, w); break;
        case 1: f = Fraction(y, h); break;
        case 2: f = Fraction(std::min({x, y, w - 1 - x, h - 1 - y, n_box}), n_box); break;
        case 3: {
          if (!InEllipse(x, y, w, h, 0)) continue;
          int32_t lo = 0, hi = n_box;  // the nested ellipses: largest g holding the pixel
          while (lo < hi) {
            const int32_t mid = (lo + hi + 1) / 2;
            if (InEllipse(x, y, w, h, mid)) lo = mid;
            else hi = mid - 1;
          }
          f = Fraction(lo, n_box);
          break;
        }
        case 4: case 5: {
          const int32_t size = kind == 4 ? w : h, i = kind == 4 ? x : y, n = size / 2;
          const int32_t g = std::max(i <= n ? i : -1, size - i <= n ? size - i : -1);
          f = Fraction(g, n);
          break;
        }
        default: continue;
      }
      image.pixels[static_cast<size_t>(y) * w + x] = MergePixel(colour1, colour2, f);
    }
  return image;
}

CBitmap32 Bitmap_Resize(const CBitmap32& source, int32_t w, int32_t h) {
  if (!source.exists || w <= 0 || h <= 0) return CBitmap32();
  if (w == source.width && h == source.height) return source;
  CBitmap32 image(w, h);
  for (int32_t y = 0; y < h; ++y) {
    const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * source.height / h);
    for (int32_t x = 0; x < w; ++x)
      image.pixels[static_cast<size_t>(y) * w + x] =
          source.Pixel(static_cast<int32_t>(static_cast<int64_t>(x) * source.width / w), sy);
  }
  return image;
}

void Bitmap_OpaqueBox(const CBitmap32& image, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) {
  if (!image.exists) {
    left = top = right = bottom = 0;
    return;
  }
  left = image.width - 1;
  top = image.height - 1;
  right = bottom = 0;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      if (image.Pixel(x, y) & kAlpha) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
}

void Bitmap_AlphaFrom(CBitmap32& image, const CBitmap32& other) {
  if (!image.exists || !other.exists) return;
  const int32_t w = std::min(image.width, other.width), h = std::min(image.height, other.height);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t& p = image.pixels[static_cast<size_t>(y) * image.width + x];
      const uint32_t o = other.Pixel(x, y);
      const uint32_t grey = ((o >> 16 & 0xFF) + (o >> 8 & 0xFF) + (o & 0xFF)) / 3;
      p = (p & kColour) | std::min(p >> 24, grey) << 24;
    }
}

void Bitmap_Process(CBitmap32& image, bool keep_alpha, bool smooth, bool transparent) {
  if (!image.exists || image.pixels.empty()) return;
  if (!keep_alpha)
    for (uint32_t& p : image.pixels) p |= kAlpha;
  if (!transparent) return;
  const int32_t w = image.width, h = image.height;
  auto at = [&](int32_t x, int32_t y) -> uint32_t& { return image.pixels[static_cast<size_t>(y) * w + x]; };
  const uint32_t key = at(0, h - 1) & kColour;
  for (uint32_t& p : image.pixels)
    if ((p & kColour) == key) p &= kColour;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t& p = at(x, y);
      if (p & kAlpha) continue;
      const uint32_t* from = x > 0 && (at(x - 1, y) & kAlpha)       ? &at(x - 1, y)
                             : x + 1 < w && (at(x + 1, y) & kAlpha) ? &at(x + 1, y)
                             : y > 0 && (at(x, y - 1) & kAlpha)     ? &at(x, y - 1)
                             : y + 1 < h && (at(x, y + 1) & kAlpha) ? &at(x, y + 1)
                                                                    : nullptr;
      if (from) p = *from & kColour;
    }
  if (!smooth) return;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      if (at(x, y) & kAlpha) continue;
      for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, h - 1); ++ny)
        for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, w - 1); ++nx)
          if (at(nx, ny) > 0x1FFFFFFFu) at(nx, ny) -= 0x20000000u;
    }
}

void Bitmap_Flatten(CBitmap32& image, uint32_t canvas) {
  for (uint32_t& p : image.pixels) {
    const uint32_t a = p >> 24;
    uint32_t out = kAlpha;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t s = p >> shift & 0xFF, c = canvas >> shift & 0xFF;
      out |= ((s * a + c * (255 - a) + 127) / 255) << shift;
    }
    p = out;
  }
}

CBitmap32 Bitmap_FromPicture(const CBitmap32& picture, bool alpha, bool smooth, bool transparent) {
  CBitmap32 image = picture.exists && !picture.pixels.empty() ? picture : CBitmap32(1, 1, 0);
  if (alpha) return image;
  Bitmap_Flatten(image, transparent ? BITMAP_CANVAS : 0);
  Bitmap_Process(image, false, smooth, transparent);
  return image;
}

// ---- picture files ----

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() && bytes.size() <= size_t{INT32_MAX};
}

// stb's RGBA bytes as 0xAARRGGBB pixels.
void FromRGBA(const uint8_t* rgba, int32_t w, int32_t h, CBitmap32& image) {
  image = CBitmap32(w, h);
  for (size_t i = 0; i < image.pixels.size(); ++i, rgba += 4)
    image.pixels[i] = uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
}

}  // namespace

bool Bitmap_LoadPicture(const std::string& path, CBitmap32& image) {
  std::vector<uint8_t> bytes;
  if (!ReadFile(path, bytes)) return false;
  if (Bitmap_DecodeBMP(bytes, image)) return true;
  int w = 0, h = 0, channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4);
  if (!rgba) return false;
  const bool ok = w > 0 && h > 0 && int64_t{w} * h <= kMaxPixels;
  if (ok) FromRGBA(rgba, w, h, image);
  stbi_image_free(rgba);
  return ok;
}

// ---- animated GIF ----

namespace {

// Reads the bytes of a GIF file with bounds checks; a read past the end
// marks the reader failed and gives zeros.
class CGifReader {
 public:
  explicit CGifReader(std::span<const uint8_t> bytes) : m_Bytes(bytes) {}
  bool Failed() const { return m_Failed; }
  uint8_t Byte() {
    if (m_At >= m_Bytes.size()) {
      m_Failed = true;
      return 0;
    }
    return m_Bytes[m_At++];
  }
  int32_t Word() {
    const int32_t low = Byte();
    return low | Byte() << 8;
  }
  void Skip(size_t n) {
    if (n > m_Bytes.size() - std::min(m_At, m_Bytes.size())) m_Failed = true;
    m_At = std::min(m_At + n, m_Bytes.size());
  }
  // The data of a chain of sub-blocks (appended to `out` unless null).
  void SubBlocks(std::vector<uint8_t>* out) {
    while (uint8_t n = Byte()) {
      if (out && !m_Failed && n <= m_Bytes.size() - m_At) out->insert(out->end(), &m_Bytes[m_At], &m_Bytes[m_At] + n);
      Skip(n);
    }
  }
  void Palette(int32_t count, std::vector<uint32_t>& out) {
    out.resize(static_cast<size_t>(count));
    for (uint32_t& c : out) {
      const uint32_t r = Byte(), g = Byte(), b = Byte();
      c = kAlpha | r << 16 | g << 8 | b;
    }
  }

 private:
  std::span<const uint8_t> m_Bytes;
  size_t m_At = 0;
  bool m_Failed = false;
};

// Decodes the LZW stream of one frame into `indices` (pixels not reached
// stay -1). False for a corrupt code.
bool GifDecodeLZW(const std::vector<uint8_t>& data, int32_t min_size, std::vector<int16_t>& indices) {
  if (min_size < 1 || min_size > 8) return false;
  constexpr int32_t kMaxCodes = 4096;
  static thread_local uint16_t prefix[kMaxCodes];
  static thread_local uint8_t suffix[kMaxCodes];
  static thread_local uint8_t stack[kMaxCodes + 1];
  const int32_t clear = 1 << min_size, end = clear + 1;
  for (int32_t i = 0; i < clear; ++i) suffix[i] = static_cast<uint8_t>(i);
  int32_t width = min_size + 1, next = clear + 2, prev = -1;
  uint8_t first = 0;
  size_t out = 0, bit = 0;
  const size_t bits = data.size() * 8;
  while (out < indices.size() && bit + static_cast<size_t>(width) <= bits) {
    int32_t code = 0;
    for (int32_t k = 0; k < width; ++k, ++bit) code |= (data[bit / 8] >> (bit % 8) & 1) << k;
    if (code == clear) {
      width = min_size + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code == end) break;
    if (prev < 0) {
      if (code >= clear) return false;
      first = static_cast<uint8_t>(code);
      indices[out++] = first;
      prev = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) return false;
    const int32_t in = code;
    int32_t depth = 0;
    if (code == next) {  // the code being defined: the previous string and its first byte
      stack[depth++] = first;
      code = prev;
    }
    while (code > end) {
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    first = suffix[code];
    stack[depth++] = first;
    while (depth > 0 && out < indices.size()) indices[out++] = stack[--depth];
    if (next < kMaxCodes) {
      prefix[next] = static_cast<uint16_t>(prev);
      suffix[next] = first;
      if (++next == 1 << width && width < 12) ++width;
    }
    prev = in;
  }
  return true;
}

// The row of the image that decoded row r fills.
int32_t GifRow(int32_t r, int32_t h, bool interlaced) {
  if (!interlaced) return r;
  static constexpr int32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int32_t rows = h > kStart[pass] ? (h - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (r < rows) return kStart[pass] + r * kStep[pass];
    r -= rows;
  }
  return 0;
}

}  // namespace

bool Bitmap_LoadGifFrames(const std::string& path, std::vector<CBitmap32>& frames) {
  std::vector<uint8_t> bytes;
  return ReadFile(path, bytes) && Bitmap_DecodeGif(bytes, frames);
}

bool Bitmap_DecodeGif(std::span<const uint8_t> bytes, std::vector<CBitmap32>& frames) {
  CGifReader in(bytes);
  uint8_t magic[6];
  for (uint8_t& m : magic) m = in.Byte();
  if (std::memcmp(magic, "GIF87a", 6) != 0 && std::memcmp(magic, "GIF89a", 6) != 0) return false;
  const int32_t W = in.Word(), H = in.Word();
  const uint8_t flags = in.Byte();
  in.Skip(2);
  if (in.Failed() || W <= 0 || H <= 0 || int64_t{W} * H > kMaxPixels) return false;
  std::vector<uint32_t> global, local;
  if (flags & 0x80) in.Palette(2 << (flags & 7), global);

  std::vector<CBitmap32> result;
  CBitmap32 canvas(W, H, kAlpha | BITMAP_CANVAS);
  std::vector<uint8_t> data;
  std::vector<int16_t> indices;
  int32_t disposal = 0, transparent = -1;
  while (!in.Failed()) {
    const uint8_t kind = in.Byte();
    if (kind == 0x3B || in.Failed()) break;
    if (kind == 0x21) {
      const uint8_t label = in.Byte();
      if (label == 0xF9) {
        data.clear();
        in.SubBlocks(&data);
        if (data.size() >= 4) {
          disposal = data[0] >> 2 & 7;
          transparent = data[0] & 1 ? data[3] : -1;
        }
      } else {
        in.SubBlocks(nullptr);
      }
      continue;
    }
    if (kind != 0x2C) break;  // not a GIF block: what came before stands
    const int32_t x0 = in.Word(), y0 = in.Word(), w = in.Word(), h = in.Word();
    const uint8_t image_flags = in.Byte();
    if (image_flags & 0x80) in.Palette(2 << (image_flags & 7), local);
    const std::vector<uint32_t>& palette = image_flags & 0x80 ? local : global;
    const int32_t min_size = in.Byte();
    data.clear();
    in.SubBlocks(&data);
    if (in.Failed()) break;
    if (static_cast<int64_t>(result.size() + 1) * W * H > kMaxPixels || int64_t{w} * h > kMaxPixels) return false;
    indices.assign(static_cast<size_t>(w) * static_cast<size_t>(h), -1);
    if (!GifDecodeLZW(data, min_size, indices)) return false;
    for (int32_t r = 0; r < h; ++r) {
      const int32_t y = y0 + GifRow(r, h, image_flags & 0x40);
      if (y >= H) continue;
      for (int32_t c = 0; c < w && x0 + c < W; ++c) {
        const int32_t index = indices[static_cast<size_t>(r) * w + c];
        if (index < 0 || index == transparent) continue;
        canvas.pixels[static_cast<size_t>(y) * W + x0 + c] =
            static_cast<size_t>(index) < palette.size() ? palette[static_cast<size_t>(index)] : kAlpha;
      }
    }
    result.push_back(canvas);
    if (disposal != 1) std::fill(canvas.pixels.begin(), canvas.pixels.end(), kAlpha | BITMAP_CANVAS);
    disposal = 0;
    transparent = -1;
  }
  if (result.empty()) return false;
  frames = std::move(result);
  return true;
}
