#include "runner/Run_Main.h"

#include <cstdio>

#include "code/RValue.h"
#include "runner/Run_Clock.h"
#include "runner/Runner_Form.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "step/IO_Main.h"
#include "step/Run_Step.h"
#include "variables/Function_Math.h"
#include "world/Room_Main.h"

bool GameRunning = false;
bool GamePaused = false;
int32_t PendingRoom = REQUEST_NONE;
std::string PendingLoadFile;
int32_t Run_Fps = 0;
bool AutomaticDraw = true;
int64_t Run_StepCount = 0;

namespace {

RFrameTimer g_Timer;

// Window messages between steps. The window's close button ends the game.
void ProcessMessages() {
  Platform_ProcessMessages();
  if (Platform_TakeCloseRequest() && PendingRoom == REQUEST_NONE) PendingRoom = REQUEST_END;
}

// One step plus the runner's own step limit.
void StepOnce() {
  DoStep();
  Run_StepCount++;
  if (RunnerOptions.max_steps >= 0 && Run_StepCount >= RunnerOptions.max_steps && PendingRoom == REQUEST_NONE)
    PendingRoom = REQUEST_END;
}

// Shows the frame the step drew and starts the next one.
void PresentFrame() {
  D3D_Present();
  D3D_BeginFrame();
}

}  // namespace

bool CarryOutRequest() {
  int32_t request = PendingRoom;
  if (request == REQUEST_NONE) return false;
  if (request >= 0) {
    ChangeRoom(request);
    return false;
  }
  switch (request) {
    case REQUEST_END:
    case REQUEST_ERROR_STOP:
      return true;
    case REQUEST_RESTART:
      EndGame();
      StartGame();
      return false;
    case REQUEST_LOAD:
      // Saved games are not read yet: the request is dropped.
      PendingRoom = REQUEST_NONE;
      return false;
    default:
      // Not a request the loop knows: drop it rather than stall every step.
      PendingRoom = REQUEST_NONE;
      return false;
  }
}

void RunGame() {
  if (!GameRunning) {
    GameRunning = true;
    StartGame();
  }
  GameRunning = true;
  GamePaused = false;
  MainLoop();
  if (!GameRunning) EndGame();
}

void MainLoop() {
  if (CarryOutRequest()) {
    GameRunning = false;
    return;
  }
  ClockStart();
  g_Timer.Start(ClockMicroseconds());
  Run_Fps = 0;
  ProcessMessages();
  while (GameRunning && !GamePaused) {
    try {
      StepOnce();
      int64_t now = ClockMicroseconds();
      CRoom* room = Room_Current();
      if (room && room->speed < 1) room->speed = 1;
      int64_t wait = g_Timer.AfterStep(now, room ? room->speed : 30, Run_Fps);
      if (!RunnerOptions.unthrottled) WaitMicroseconds(wait);
      if (PendingRoom == REQUEST_NONE && AutomaticDraw) PresentFrame();
      if (CarryOutRequest()) {
        GameRunning = false;
        return;
      }
      ProcessMessages();
    } catch (const CFloatFault&) {
      // A floating-point fault ends the running code; the rest of the pass is dropped.
    }
  }
}

void SingleStep() {
  ProcessMessages();
  StepOnce();
  if (PendingRoom == REQUEST_NONE && AutomaticDraw) PresentFrame();
  if (CarryOutRequest()) GameRunning = false;
  ProcessMessages();
}

void StartGame() {
  Random_Randomize();
  Room_RuntimeCopies().clear();
  Room_RuntimeCopies().resize(static_cast<size_t>(Room_TableSize()));
  const std::vector<int32_t>& order = Room_Order();
  GotoRoom(order.empty() ? 0 : order.front(), true);
}

void EndGame() {
  LeaveRoom(true);
  Room_RuntimeCopies().clear();
  Room_SetCurrent(RoomIndex, nullptr);
}

void ChangeRoom(int32_t index) {
  LeaveRoom(false);
  GotoRoom(index, false);
}

void LeaveRoom(bool game_ending) {
  CRoom* room = Room_Current();
  if (!room) return;
  if (!room->persistent) {
    auto& copies = Room_RuntimeCopies();
    if (RoomIndex >= 0 && RoomIndex < static_cast<int32_t>(copies.size())) copies[RoomIndex].reset();
    Room_SetCurrent(RoomIndex, nullptr);
  }
}

void GotoRoom(int32_t index, bool first_room) {
  PendingRoom = REQUEST_NONE;
  IO_ClearAll();
  auto& copies = Room_RuntimeCopies();
  if (index >= static_cast<int32_t>(copies.size())) copies.resize(static_cast<size_t>(index) + 1);
  if (!copies[index]) {
    copies[index] = std::make_unique<CRoom>();
    if (CRoom* resource = Room_Resource(index)) *copies[index] = *resource;
  }
  Room_SetCurrent(index, copies[index].get());
  Window_SetRegionForRoom(copies[index]->width, copies[index]->height);
  if (first_room) Display_ShowWindow();
}
