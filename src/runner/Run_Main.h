// Run_Main: running a loaded game. The main loop with its frame timing, the
// requests that built-ins leave for it between steps, and room changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/Run_State.h"

// Carries out the room changes and game requests between steps.
// Starts (if needed) and runs the game until it ends or is paused.
void RunGame();
// The loop of steps at the room's speed.
void MainLoop();
// One step with its request, for the debugger's Step command. When the
// request ends the game, the game ends here as it does after the loop.
void SingleStep();
// Carries out RunState.PendingRoom; true when the game must stop (end or error).
bool CarryOutRequest();

// The debugger's run control.
enum class ERunControl { Run, Pause, Step, Restart, Stop };
// Whether a control may be used now: Run and Step while the game runs
// paused, Pause while it runs unpaused, Restart and Stop while it runs.
bool Run_ControlEnabled(ERunControl control);
// Carries out an enabled control; a disabled one does nothing. Run resumes
// the game (RunGame, returning once it is paused again or over); Restart
// asks for a restart and, when paused, resumes; Stop ends the game (at
// once when paused, else when the loop sees it).
void Run_Control(ERunControl control);

// The library initialisation code run at every game start (texts in order).
void Run_SetLibraryInitCode(std::vector<std::string> code);

void StartGame();
void EndGame();
// Drops the game without running its events: no current room, no room
// copies, no carried instances, no library initialisation code.
void Run_Reset();
// Leaves the current room and enters another.
void ChangeRoom(int32_t index);
void LeaveRoom(bool game_ending);
void GotoRoom(int32_t index, bool first_room);

// The function keys at the start of a step: the last key pressed is compared
// with F1 (game information), Esc (ends the game), F4 (full screen), F5 (save
// the game), F6 (load it at once) and F9 (screenshot) in turn; the first
// whose setting is on is handled and the last key becomes 0.
void HandleFunctionKeys();

