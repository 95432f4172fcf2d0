// Run_Step: one step of the current room, its phases in their fixed order.
#pragma once

// Advances the current room by one step.
void DoStep();
