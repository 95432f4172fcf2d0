// Function_3D: the built-ins of 3D mode, its shapes, projections, world
// transformation, lights and models.
#pragma once

// Registers them.
void Function_3D_Register();
