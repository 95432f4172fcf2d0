// Run_State: the state of the running game that every subsystem reads: the
// request left for the main loop, whether the game runs or is paused, the
// step counter, the frame rate, automatic drawing, the cursor image and the
// mouse position of the step. The runner owns the
// behaviour (main loop, room changes); this is only the state it shares.
#pragma once

#include <cstdint>
#include <string>

// Requests left in RunState.PendingRoom for the main loop. A room index (0 or more)
// asks for a room change.
enum : int32_t {
  REQUEST_NONE = -1,
  REQUEST_END = -100,
  REQUEST_RESTART = -200,
  REQUEST_LOAD = -300,
  REQUEST_ERROR_STOP = -400,
};

struct RRunState {
  // The game has started and not ended; the main loop runs while it is set
  // and the game is not paused (the debugger pauses it).
  bool GameRunning = false;
  bool GamePaused = false;
  // The pending request; while it is not REQUEST_NONE no event is
  // dispatched and no further action of the step runs.
  int32_t PendingRoom = REQUEST_NONE;
  // The saved game a REQUEST_LOAD reads.
  std::string PendingLoadFile;
  // Frames counted in the last whole second of the clock (built-in `fps`).
  int32_t Fps = 0;
  // Whether the room is drawn and shown each step (set_automatic_draw).
  bool AutomaticDraw = true;
  // Steps run since the program started (all rooms, restarts included).
  int64_t StepCount = 0;
  // The image the cursor sprite shows; one more every step.
  int32_t CursorImage = 0;
  // The mouse position in room coordinates read this step (`mouse_x`,
  // `mouse_y`).
  double MouseX = 0;
  double MouseY = 0;
};

// The one run state of the process. Lifetime: the program; RunState_Reset
// puts it back to its start values (program start, tests).
extern RRunState RunState;
void RunState_Reset();

