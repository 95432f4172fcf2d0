// Run_Handle_Collision: the motion and collision work of a step: friction
// and gravity, the shape tests the step needs, and the collision phase.
#pragma once

class CInstance;

// Friction slows the speed towards 0 (a negative friction accelerates), then
// gravity adds its motion; the caller moves the instance afterwards.
void Collision_ApplyFrictionGravity(CInstance* inst);
// Whether the instance's shape contains the point: its bounding box, right
// and bottom edges exclusive from the next pixel on. An instance without a
// shape or marked destroyed contains nothing. Masks are not consulted yet:
// precise shapes count as their box until sprites have masks.
bool Collision_ContainsPoint(const CInstance* inst, double px, double py);
// The collision phase. Collision events need sprites with boxes and masks,
// which arrive with the collision work; until then no instance collides and
// the phase raises nothing.
void Collision_StepPhase();
