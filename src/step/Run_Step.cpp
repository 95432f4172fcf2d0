#include "step/Run_Step.h"

void DoStep() {}
