#include "step/Run_Handle_Collision.h"

#include "world/Instance_Class.h"

void Collision_ApplyFrictionGravity(CInstance* inst) {
  if (inst->friction != 0) {
    double s = inst->speed;
    double slowed = s > 0 ? s - inst->friction : s + inst->friction;
    // Friction stops an instance; it never turns it round.
    if ((s > 0 && slowed < 0) || (s < 0 && slowed > 0))
      inst->SetSpeed(0);
    else if (s != 0)
      inst->SetSpeed(slowed);
  }
  if (inst->gravity != 0) inst->AddMotion(inst->gravity_direction, inst->gravity);
}

bool Collision_ContainsPoint(const CInstance* inst, double px, double py) {
  if (inst->destroyed || !inst->HasShape()) return false;
  return px >= inst->bbox_left && px < inst->bbox_right + 1 && py >= inst->bbox_top && py < inst->bbox_bottom + 1;
}

void Collision_StepPhase() {}
