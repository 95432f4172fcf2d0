// Background_Main: the background table. Slots may be empty; indices never
// shift.
#pragma once

#include <cstdint>
#include <string>

#include "data/DataNew_Class.h"

class CBackground;

// Fills the table from the game file's backgrounds (their pixels are moved
// out of the records).
void Background_Install(RSlots<RBackgroundRecord>& records);
// Empties the table.
void Background_ClearTable();
// Creates the textures of every background (after the drawing device exists).
void Background_CreateAllTextures();

int32_t Background_Count();
CBackground* Background_Get(int32_t index);  // nullptr for an invalid or empty index
bool Background_Exists(int32_t index);
const std::string& Background_Name(int32_t index);  // "<undefined>" for an invalid or empty index
// The first existing background with exactly that name, else -1.
int32_t Background_Find(const std::string& name);

// Appends an empty background named "__newbackground" and its index.
int32_t Background_AddEmpty();
// Frees a background and empties its slot; false when it is already empty.
bool Background_Delete(int32_t index);
// A new background that is a copy of `index`; -1 when that does not exist.
int32_t Background_Duplicate(int32_t index);
// Slot `target` becomes a copy of `source`; false when either is invalid.
bool Background_Assign(int32_t target, int32_t source);
