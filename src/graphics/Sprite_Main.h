// Sprite_Main: the sprite table. Slots may be empty; indices never shift.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DataNew_Class.h"
#include "data/Resource_Names.h"
#include "data/Resource_Table.h"

class CSprite;
struct RSpriteLoad;

// Fills the table from the game file's sprites (their pixels are moved out
// of the records) and lets instances take their shapes from it.
void Sprite_Install(RSlots<RSpriteRecord>& records);
// Empties the table.
void Sprite_ClearTable();
// Creates the textures of every sprite (after the drawing device exists).
void Sprite_CreateAllTextures();

int32_t Sprite_Count();
CSprite* Sprite_Get(int32_t index);            // nullptr for an invalid or empty index
bool Sprite_Exists(int32_t index);
const std::string& Sprite_Name(int32_t index); // "<undefined>" for an invalid or empty index
// The first existing sprite with exactly that name, else -1.
int32_t Sprite_Find(const std::string& name);

// Appends an empty sprite named "__newsprite" and its index; returns the index.
int32_t Sprite_AddEmpty();
// Appends a sprite loaded from a picture file; -1 (nothing appended) when
// loading fails.
int32_t Sprite_AddFromFile(const std::string& path, const RSpriteLoad& how);
// Loads a picture file into slot `index` (an empty slot gets a new sprite;
// the name stays); false for an invalid index or when loading fails.
bool Sprite_Replace(int32_t index, const std::string& path, const RSpriteLoad& how);
// Frees a sprite and empties its slot; false when it is already empty.
bool Sprite_Delete(int32_t index);
// A new sprite that is a copy of `index`; -1 when that does not exist.
int32_t Sprite_Duplicate(int32_t index);
// Slot `target` becomes a copy of `source`; false when either is invalid.
bool Sprite_Assign(int32_t target, int32_t source);

// The sprite and background tables keep their objects in the shared
// resource table.
template <class T>
using CGraphicsTable = CResourceTable<T>;
