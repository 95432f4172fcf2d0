#include "functions/Particle_Main.h"

void Particle_UpdateSystems() {}
