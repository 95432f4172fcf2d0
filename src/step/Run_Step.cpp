#include "step/Run_Step.h"

#include "world/Room_Main.h"

void DoStep() {
  // Of the step's phases only the removal of destroyed instances exists so
  // far; the others join it in their order.
  if (CRoom* room = Room_Current()) room->RemoveDestroyed();
}
