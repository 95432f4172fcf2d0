// Graphics_Surface: surfaces, off-screen drawing targets of a given size that
// scripts draw into and then draw like images, copy, read back or save. Each
// is a texture of the texture table; a new drawing device frees them all.
#pragma once

#include <cstdint>

class CBitmap32;

struct RSurface {
  int32_t texture = -1;          // texture id
  int32_t width = 0, height = 0;  // as asked (the texture may be larger)
};

// A new surface in the lowest free slot; -1 when the device refuses.
int32_t Surface_Create(int32_t width, int32_t height);
// Frees it; when it is the target, drawing goes back to the screen first.
void Surface_Free(int32_t id);
// The surface of an id, or null.
const RSurface* Surface_Get(int32_t id);
// Forgets every surface (the device went away).
void Surface_ClearTable();
// Frees every surface and its texture on a device that stays (drawing goes
// back to the screen).
void Surface_FreeAll();

// Drawing into a surface: viewport and projection become its own. Reset
// returns to the screen with the drawing size; false without a device or
// when the screen is the target already.
bool Surface_SetTarget(int32_t id);
bool Surface_ResetTarget();
// The surface drawn into, -1 for the screen.
int32_t Surface_Target();

// Its pixels in the rectangle clipped to the surface; false when nothing is
// left or it cannot be read.
bool Surface_Read(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, CBitmap32& out);
// Copies the part (xs, ys, ws, hs) of one surface to (x, y) of another,
// clipped to both; no scaling, no blending.
void Surface_Copy(int32_t dest, int32_t x, int32_t y, int32_t source, int32_t xs, int32_t ys, int32_t ws,
                  int32_t hs);
