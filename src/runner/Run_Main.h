// Run_Main: running a loaded game. The main loop with its frame timing, the
// requests that built-ins leave for it between steps, and room changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Carries out the room changes and game requests between steps.
// Starts (if needed) and runs the game until it ends or is paused.
void RunGame();
// The loop of steps at the room's speed.
void MainLoop();
// One step with its request, for the debugger's Step command.
void SingleStep();
// Carries out PendingRoom; true when the game must stop (end or error).
bool CarryOutRequest();

// The library initialisation code run at every game start (texts in order).
void Run_SetLibraryInitCode(std::vector<std::string> code);

void StartGame();
void EndGame();
// Leaves the current room and enters another.
void ChangeRoom(int32_t index);
void LeaveRoom(bool game_ending);
void GotoRoom(int32_t index, bool first_room);

// The function keys at the start of a step: the last key pressed is compared
// with Esc (ends the game), F4 (full screen) and F9 (screenshot) in turn;
// the first whose setting is on is handled and the last key becomes 0.
void HandleFunctionKeys();

// Steps run since the game started (all rooms, restarts included).
extern int64_t Run_StepCount;
