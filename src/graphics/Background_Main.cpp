#include "graphics/Background_Main.h"

#include "graphics/Background_Class.h"
#include "graphics/Sprite_Main.h"

namespace {

// Never destroyed: its objects free textures, and at exit the texture table
// may already be gone.
CGraphicsTable<CBackground>& g_Backgrounds = *new CGraphicsTable<CBackground>(RESOURCE_BACKGROUND, "__newbackground");

}  // namespace

void Background_Install(RSlots<RBackgroundRecord>& records) {
  g_Backgrounds.Install(records);
}

void Background_ClearTable() { g_Backgrounds.Clear(); }

void Background_CreateAllTextures() {
  g_Backgrounds.ForEach([](CBackground& b) { b.CreateTexture(); });
}

int32_t Background_Count() { return g_Backgrounds.Count(); }
CBackground* Background_Get(int32_t index) { return g_Backgrounds.Get(index); }
bool Background_Exists(int32_t index) { return g_Backgrounds.Get(index) != nullptr; }
const std::string& Background_Name(int32_t index) { return g_Backgrounds.Name(index); }
int32_t Background_Find(const std::string& name) { return g_Backgrounds.Find(name); }
int32_t Background_AddEmpty() { return g_Backgrounds.AddNew(); }
int32_t Background_AddFromFile(const std::string& path, bool alpha, bool transparent, bool smooth, bool preload) {
  auto background = std::make_unique<CBackground>();
  if (!background->LoadFromFile(path, alpha, transparent, smooth, preload)) return -1;
  return g_Backgrounds.Add(std::move(background));
}
bool Background_Replace(int32_t index, const std::string& path, bool alpha, bool transparent, bool smooth,
                        bool preload) {
  CBackground* background = g_Backgrounds.Slot(index);
  return background && background->LoadFromFile(path, alpha, transparent, smooth, preload);
}
bool Background_Delete(int32_t index) { return g_Backgrounds.Delete(index); }
int32_t Background_Duplicate(int32_t index) { return g_Backgrounds.Duplicate(index); }
bool Background_Assign(int32_t target, int32_t source) { return g_Backgrounds.Assign(target, source); }
