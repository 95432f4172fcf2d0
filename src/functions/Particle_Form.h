// Particle_Form: the fourteen built-in particle shapes (pixel, disk, square,
// line, star, circle, ring, sphere, flare, spark, explosion, cloud, smoke,
// snow). Each is a 64 x 64 white picture whose opacity draws the shape, with
// its origin at (32, 32). All of them share one texture, so that particles
// of different shapes still reach the device in one batch.
//
// State (owned here): the pictures, made once for the program's life, and
// the shared texture, which lives as long as the drawing device that made it
// and is made again for a new one.
#pragma once

#include <cstdint>

constexpr int32_t PARTICLE_SHAPE_COUNT = 14;
constexpr int32_t PARTICLE_SHAPE_SIZE = 64;
constexpr int32_t PARTICLE_SHAPE_ORIGIN = 32;

// Makes the pictures of the shapes, once per program (the first particle
// system asks for them); later calls do nothing.
void ParticleForm_Build();
// The opacity (0 ... 255) of a shape's pixel (x, y), rows top first; builds
// the pictures when needed. `shape` must be 0 ... 13, x and y 0 ... 63.
uint8_t ParticleForm_Opacity(int32_t shape, int32_t x, int32_t y);

// The shared texture of the shapes: made at the first call with a drawing
// device and again after the device was made anew; -1 without a device or
// when the device refuses it.
int32_t ParticleForm_Texture();
// Where a shape (0 ... 13) lies in the shared texture: its top-left pixel.
void ParticleForm_CellOf(int32_t shape, int32_t& left, int32_t& top);
