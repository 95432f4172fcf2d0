// Function_Math: the built-ins for numbers, random numbers, type tests,
// conversions, text and plane geometry, and the engine-wide random generator
// that every built-in drawing random numbers shares.
#pragma once

#include <cstdint>

// The seed of the generator. Each draw first advances it as
// seed * 134775813 + 1 (modulo 2^32).
void Random_SetSeed(uint32_t seed);
uint32_t Random_Seed();
// Seeds from the platform clock (low 32 bits), as at game start and restart.
void Random_Randomize();
// A draw in [0, 1): the new seed / 2^32.
double Random_Real();
// An integer draw below n: (new seed * n) >> 32.
uint32_t Random_Below(uint32_t n);

// The direction from the first point to the second in degrees, 0 to 360,
// counter-clockwise on screen (y points down); 0 for the same point.
double Math_PointDirection(double x1, double y1, double x2, double y2);
