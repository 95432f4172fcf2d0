#include "graphics/Graphics_Surface.h"

#include <algorithm>
#include <vector>

#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_Graphics.h"

namespace {

std::vector<RSurface> g_Surfaces;  // a free slot has no texture
int32_t g_Target = -1;

uint32_t Handle(const RSurface& s) {
  const RTexture* t = Texture_Get(s.texture);
  return t ? t->texture : 0;
}

}  // namespace

int32_t Surface_Create(int32_t width, int32_t height) {
  if (!D3D_DeviceExists()) return -1;
  const int32_t texture = CreateTexture(width, height);
  if (texture < 0) return -1;
  size_t slot = 0;
  while (slot < g_Surfaces.size() && g_Surfaces[slot].texture >= 0) slot++;
  if (slot == g_Surfaces.size()) g_Surfaces.emplace_back();
  g_Surfaces[slot] = {texture, width, height};
  return static_cast<int32_t>(slot);
}

const RSurface* Surface_Get(int32_t id) {
  if (id < 0 || size_t(id) >= g_Surfaces.size() || g_Surfaces[size_t(id)].texture < 0) return nullptr;
  return &g_Surfaces[size_t(id)];
}

void Surface_Free(int32_t id) {
  const RSurface* s = Surface_Get(id);
  if (!s) return;
  if (g_Target == id) Surface_ResetTarget();
  FreeTexture(s->texture);
  g_Surfaces[size_t(id)] = RSurface{};
}

void Surface_ClearTable() {
  g_Surfaces.clear();
  g_Target = -1;
}

void Surface_FreeAll() {
  for (size_t id = 0; id < g_Surfaces.size(); ++id) Surface_Free(static_cast<int32_t>(id));
  g_Surfaces.clear();
}

int32_t Surface_Target() { return g_Target; }

bool Surface_SetTarget(int32_t id) {
  const RSurface* s = Surface_Get(id);
  if (!D3D_DeviceExists() || !s) return false;
  if (g_Target == id) return true;
  if (g_Target >= 0) Surface_ResetTarget();
  if (!PlatformGL_SetTarget(Handle(*s))) return false;
  D3D_SetViewport(0, 0, s->width, s->height);
  D3D_Set2DProjection(0, 0, s->width, s->height, 0);
  g_Target = id;
  return true;
}

bool Surface_ResetTarget() {
  if (!D3D_DeviceExists() || g_Target < 0) return false;
  PlatformGL_SetTarget(0);
  D3D_SetViewport(0, 0, D3D_DrawingWidth(), D3D_DrawingHeight());
  D3D_Set2DProjection(0, 0, D3D_DrawingWidth(), D3D_DrawingHeight(), 0);
  g_Target = -1;
  return true;
}

bool Surface_Read(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, CBitmap32& out) {
  const RSurface* s = Surface_Get(id);
  if (!s || !D3D_DeviceExists()) return false;
  if (x < 0) width += x, x = 0;
  if (y < 0) height += y, y = 0;
  width = std::min(width, s->width - x);
  height = std::min(height, s->height - y);
  if (width < 1 || height < 1) return false;
  const RSurface* target = Surface_Get(g_Target);
  CBitmap32 image(width, height);
  bool read = PlatformGL_SetTarget(Handle(*s)) && PlatformGL_ReadPixels(x, y, width, height, image.pixels.data());
  PlatformGL_SetTarget(target ? Handle(*target) : 0);
  if (read) out = std::move(image);
  return read;
}

void Surface_Copy(int32_t dest, int32_t x, int32_t y, int32_t source, int32_t xs, int32_t ys, int32_t ws,
                  int32_t hs) {
  const RSurface *to = Surface_Get(dest), *from = Surface_Get(source);
  if (!to || !from) return;
  // The part within the source, then within the destination.
  if (xs < 0) x -= xs, ws += xs, xs = 0;
  if (ys < 0) y -= ys, hs += ys, ys = 0;
  ws = std::min(ws, from->width - xs);
  hs = std::min(hs, from->height - ys);
  if (x < 0) xs -= x, ws += x, x = 0;
  if (y < 0) ys -= y, hs += y, y = 0;
  ws = std::min(ws, to->width - x);
  hs = std::min(hs, to->height - y);
  if (ws > 0 && hs > 0) PlatformGL_CopyRect(Handle(*from), xs, ys, ws, hs, Handle(*to), x, y);
}
