// Sprites without a drawing device: records taken over, frame selection,
// bounding boxes, masks, the precise collision tests and the sprite table.
#include <gtest/gtest.h>

#include <climits>

#include "data/Resource_Names.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "world/Instance_Class.h"

namespace {

constexpr uint32_t kOpaque = 0xFF102030u, kClear = 0x00102030u;

// An image record of w x h pixels, opaque where `solid` says so.
RImageRecord ImageRecord(int32_t w, int32_t h, const std::vector<std::pair<int32_t, int32_t>>& solid) {
  RImageRecord r;
  r.exists = true;
  r.width = w;
  r.height = h;
  r.pixels.assign(static_cast<size_t>(w) * h * 4, 0);
  for (auto [x, y] : solid) {
    uint8_t* p = &r.pixels[(static_cast<size_t>(y) * w + x) * 4];
    p[0] = 0x30, p[1] = 0x20, p[2] = 0x10, p[3] = 0xFF;  // blue, green, red, alpha
  }
  return r;
}

RSpriteRecord SpriteRecord(int32_t w, int32_t h, std::vector<RImageRecord> images) {
  RSpriteRecord r;
  r.name = "spr";
  r.width = w;
  r.height = h;
  r.images = std::move(images);
  return r;
}

// A precise, transparent sprite of w x h with the given solid pixels in one image.
void MakeSprite(CSprite& s, int32_t w, int32_t h, const std::vector<std::pair<int32_t, int32_t>>& solid,
                int32_t xo = 0, int32_t yo = 0) {
  RSpriteRecord r = SpriteRecord(w, h, {ImageRecord(w, h, solid)});
  r.xOrigin = xo;
  r.yOrigin = yo;
  s.LoadFromRecord(r);
  s.ComputeBoundingBox();
}

RSpritePlacement At(int32_t x, int32_t y, int32_t l, int32_t t, int32_t r, int32_t b, double xs = 1, double ys = 1,
                    double angle = 0) {
  RSpritePlacement p;
  p.x = x, p.y = y, p.left = l, p.top = t, p.right = r, p.bottom = b, p.xscale = xs, p.yscale = ys, p.angle = angle;
  return p;
}

}  // namespace

TEST(SpriteFrame, SelectsImageModuloCount) {
  EXPECT_EQ(Sprite_Frame(-1, 4), 3);
  EXPECT_EQ(Sprite_Frame(9, 4), 1);
  EXPECT_EQ(Sprite_Frame(-8, 4), 0);
  EXPECT_EQ(Sprite_Frame(INT_MIN, 3), 1);  // -2147483648 rem 3 = -2
  EXPECT_EQ(Sprite_Frame(5, 0), -1);
  CSprite empty;
  EXPECT_EQ(empty.TextureOf(0), -1);
}

TEST(SpriteRecord, TakesStoredFieldsAndBuildsMasks) {
  RSpriteRecord r = SpriteRecord(4, 3, {ImageRecord(4, 3, {{1, 0}, {2, 2}}), ImageRecord(4, 3, {{3, 1}})});
  r.bboxLeft = 7, r.bboxRight = 8, r.bboxBottom = 9, r.bboxTop = 6;  // taken as stored
  r.xOrigin = 2, r.yOrigin = 1;
  r.bboxMode = 1;
  CSprite s;
  s.LoadFromRecord(r);
  EXPECT_EQ(s.ImageCount(), 2);
  EXPECT_TRUE(r.images[0].pixels.empty());  // moved out of the record
  EXPECT_EQ(s.images[0].Pixel(1, 0), kOpaque);
  EXPECT_EQ(s.images[0].Pixel(0, 0), 0u);
  EXPECT_EQ(s.bbox_left, 7);
  EXPECT_EQ(s.bbox_top, 6);
  EXPECT_EQ(s.bbox_right, 8);
  EXPECT_EQ(s.bbox_bottom, 9);
  EXPECT_EQ(s.xorigin, 2);
  ASSERT_TRUE(s.masks_built);
  ASSERT_EQ(s.masks.size(), 2u);
  EXPECT_TRUE(s.masks[0].Solid(1, 0));
  EXPECT_TRUE(s.masks[0].Solid(2, 2));
  EXPECT_FALSE(s.masks[0].Solid(3, 1));
  EXPECT_TRUE(s.masks[1].Solid(3, 1));

  // Masks follow the precise and transparent flags.
  s.SetPrecise(false);
  EXPECT_TRUE(s.masks.empty());
  s.SetPrecise(true);
  EXPECT_EQ(s.masks.size(), 2u);
  s.transparent = false;
  s.BuildMasks();
  EXPECT_TRUE(s.masks.empty());

  // A missing image gives an all-clear mask; a smaller one is read within itself.
  RSpriteRecord odd = SpriteRecord(3, 3, {RImageRecord{}, ImageRecord(2, 1, {{1, 0}})});
  CSprite t;
  t.LoadFromRecord(odd);
  ASSERT_EQ(t.masks.size(), 2u);
  for (int32_t x = 0; x < 3; ++x)
    for (int32_t y = 0; y < 3; ++y) EXPECT_FALSE(t.masks[0].Solid(x, y));
  EXPECT_TRUE(t.masks[1].Solid(1, 0));
  EXPECT_FALSE(t.masks[1].Solid(1, 1));
}

TEST(SpriteBoundingBox, ModesAndTransparency) {
  struct Case {
    const char* what;
    int32_t mode;
    bool transparent;
    std::vector<std::vector<std::pair<int32_t, int32_t>>> images;
    int32_t l, t, r, b;
  };
  const Case cases[] = {
      {"automatic: union of opaque boxes", 0, true, {{{2, 1}, {3, 2}}, {{1, 4}}}, 1, 1, 3, 4},
      {"automatic, fully transparent image", 0, true, {{}}, 5, 5, 0, 0},
      {"automatic, no images", 0, true, {}, 0, 0, 0, 0},
      {"full image", 1, true, {{{2, 2}}}, 0, 0, 5, 5},
      {"not transparent", 0, false, {{{2, 2}}}, 0, 0, 5, 5},
      {"manual: unchanged", 2, true, {{{2, 2}}}, 9, 9, 9, 9},
  };
  for (const Case& c : cases) {
    std::vector<RImageRecord> images;
    for (const auto& solid : c.images) images.push_back(ImageRecord(6, 6, solid));
    RSpriteRecord r = SpriteRecord(6, 6, std::move(images));
    r.bboxLeft = r.bboxTop = r.bboxRight = r.bboxBottom = 9;
    r.bboxMode = c.mode;
    r.transparent = c.transparent;
    CSprite s;
    s.LoadFromRecord(r);
    s.ComputeBoundingBox();
    EXPECT_EQ(s.bbox_left, c.l) << c.what;
    EXPECT_EQ(s.bbox_top, c.t) << c.what;
    EXPECT_EQ(s.bbox_right, c.r) << c.what;
    EXPECT_EQ(s.bbox_bottom, c.b) << c.what;
  }
  // Setting the mode recomputes only for a valid, different mode.
  CSprite s;
  MakeSprite(s, 6, 6, {{2, 3}});
  s.SetBBoxMode(7);
  EXPECT_EQ(s.bbox_mode, 0);
  s.SetBBoxMode(1);
  EXPECT_EQ(s.bbox_right, 5);
  s.bbox_right = 1;
  s.SetBBoxMode(1);
  EXPECT_EQ(s.bbox_right, 1);
  s.SetBBoxMode(0);
  EXPECT_EQ(s.bbox_left, 2);
  EXPECT_EQ(s.bbox_bottom, 3);
  int32_t l, t, r, b;
  s.ImageOpaqueBox(3, l, t, r, b);
  EXPECT_EQ(l + t + r + b, 0);
}

TEST(SpriteImages, AddMergeAlphaAndAssign) {
  CSprite s;
  CBitmap32 big(4, 2, kOpaque);
  big.pixels[3] = kClear;
  s.AddFrame(big);  // the first frame sets the size
  EXPECT_EQ(s.width, 4);
  s.AddFrame(CBitmap32(2, 1, kOpaque));  // resized to 4 x 2
  ASSERT_EQ(s.ImageCount(), 2);
  EXPECT_EQ(s.images[1].width, 4);
  EXPECT_EQ(s.images[1].height, 2);
  EXPECT_EQ(s.bbox_right, 3);
  EXPECT_EQ(s.masks.size(), 2u);
  EXPECT_FALSE(s.masks[0].Solid(3, 0));

  s.Merge(s);  // merging with itself doubles the images
  EXPECT_EQ(s.ImageCount(), 4);

  CSprite grey;
  grey.AddFrame(CBitmap32(4, 2, 0xFF303030u));
  s.AlphaFrom(grey);
  EXPECT_EQ(s.images[3].Pixel(0, 0) >> 24, 0x30u);
  EXPECT_EQ(s.images[0].Pixel(3, 0) >> 24, 0u);  // already lower

  CSprite copy;
  copy.Assign(s);
  EXPECT_EQ(copy.ImageCount(), 4);
  EXPECT_EQ(copy.images[3].pixels, s.images[3].pixels);
  EXPECT_EQ(copy.masks.size(), 4u);
  copy.Clear();
  EXPECT_EQ(copy.ImageCount(), 0);
  EXPECT_EQ(copy.width, 1);
  EXPECT_TRUE(copy.precise);
}

TEST(SpritePrecise, PointRectangleEllipseAndLine) {
  CSprite s;
  MakeSprite(s, 10, 10, {{5, 5}, {2, 0}});
  const RSpritePlacement p = At(100, 200, 100, 200, 109, 209);
  // Point: the mask bit, false outside the image.
  EXPECT_TRUE(Sprite_PrecisePoint(s, p, 105, 205));
  EXPECT_FALSE(Sprite_PrecisePoint(s, p, 104, 205));
  EXPECT_FALSE(Sprite_PrecisePoint(s, p, 95, 195));
  // Rectangle: only the part inside the bounding box counts; corners in any order.
  EXPECT_TRUE(Sprite_PreciseRectangle(s, p, 105, 205, 120, 220));
  EXPECT_TRUE(Sprite_PreciseRectangle(s, p, 120, 220, 105, 205));
  EXPECT_FALSE(Sprite_PreciseRectangle(s, p, 106, 201, 120, 220));
  EXPECT_FALSE(Sprite_PreciseRectangle(s, At(100, 200, 100, 200, 104, 204), 105, 205, 120, 220));
  // Ellipse (100, 200)-(104, 204): centre (102, 202), radii 2; (102, 200) is on it.
  EXPECT_TRUE(Sprite_PreciseEllipse(s, p, 100, 200, 104, 204));
  // (100, 200)-(103, 203) holds (102, 200) but its ellipse does not.
  EXPECT_TRUE(Sprite_PreciseRectangle(s, p, 100, 200, 103, 203));
  EXPECT_FALSE(Sprite_PreciseEllipse(s, p, 100, 200, 103, 203));
  // Line: one point per step along the longer axis, the other coordinate not rounded.
  EXPECT_TRUE(Sprite_PreciseLine(s, p, 100, 200, 109, 209));     // through (105, 205)
  EXPECT_FALSE(Sprite_PreciseLine(s, p, 100, 201, 109, 210));    // one row below
  EXPECT_FALSE(Sprite_PreciseLine(s, p, 100, 200, 110, 211));    // x = 4.55 at y 5: no rounding up
  EXPECT_TRUE(Sprite_PreciseLine(s, p, 100, 205, 109, 205));     // horizontal: a rectangle
  EXPECT_TRUE(Sprite_PreciseLine(s, p, 105, 190, 105, 230));     // vertical
  EXPECT_FALSE(Sprite_PreciseLine(s, At(100, 200, 100, 200, 104, 204), 100, 200, 120, 220));  // box limits the walk
  EXPECT_TRUE(Sprite_PreciseLine(s, p, 90, 190, 120, 220));      // ends outside the box

  // Without masks every test succeeds.
  s.SetPrecise(false);
  EXPECT_TRUE(Sprite_PrecisePoint(s, p, 0, 0));
  EXPECT_TRUE(Sprite_PreciseRectangle(s, p, 106, 201, 120, 220));
  EXPECT_TRUE(Sprite_PreciseEllipse(s, p, 100, 200, 103, 203));
  EXPECT_TRUE(Sprite_PreciseLine(s, p, 100, 201, 109, 210));
}

TEST(SpritePrecise, OverlapWithOriginScaleAndRotation) {
  CSprite dot, a;
  MakeSprite(dot, 1, 1, {{0, 0}});
  auto dot_at = [](int32_t x, int32_t y) { return At(x, y, x, y, x, y); };

  // Solid pixel (3, 0) of a 4 x 4 image with origin (1, 1) at (10, 10): room (12, 9).
  MakeSprite(a, 4, 4, {{3, 0}}, 1, 1);
  const RSpritePlacement pa = At(10, 10, 9, 9, 12, 12);
  EXPECT_TRUE(Sprite_PreciseOverlap(a, pa, dot, dot_at(12, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, pa, dot, dot_at(11, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, pa, dot, dot_at(13, 9)));  // outside the boxes' intersection

  // Turned 30 degrees counter-clockwise on screen: offset (2, -2) maps to
  // image (3.73, 0.27), offset (2, -1) to (3.23, 1.13).
  const RSpritePlacement turned = At(10, 10, 5, 5, 15, 15, 1, 1, 30);
  EXPECT_TRUE(Sprite_PreciseOverlap(a, turned, dot, dot_at(12, 8)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, turned, dot, dot_at(12, 9)));

  // Scaled 2 x 3: image column 3 covers offsets 4..5 right of the origin
  // column's start; image row 0 covers rows -3..-1.
  const RSpritePlacement scaled = At(10, 10, 8, 7, 15, 19, 2, 3);
  EXPECT_TRUE(Sprite_PreciseOverlap(a, scaled, dot, dot_at(14, 7)));
  EXPECT_TRUE(Sprite_PreciseOverlap(a, scaled, dot, dot_at(15, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, scaled, dot, dot_at(13, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, scaled, dot, dot_at(14, 10)));
  // Mirrored: offset (2, -1) goes to (-2, -1).
  const RSpritePlacement mirrored = At(10, 10, 7, 7, 12, 12, -1, 1);
  EXPECT_TRUE(Sprite_PreciseOverlap(a, mirrored, dot, dot_at(8, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(a, mirrored, dot, dot_at(12, 9)));
  // A zero scale maps nothing.
  EXPECT_FALSE(Sprite_PreciseOverlap(a, At(10, 10, 0, 0, 20, 20, 0, 1), dot, dot_at(12, 9)));

  // Two masks: the first pixel solid for both.
  CSprite b;
  MakeSprite(b, 3, 3, {{0, 0}, {2, 2}});
  EXPECT_TRUE(Sprite_PreciseOverlap(a, pa, b, At(10, 7, 10, 7, 12, 9)));   // b's (2, 2) at (12, 9)
  EXPECT_FALSE(Sprite_PreciseOverlap(a, pa, b, At(11, 7, 11, 7, 13, 9)));  // b's (1, 2) there

  // Frame selection applies; no images never overlap; no masks counts the whole image.
  MakeSprite(b, 3, 3, {});
  EXPECT_FALSE(Sprite_PreciseOverlap(a, pa, b, At(10, 7, 10, 7, 12, 9)));
  b.SetPrecise(false);
  EXPECT_TRUE(Sprite_PreciseOverlap(a, pa, b, At(10, 7, 10, 7, 12, 9)));
  RSpritePlacement minus = pa;
  minus.image = -1;
  EXPECT_TRUE(Sprite_PreciseOverlap(a, minus, dot, dot_at(12, 9)));
  CSprite none;
  EXPECT_FALSE(Sprite_PreciseOverlap(none, pa, dot, dot_at(12, 9)));
  EXPECT_FALSE(Sprite_PreciseOverlap(dot, dot_at(12, 9), none, pa));
}

TEST(SpriteTable, InstallNamesAndEntries) {
  RSlots<RSpriteRecord> records;
  records.emplace_back(SpriteRecord(2, 2, {ImageRecord(2, 2, {{0, 0}})}));
  records.emplace_back(std::nullopt);
  records.emplace_back(SpriteRecord(32, 16, {ImageRecord(32, 16, {{4, 2}, {9, 11}})}));
  records[2]->name = "spr_player";
  records[2]->xOrigin = 16;
  records[2]->yOrigin = 8;
  records[2]->bboxLeft = 4, records[2]->bboxTop = 2, records[2]->bboxRight = 9, records[2]->bboxBottom = 11;
  Sprite_Install(records);
  EXPECT_EQ(Sprite_Count(), 3);
  EXPECT_TRUE(Sprite_Exists(0));
  EXPECT_FALSE(Sprite_Exists(1));
  EXPECT_FALSE(Sprite_Exists(-1));
  EXPECT_EQ(Sprite_Get(3), nullptr);
  EXPECT_EQ(Sprite_Name(2), "spr_player");
  EXPECT_EQ(Sprite_Name(1), "<undefined>");
  EXPECT_EQ(Sprite_Name(7), "<undefined>");
  EXPECT_EQ(Sprite_Find("spr_player"), 2);
  EXPECT_EQ(Sprite_Find(""), -1);

  // Instances take their boxes from the table.
  CInstance inst;
  inst.Reset();
  inst.SetPosition(100, 50);
  inst.SetSprite(2);
  inst.ComputeBoundingBox();
  EXPECT_EQ(inst.bbox_left, 100 - 16 + 4);
  EXPECT_EQ(inst.bbox_top, 50 - 8 + 2);
  EXPECT_EQ(inst.bbox_right, 100 - 16 + 9);
  EXPECT_EQ(inst.bbox_bottom, 50 - 8 + 11);
  EXPECT_TRUE(inst.precise);
  EXPECT_EQ(inst.ImageCount(), 1);

  // Run-time entries: new, duplicate, assign, delete; indices never shift.
  const int32_t fresh = Sprite_AddEmpty();
  EXPECT_EQ(fresh, 3);
  EXPECT_EQ(Sprite_Name(3), "__newsprite3");
  const int32_t dup = Sprite_Duplicate(2);
  ASSERT_EQ(dup, 4);
  EXPECT_EQ(Sprite_Get(dup)->xorigin, 16);
  EXPECT_EQ(Sprite_Get(dup)->ImageCount(), 1);
  EXPECT_EQ(Sprite_Duplicate(1), -1);
  EXPECT_TRUE(Sprite_Assign(1, 0));
  EXPECT_EQ(Sprite_Get(1)->width, 2);
  EXPECT_FALSE(Sprite_Assign(9, 0));
  EXPECT_FALSE(Sprite_Assign(0, 9));
  EXPECT_TRUE(Sprite_Delete(2));
  EXPECT_FALSE(Sprite_Delete(2));
  EXPECT_EQ(Sprite_Find("spr_player"), -1);
  EXPECT_EQ(Sprite_Count(), 5);
  Sprite_ClearTable();
  EXPECT_EQ(Sprite_Count(), 0);
  EXPECT_EQ(Resource_Count(RESOURCE_SPRITE), 0);
}

TEST(SpriteRecord, CorruptSizeCostsNoMaskMemory) {
  // A sprite claiming 100000 x 100000 with a 2 x 2 image: the mask holds the
  // image only and the tests see clear pixels beyond it.
  RSpriteRecord r = SpriteRecord(100000, 100000, {ImageRecord(2, 2, {{1, 1}})});
  CSprite s;
  s.LoadFromRecord(r);
  ASSERT_EQ(s.masks.size(), 1u);
  EXPECT_EQ(s.masks[0].bits.size(), 4u);
  const RSpritePlacement p = At(0, 0, 0, 0, 99, 99);
  EXPECT_TRUE(Sprite_PrecisePoint(s, p, 1, 1));
  EXPECT_FALSE(Sprite_PrecisePoint(s, p, 50, 50));
  EXPECT_FALSE(Sprite_PreciseRectangle(s, p, 2, 2, 99, 99));
}
