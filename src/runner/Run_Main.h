// Run_Main: running a loaded game. The main loop with its frame timing, the
// requests that built-ins leave for it between steps, and room changes.
#pragma once

#include <cstdint>
#include <string>

// Requests left in PendingRoom for the main loop. A room index (0 or more)
// asks for a room change.
enum : int32_t {
  REQUEST_NONE = -1,
  REQUEST_END = -100,
  REQUEST_RESTART = -200,
  REQUEST_LOAD = -300,
  REQUEST_ERROR_STOP = -400,
};

// The run state of the process.
extern bool GameRunning;
extern bool GamePaused;
// The pending request; while it is not REQUEST_NONE no event is dispatched.
extern int32_t PendingRoom;
extern std::string PendingLoadFile;
// Frames counted in the last whole second of the clock (built-in `fps`).
extern int32_t Run_Fps;
// Whether the room is drawn and shown each step (set_automatic_draw).
extern bool AutomaticDraw;
