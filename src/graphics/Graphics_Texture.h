// Graphics_Texture: the texture table. Every image the engine draws lives in
// a device texture named by a texture id (a slot index of this table).
#pragma once

#include <cstdint>
#include <vector>

class CBitmap32;

// One slot of the table.
struct RTexture {
  uint32_t texture = 0;        // platform texture handle
  int32_t width = 0;           // size of the image held
  int32_t height = 0;
  int32_t texture_width = 0;   // size of the device texture (at least the image's)
  int32_t texture_height = 0;
  bool used = false;
};

// Creates a device texture for a width x height image in the lowest free
// slot; its device size is the next power of two of each side. -1 when the
// device refuses (the slot stays free).
int32_t CreateTexture(int32_t width, int32_t height);
// Loads width x height pixels (0xAARRGGBB) into the texture, repeating the
// last column and row once where the device texture is larger.
bool FillTexture(int32_t id, const uint32_t* pixels);
// Create + fill; -1 (slot freed) when filling fails.
int32_t TextureFromImage(const CBitmap32& image);
// A white image whose alpha comes from `alpha` (glyph images).
int32_t TextureFromAlpha(int32_t width, int32_t height, const uint8_t* alpha);
void FreeTexture(int32_t id);

// The entry of a used slot, or null for an invalid id.
const RTexture* Texture_Get(int32_t id);
bool Texture_Exists(int32_t id);
// Width / texture width and height / texture height: the texture coordinates
// of the image's far edge (1, 1 for an invalid id).
void Texture_Scale(int32_t id, double& u, double& v);
// Empties the table (the device was created anew; old handles are gone).
void Texture_ClearTable();
// Counts the times the table was emptied: a module that keeps a texture id
// of its own remembers the count with it and makes its texture again when
// the count has moved on (the id may name someone else's texture by then).
uint32_t Texture_TableGeneration();
// Number of slots, used or not.
int32_t Texture_Count();

// The device size of an image side: the next power of two.
int32_t Texture_DeviceSize(int32_t side);
// The fill rule on its own: builds the b x a buffer (b = min(w + 1, W),
// a = min(h + 1, H)) for a w x h image in a W x H texture.
void Texture_BuildFillBuffer(const uint32_t* pixels, int32_t w, int32_t h, int32_t W, int32_t H,
                             std::vector<uint32_t>& out, int32_t& b, int32_t& a);
