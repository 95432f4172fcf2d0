#include "world/Run_State.h"

RRunState RunState;

void RunState_Reset() { RunState = RRunState(); }
