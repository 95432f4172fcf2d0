// Particle_Main: particle systems, their types, emitters and the other
// helpers, and their update once per step.
#pragma once

// Updates the systems that update automatically. No system exists until the
// particle work arrives, so there is nothing to update yet.
void Particle_UpdateSystems();
