// Font_Main: the font table, the default font and the text drawing state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/DataNew_Class.h"

class CFont;

// Fills the table from the game file's fonts (slots may be empty).
void Font_Install(const RSlots<RFontRecord>& records);
// Empties the table and drops the default font (end of the game).
void Font_ClearTable();

bool Font_Exists(int32_t index);
// The font of an index, nullptr when there is none.
CFont* Font_Get(int32_t index);
// "<undefined>" for an invalid or empty index.
const std::string& Font_Name(int32_t index);

// Appends a font, named "__newfont" and its index; returns the index.
int32_t Font_Add(std::unique_ptr<CFont> font);
// Puts a font in place of an existing one, which is freed; the name stays.
// False when the index holds no font.
bool Font_Replace(int32_t index, std::unique_ptr<CFont> font);
// Frees a font and empties its slot and name; false when there is none.
bool Font_Delete(int32_t index);

// The font text is drawn with: the current one, or the default font (Arial,
// 12 points, characters 32 to 127) when the current index has no font.
CFont& Font_Current();
int32_t Font_CurrentIndex();
// The index when that font exists, else -1 (the default font).
void Font_SetCurrent(int32_t index);
// Alignments: horizontal 0 left, 1 centre, 2 right; vertical 0 top,
// 1 middle, 2 bottom; other values mean 0.
int32_t Font_HAlign();
int32_t Font_VAlign();
void Font_SetHAlign(int32_t align);
void Font_SetVAlign(int32_t align);
