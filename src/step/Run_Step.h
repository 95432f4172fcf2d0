// Run_Step: one step of the current room, its phases in their fixed order.
#pragma once

#include <cstdint>

// Advances the current room by one step. Does nothing without a current room.
void DoStep();

// Incremented once per step; the image the cursor sprite shows.
extern int32_t Step_CursorImage;
// The mouse position in room coordinates read this step (`mouse_x`, `mouse_y`).
extern double Step_MouseX, Step_MouseY;
