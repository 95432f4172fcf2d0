#include "graphics/Sprite_Main.h"

#include "graphics/Sprite_Class.h"
#include "world/Instance_Class.h"

namespace {

// Never destroyed: its objects free textures, and at exit the texture table
// may already be gone.
CGraphicsTable<CSprite>& g_Sprites = *new CGraphicsTable<CSprite>(RESOURCE_SPRITE, "__newsprite");

// What an instance's bounding box needs of a sprite.
bool ShapeOf(int32_t index, RSpriteShape& out) {
  const CSprite* s = g_Sprites.Get(index);
  if (!s) return false;
  out = RSpriteShape{s->ImageCount(), s->bbox_left, s->bbox_top,  s->bbox_right,
                     s->bbox_bottom,  s->xorigin,   s->yorigin,   s->precise};
  return true;
}

}  // namespace

void Sprite_Install(RSlots<RSpriteRecord>& records) {
  g_Sprites.Install(records);
  Instance_SetSpriteSource(ShapeOf);
}

void Sprite_ClearTable() { g_Sprites.Clear(); }

void Sprite_CreateAllTextures() {
  g_Sprites.ForEach([](CSprite& s) { s.CreateTextures(); });
}

int32_t Sprite_Count() { return g_Sprites.Count(); }
CSprite* Sprite_Get(int32_t index) { return g_Sprites.Get(index); }
bool Sprite_Exists(int32_t index) { return g_Sprites.Get(index) != nullptr; }
const std::string& Sprite_Name(int32_t index) { return g_Sprites.Name(index); }
int32_t Sprite_Find(const std::string& name) { return g_Sprites.Find(name); }

int32_t Sprite_AddEmpty() {
  Instance_SetSpriteSource(ShapeOf);
  return g_Sprites.AddNew();
}
int32_t Sprite_AddFromFile(const std::string& path, const RSpriteLoad& how) {
  auto sprite = std::make_unique<CSprite>();
  if (!sprite->LoadFromFile(path, how)) return -1;
  Instance_SetSpriteSource(ShapeOf);
  return g_Sprites.Add(std::move(sprite));
}
bool Sprite_Replace(int32_t index, const std::string& path, const RSpriteLoad& how) {
  CSprite* sprite = g_Sprites.Slot(index);
  return sprite && sprite->LoadFromFile(path, how);
}
bool Sprite_Delete(int32_t index) { return g_Sprites.Delete(index); }
int32_t Sprite_Duplicate(int32_t index) {
  Instance_SetSpriteSource(ShapeOf);
  return g_Sprites.Duplicate(index);
}
bool Sprite_Assign(int32_t target, int32_t source) { return g_Sprites.Assign(target, source); }
