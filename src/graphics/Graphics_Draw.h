// Graphics_Draw: the drawing state the drawing built-ins share: the drawing
// colour and alpha.
#pragma once

#include <cstdint>

// The drawing colour (0xBBGGRR) and alpha (0 to 1); black and opaque at start.
int32_t Draw_Colour();
void Draw_SetColour(int32_t colour);
double Draw_Alpha();
// Clamped to 0 ... 1.
void Draw_SetAlpha(double alpha);
