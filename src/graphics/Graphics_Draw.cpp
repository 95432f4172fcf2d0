#include "graphics/Graphics_Draw.h"

#include <algorithm>

namespace {

int32_t g_Colour = 0;
double g_Alpha = 1.0;

}  // namespace

int32_t Draw_Colour() { return g_Colour; }
void Draw_SetColour(int32_t colour) { g_Colour = colour & 0xFFFFFF; }
double Draw_Alpha() { return g_Alpha; }
void Draw_SetAlpha(double alpha) { g_Alpha = std::clamp(alpha, 0.0, 1.0); }
