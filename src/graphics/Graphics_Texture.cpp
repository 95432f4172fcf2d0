#include "graphics/Graphics_Texture.h"

#include <algorithm>

#include "graphics/Graphics_Bitmap32.h"
#include "platform/Platform_Graphics.h"

namespace {

// Resource tables free their textures when they are destroyed at exit, in an
// order between modules the language leaves open: the texture table outlives
// them all.
std::vector<RTexture>& g_Textures = *new std::vector<RTexture>();
uint32_t g_Generation = 0;

RTexture* Slot(int32_t id) {
  if (id < 0 || id >= static_cast<int32_t>(g_Textures.size()) || !g_Textures[id].used) return nullptr;
  return &g_Textures[id];
}

}  // namespace

int32_t Texture_DeviceSize(int32_t side) {
  int32_t size = 1;
  while (size < side && size < (1 << 30)) size <<= 1;
  return size;
}

int32_t CreateTexture(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return -1;
  const int32_t tw = Texture_DeviceSize(width), th = Texture_DeviceSize(height);
  if (tw > PlatformGL_MaxTextureSize() || th > PlatformGL_MaxTextureSize()) return -1;
  const uint32_t handle = PlatformGL_CreateTexture(tw, th);
  if (handle == 0) return -1;
  auto free_slot = std::find_if(g_Textures.begin(), g_Textures.end(), [](const RTexture& t) { return !t.used; });
  if (free_slot == g_Textures.end()) free_slot = g_Textures.insert(g_Textures.end(), RTexture{});
  *free_slot = RTexture{handle, width, height, tw, th, true};
  return static_cast<int32_t>(free_slot - g_Textures.begin());
}

void Texture_BuildFillBuffer(const uint32_t* pixels, int32_t w, int32_t h, int32_t W, int32_t H,
                             std::vector<uint32_t>& out, int32_t& b, int32_t& a) {
  b = std::min(w + 1, W);
  a = std::min(h + 1, H);
  out.assign(static_cast<size_t>(b) * a, 0);
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* row = out.data() + static_cast<size_t>(y) * b;
    std::copy(pixels + static_cast<size_t>(y) * w, pixels + static_cast<size_t>(y + 1) * w, row);
    if (b > w) row[w] = row[w - 1];
  }
  if (a > h) std::copy(out.begin() + static_cast<ptrdiff_t>(h - 1) * b, out.begin() + static_cast<ptrdiff_t>(h) * b,
                       out.begin() + static_cast<ptrdiff_t>(h) * b);
}

bool FillTexture(int32_t id, const uint32_t* pixels) {
  const RTexture* t = Slot(id);
  if (t == nullptr || pixels == nullptr) return false;
  if (t->width == t->texture_width && t->height == t->texture_height)
    return PlatformGL_UploadTexture(t->texture, t->width, t->height, pixels);
  std::vector<uint32_t> buffer;
  int32_t b = 0, a = 0;
  Texture_BuildFillBuffer(pixels, t->width, t->height, t->texture_width, t->texture_height, buffer, b, a);
  return PlatformGL_UploadTexture(t->texture, b, a, buffer.data());
}

int32_t TextureFromImage(const CBitmap32& image) {
  if (!image.exists) return -1;
  const int32_t id = CreateTexture(image.width, image.height);
  if (id < 0) return -1;
  if (!FillTexture(id, image.pixels.data())) {
    FreeTexture(id);
    return -1;
  }
  return id;
}

int32_t TextureFromAlpha(int32_t width, int32_t height, const uint8_t* alpha) {
  if (width < 1 || height < 1 || alpha == nullptr) return -1;
  CBitmap32 image(width, height);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = (uint32_t{alpha[i]} << 24) | 0x00FFFFFFu;
  return TextureFromImage(image);
}

void FreeTexture(int32_t id) {
  RTexture* t = Slot(id);
  if (t == nullptr) return;
  PlatformGL_FreeTexture(t->texture);
  *t = RTexture{};
}

const RTexture* Texture_Get(int32_t id) { return Slot(id); }
bool Texture_Exists(int32_t id) { return Slot(id) != nullptr; }

void Texture_Scale(int32_t id, double& u, double& v) {
  const RTexture* t = Slot(id);
  u = t ? static_cast<double>(t->width) / t->texture_width : 1.0;
  v = t ? static_cast<double>(t->height) / t->texture_height : 1.0;
}

void Texture_ClearTable() {
  g_Textures.clear();
  ++g_Generation;
}
uint32_t Texture_TableGeneration() { return g_Generation; }
int32_t Texture_Count() { return static_cast<int32_t>(g_Textures.size()); }
