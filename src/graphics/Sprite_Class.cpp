#include "graphics/Sprite_Class.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "data/DataNew_Class.h"
#include "graphics/Graphics_D3D.h"
#include "world/Instance_Class.h"
#include "graphics/Graphics_Texture.h"

namespace {

constexpr double kRadians = std::numbers::pi / 180;

}  // namespace

CMask::CMask(int32_t w, int32_t h, const CBitmap32& image)
    : width(image.exists ? std::max(0, std::min(image.width, w)) : 0),
      height(image.exists ? std::max(0, std::min(image.height, h)) : 0),
      bits(static_cast<size_t>(width) * static_cast<size_t>(height), 0) {
  for (int32_t x = 0; x < width; ++x)
    for (int32_t y = 0; y < height; ++y) bits[static_cast<size_t>(x) * height + y] = (image.Pixel(x, y) >> 24) != 0;
}

int32_t Sprite_Frame(int32_t index, int32_t count) {
  if (count <= 0) return -1;
  const int32_t i = index % count;
  return i < 0 ? i + count : i;
}

// ---- life cycle ----

CSprite::~CSprite() { FreeTextures(); }

void CSprite::Clear() {
  FreeTextures();
  bbox_mode = SPRITE_BBOX_AUTOMATIC;
  bbox_left = bbox_top = bbox_right = bbox_bottom = 0;
  width = height = 1;
  xorigin = yorigin = 0;
  precise = transparent = preload = true;
  smooth = masks_built = false;
  images.clear();
  masks.clear();
}

void CSprite::LoadFromRecord(RSpriteRecord& record) {
  Clear();
  width = record.width;
  height = record.height;
  bbox_left = record.bboxLeft;
  bbox_right = record.bboxRight;
  bbox_bottom = record.bboxBottom;
  bbox_top = record.bboxTop;
  transparent = record.transparent;
  smooth = record.smoothEdges;
  preload = record.preload;
  bbox_mode = record.bboxMode;
  precise = record.precise;
  xorigin = record.xOrigin;
  yorigin = record.yOrigin;
  images.reserve(record.images.size());
  for (RImageRecord& image : record.images) {
    images.push_back(Bitmap_FromRecord(image));
    image.pixels = RBytes();  // the record's copy is no longer needed
  }
  BuildMasks();
}

bool CSprite::LoadFromFile(const std::string& path, const RSpriteLoad& how) {
  std::vector<CBitmap32> frames;
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".gif") {
    if (!Bitmap_LoadGifFrames(path, frames)) return false;
    for (CBitmap32& frame : frames) Bitmap_Process(frame, false, how.smooth, how.transparent);
  } else {
    CBitmap32 picture;
    if (!Bitmap_LoadPicture(path, picture)) return false;
    const int32_t count = std::max(how.frames, 1), frame_width = picture.width / count;
    if (frame_width < 1) return false;
    frames.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
      frames.push_back(Bitmap_FromPicture(Bitmap_SubImage(picture, i * frame_width, 0, frame_width, picture.height),
                                          how.alpha, how.smooth, how.transparent));
  }
  SetImages(std::move(frames), how);
  return true;
}

void CSprite::SetImages(std::vector<CBitmap32> frames, const RSpriteLoad& how) {
  Clear();
  images = std::move(frames);
  width = images.empty() ? 1 : images[0].width;
  height = images.empty() ? 1 : images[0].height;
  transparent = how.transparent;
  smooth = how.smooth;
  preload = how.preload;
  precise = how.precise;
  xorigin = how.xorigin;
  yorigin = how.yorigin;
  ImagesChanged();
}

void CSprite::Assign(const CSprite& other) {
  if (&other == this) return;
  FreeTextures();
  bbox_mode = other.bbox_mode;
  bbox_left = other.bbox_left;
  bbox_top = other.bbox_top;
  bbox_right = other.bbox_right;
  bbox_bottom = other.bbox_bottom;
  width = other.width;
  height = other.height;
  xorigin = other.xorigin;
  yorigin = other.yorigin;
  precise = other.precise;
  transparent = other.transparent;
  smooth = other.smooth;
  preload = other.preload;
  images = other.images;
  CreateTextures();
  BuildMasks();
}

// ---- textures, box and masks ----

void CSprite::CreateTextures() {
  FreeTextures();
  textures.reserve(images.size());
  for (const CBitmap32& image : images) textures.push_back(image.exists ? TextureFromImage(image) : -1);
}

void CSprite::FreeTextures() {
  for (int32_t id : textures)
    if (id >= 0) FreeTexture(id);
  textures.clear();
}

int32_t CSprite::TextureOf(int32_t image) const {
  const int32_t frame = Sprite_Frame(image, static_cast<int32_t>(textures.size()));
  return frame < 0 ? -1 : textures[static_cast<size_t>(frame)];
}

void CSprite::ComputeBoundingBox() {
  if (bbox_mode == SPRITE_BBOX_MANUAL) return;
  if (bbox_mode == SPRITE_BBOX_FULL || !transparent) {
    bbox_left = bbox_top = 0;
    bbox_right = width - 1;
    bbox_bottom = height - 1;
    return;
  }
  if (images.empty()) {
    bbox_left = bbox_top = bbox_right = bbox_bottom = 0;
    return;
  }
  bbox_left = width - 1;
  bbox_top = height - 1;
  bbox_right = bbox_bottom = 0;
  for (const CBitmap32& image : images) {
    int32_t l, t, r, b;
    Bitmap_OpaqueBox(image, l, t, r, b);
    bbox_left = std::min(bbox_left, l);
    bbox_top = std::min(bbox_top, t);
    bbox_right = std::max(bbox_right, r);
    bbox_bottom = std::max(bbox_bottom, b);
  }
}

void CSprite::BuildMasks() {
  masks.clear();
  if (precise && transparent && !images.empty()) {
    masks.reserve(images.size());
    for (const CBitmap32& image : images) masks.emplace_back(width, height, image);
  }
  masks_built = true;
}

void CSprite::SetBBoxMode(int32_t mode) {
  if (mode < SPRITE_BBOX_AUTOMATIC || mode > SPRITE_BBOX_MANUAL || mode == bbox_mode) return;
  bbox_mode = mode;
  ComputeBoundingBox();
}

void CSprite::SetPrecise(bool on) {
  if (on == precise) return;
  precise = on;
  BuildMasks();
}

void CSprite::ImagesChanged() {
  CreateTextures();
  ComputeBoundingBox();
  BuildMasks();
}

// ---- image changes ----

void CSprite::AddFrame(const CBitmap32& image) {
  if (images.empty()) {
    width = image.width;
    height = image.height;
  }
  images.push_back(Bitmap_Resize(image, width, height));
  ImagesChanged();
}

void CSprite::Merge(const CSprite& other) {
  if (images.empty()) {
    width = other.width;
    height = other.height;
  }
  const size_t count = other.images.size();  // `other` may be this sprite
  images.reserve(images.size() + count);
  for (size_t i = 0; i < count; ++i) images.push_back(Bitmap_Resize(other.images[i], width, height));
  ImagesChanged();
}

void CSprite::AlphaFrom(const CSprite& other) {
  if (other.images.empty()) return;
  for (size_t i = 0; i < images.size(); ++i) Bitmap_AlphaFrom(images[i], other.images[i % other.images.size()]);
  CreateTextures();
}

void CSprite::ImageOpaqueBox(int32_t index, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const {
  if (index < 0 || index >= ImageCount()) {
    left = top = right = bottom = 0;
    return;
  }
  Bitmap_OpaqueBox(images[static_cast<size_t>(index)], left, top, right, bottom);
}

// ---- drawing ----

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


RImageRef CSprite::Frame(int32_t image) const { return {TextureOf(image), width, height, xorigin, yorigin}; }

void CSprite::Draw(int32_t image, double x, double y) const { Image_Draw(Frame(image), x, y); }

void CSprite::DrawExt(int32_t image, double x, double y, double xscale, double yscale, double angle, int32_t colour,
                      double alpha) const {
  Image_DrawExt(Frame(image), x, y, xscale, yscale, angle, colour, alpha);
}

void CSprite::DrawStretched(int32_t image, double x, double y, double w, double h, int32_t colour,
                            double alpha) const {
  Image_DrawStretched(Frame(image), x, y, w, h, colour, alpha);
}

void CSprite::DrawPart(int32_t image, double left, double top, double w, double h, double x, double y, double xscale,
                       double yscale, int32_t colour, double alpha) const {
  Image_DrawPart(Frame(image), left, top, w, h, x, y, xscale, yscale, colour, alpha);
}

void CSprite::DrawGeneral(int32_t image, double left, double top, double w, double h, double x, double y,
                          double xscale, double yscale, double angle, int32_t c1, int32_t c2, int32_t c3, int32_t c4,
                          double alpha) const {
  Image_DrawGeneral(Frame(image), left, top, w, h, x, y, xscale, yscale, angle, c1, c2, c3, c4, alpha);
}

void CSprite::DrawTiled(int32_t image, bool tile_h, bool tile_v, double alpha, int32_t colour, double area_left,
                        double area_top, double area_width, double area_height, double xscale, double yscale,
                        double x, double y) const {
  Image_DrawTiled(Frame(image), tile_h, tile_v, alpha, colour, area_left, area_top, area_width, area_height, xscale,
                  yscale, x, y);
}

int32_t Sprite_ImageIndex(double image_index) {
  const double f = std::floor(image_index);
  if (!(f == f)) return 0;
  return static_cast<int32_t>(std::clamp(f, double(INT32_MIN), double(INT32_MAX)));
}

void Sprite_DrawInstance(CImageBatch& batch, const CSprite& sprite, const RInstanceState& inst) {
  // An index within the images selects its image directly.
  const double index = inst.image_index;
  const int32_t texture = index >= 0 && index < static_cast<double>(sprite.textures.size())
                              ? sprite.textures[static_cast<size_t>(index)]
                              : sprite.TextureOf(Sprite_ImageIndex(index));
  if (inst.image_xscale == 1 && inst.image_yscale == 1 && inst.image_angle == 0 && inst.image_blend == 0xFFFFFF &&
      inst.image_alpha == 1)
    batch.Draw(texture, inst.x - sprite.xorigin, inst.y - sprite.yorigin);
  else
    batch.DrawExt(texture, inst.x, inst.y, sprite.xorigin, sprite.yorigin, inst.image_xscale, inst.image_yscale,
                  inst.image_angle * kRadians, inst.image_blend, inst.image_alpha);
}

// ---- precise collision tests ----

namespace {

// How the room pixels of one placement land in its sprite's selected image.
class CPixelMap {
 public:
  CPixelMap(const CSprite& s, const RSpritePlacement& p)
      : m_X(p.x), m_Y(p.y), m_XScale(p.xscale), m_YScale(p.yscale), m_XOrigin(s.xorigin), m_YOrigin(s.yorigin),
        m_Width(s.width), m_Height(s.height) {
    const double theta = -p.angle * kRadians;
    m_Cos = std::cos(theta);
    m_Sin = std::sin(theta);
    const int32_t frame = Sprite_Frame(p.image, s.ImageCount());
    if (frame >= 0 && !s.masks.empty()) m_Mask = &s.masks[static_cast<size_t>(frame)];
  }

  bool HasMask() const { return m_Mask != nullptr; }

  // Whether room point (X, Y) maps onto a solid pixel of the image.
  bool Solid(double X, double Y) const {
    const double dx = X - m_X, dy = Y - m_Y;
    const double u = std::floor((dx * m_Cos + dy * m_Sin) / m_XScale + m_XOrigin);
    const double v = std::floor((dy * m_Cos - dx * m_Sin) / m_YScale + m_YOrigin);
    // Written so that NaN (a zero scale) lands outside.
    if (!(u >= 0 && u < m_Width && v >= 0 && v < m_Height)) return false;
    return !m_Mask || m_Mask->Solid(static_cast<int32_t>(u), static_cast<int32_t>(v));  // clear beyond the mask
  }

 private:
  double m_X, m_Y, m_XScale, m_YScale, m_XOrigin, m_YOrigin, m_Cos = 1, m_Sin = 0;
  int32_t m_Width, m_Height;
  const CMask* m_Mask = nullptr;
};

struct RBox {
  int64_t left, top, right, bottom;
  bool Empty() const { return left > right || top > bottom; }
};

RBox Intersect(const RBox& a, const RBox& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

RBox BoxOf(const RSpritePlacement& p) { return {p.left, p.top, p.right, p.bottom}; }

RBox Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// Whether a pixel of the box accepted by `keep` is solid, columns left to
// right, each top to bottom.
template <typename Keep>
bool AnySolid(const CPixelMap& map, const RBox& box, Keep keep) {
  for (int64_t X = box.left; X <= box.right; ++X)
    for (int64_t Y = box.top; Y <= box.bottom; ++Y)
      if (keep(X, Y) && map.Solid(static_cast<double>(X), static_cast<double>(Y))) return true;
  return false;
}

}  // namespace

bool Sprite_PreciseOverlap(const CSprite& a, const RSpritePlacement& pa, const CSprite& b,
                           const RSpritePlacement& pb) {
  if (a.images.empty() || b.images.empty()) return false;
  const CPixelMap ma(a, pa), mb(b, pb);
  const RBox box = Intersect(BoxOf(pa), BoxOf(pb));
  for (int64_t X = box.left; X <= box.right; ++X)
    for (int64_t Y = box.top; Y <= box.bottom; ++Y) {
      const double x = static_cast<double>(X), y = static_cast<double>(Y);
      if (ma.Solid(x, y) && mb.Solid(x, y)) return true;
    }
  return false;
}

bool Sprite_PrecisePoint(const CSprite& s, const RSpritePlacement& p, int32_t px, int32_t py) {
  const CPixelMap map(s, p);
  return !map.HasMask() || map.Solid(px, py);
}

bool Sprite_PreciseRectangle(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2) {
  const CPixelMap map(s, p);
  if (!map.HasMask()) return true;
  return AnySolid(map, Intersect(BoxOf(p), Rectangle(x1, y1, x2, y2)), [](int64_t, int64_t) { return true; });
}

bool Sprite_PreciseEllipse(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2,
                           int32_t y2) {
  const CPixelMap map(s, p);
  if (!map.HasMask()) return true;
  const RBox r = Rectangle(x1, y1, x2, y2);
  const double cx = (static_cast<double>(r.left) + r.right) / 2, cy = (static_cast<double>(r.top) + r.bottom) / 2;
  const double rx = (static_cast<double>(r.right) - r.left) / 2, ry = (static_cast<double>(r.bottom) - r.top) / 2;
  return AnySolid(map, Intersect(BoxOf(p), r), [&](int64_t X, int64_t Y) {
    const double ex = (X - cx) / rx, ey = (Y - cy) / ry;
    return ex * ex + ey * ey <= 1;
  });
}

bool Sprite_PreciseLine(const CSprite& s, const RSpritePlacement& p, int32_t x1, int32_t y1, int32_t x2,
                        int32_t y2) {
  const CPixelMap map(s, p);
  if (!map.HasMask()) return true;
  if (x1 == x2 || y1 == y2) return Sprite_PreciseRectangle(s, p, x1, y1, x2, y2);
  // Step along the longer axis; the other coordinate follows the line.
  const bool along_x = std::abs(static_cast<int64_t>(x2) - x1) >= std::abs(static_cast<int64_t>(y2) - y1);
  const int64_t a1 = along_x ? x1 : y1, a2 = along_x ? x2 : y2, b1 = along_x ? y1 : x1, b2 = along_x ? y2 : x2;
  const int64_t lo = std::max(std::min(a1, a2), int64_t{along_x ? p.left : p.top});
  const int64_t hi = std::min(std::max(a1, a2), int64_t{along_x ? p.right : p.bottom});
  const double b_lo = along_x ? p.top : p.left, b_hi = (along_x ? p.bottom : p.right) + 1.0;
  const double slope = static_cast<double>(b2 - b1) / static_cast<double>(a2 - a1);
  for (int64_t a = lo; a <= hi; ++a) {
    const double b = static_cast<double>(b1) + static_cast<double>(a - a1) * slope;
    if (b < b_lo || b >= b_hi) continue;
    if (along_x ? map.Solid(static_cast<double>(a), b) : map.Solid(b, static_cast<double>(a))) return true;
  }
  return false;
}
