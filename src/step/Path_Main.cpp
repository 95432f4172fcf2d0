#include "step/Path_Main.h"

bool Path_AdvanceInstance(CInstance*) { return false; }
