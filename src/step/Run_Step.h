// Run_Step: one step of the current room, its phases in their fixed order.
#pragma once

#include <cstdint>

// Advances the current room by one step. Does nothing without a current room.
void DoStep();

// Installs the runner's handling of the function keys (Esc, F1, F4, F5, F6,
// F9), which every step runs before anything else.
void Step_SetFunctionKeys(void (*handler)());

// Installs the debugger's refresh, which every step that runs to its end
// calls after animating (the debugger shows nothing outside debug mode).
void Step_SetDebugRefresh(void (*refresh)());
