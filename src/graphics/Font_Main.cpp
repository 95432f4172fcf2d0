#include "graphics/Font_Main.h"

#include <memory>
#include <vector>

#include "graphics/Font_Class.h"

namespace {

std::vector<std::unique_ptr<CFont>> g_Fonts;
std::vector<std::string> g_Names;
std::unique_ptr<CFont> g_Default;
int32_t g_Current = -1;
int32_t g_HAlign = 0, g_VAlign = 0;

const std::string kUndefined = "<undefined>";

}  // namespace

void Font_Install(const RSlots<RFontRecord>& records) {
  Font_ClearTable();
  for (const auto& slot : records) {
    g_Fonts.push_back(slot ? std::make_unique<CFont>(*slot) : nullptr);
    g_Names.push_back(slot ? slot->name : std::string());
  }
}

void Font_ClearTable() {
  g_Fonts.clear();
  g_Names.clear();
  g_Default.reset();
  g_Current = -1;
  g_HAlign = g_VAlign = 0;
}

bool Font_Exists(int32_t index) { return Font_Get(index) != nullptr; }

CFont* Font_Get(int32_t index) {
  return index >= 0 && size_t(index) < g_Fonts.size() ? g_Fonts[size_t(index)].get() : nullptr;
}

const std::string& Font_Name(int32_t index) { return Font_Exists(index) ? g_Names[size_t(index)] : kUndefined; }

int32_t Font_Add(std::unique_ptr<CFont> font) {
  const int32_t index = static_cast<int32_t>(g_Fonts.size());
  g_Fonts.push_back(std::move(font));
  g_Names.push_back("__newfont" + std::to_string(index));
  return index;
}

bool Font_Replace(int32_t index, std::unique_ptr<CFont> font) {
  if (!Font_Exists(index)) return false;
  g_Fonts[size_t(index)] = std::move(font);
  return true;
}

bool Font_Delete(int32_t index) {
  if (!Font_Exists(index)) return false;
  g_Fonts[size_t(index)].reset();
  g_Names[size_t(index)].clear();
  return true;
}

CFont& Font_Current() {
  if (CFont* font = Font_Get(g_Current)) return *font;
  if (!g_Default) g_Default = std::make_unique<CFont>("Arial", 12, false, false, 32, 127);
  return *g_Default;
}

int32_t Font_CurrentIndex() { return g_Current; }
void Font_SetCurrent(int32_t index) { g_Current = Font_Exists(index) ? index : -1; }

int32_t Font_HAlign() { return g_HAlign; }
int32_t Font_VAlign() { return g_VAlign; }
void Font_SetHAlign(int32_t align) { g_HAlign = align >= 0 && align <= 2 ? align : 0; }
void Font_SetVAlign(int32_t align) { g_VAlign = align >= 0 && align <= 2 ? align : 0; }
