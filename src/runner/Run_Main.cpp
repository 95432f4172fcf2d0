#include "runner/Run_Main.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/RValue.h"
#include "data/Option_Main.h"
#include "functions/Extension_Main.h"
#include "functions/Particle_Effect.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Graphics_Transition.h"
#include "graphics/Room_Draw.h"
#include "platform/Platform.h"
#include "world/Run_Clock.h"
#include "runner/Help_Main.h"
#include "runner/Replay_Main.h"
#include "runner/Runner_Splash.h"
#include "world/Run_Global.h"
#include "runner/Runner_Form.h"
#include "runner/Runner_Reset.h"
#include "step/IO_Main.h"
#include "step/Run_Step.h"
#include "variables/Function_Math.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/Run_Command.h"


namespace {

RFrameTimer g_Timer;
std::vector<std::string> g_LibraryInitCode;
// Persistent instances taken out of the room being left, for the next one.
std::vector<CInstance*> g_Carried;

void FreeCarried() {
  for (CInstance* inst : g_Carried) Instance_Free(inst);
  g_Carried.clear();
}

// Compiles and runs code with a temporary instance (id 0 of object 0 at 0, 0)
// as self and other; a compile error is reported after `failure`.
void RunWithTemporaryInstance(const std::string& text, const char* failure, bool fatal) {
  CCode code(text, false);
  if (!code.Compile()) {
    ReportError(std::string(failure) + "\r" + RecordedError(), fatal);
    ClearRecordedError();
    return;
  }
  CInstance temporary;
  temporary.Create(0, 0, 0, 0);
  RValue result;
  ExecuteReporting(&temporary, &temporary, code, result);
}

// Window messages between steps. The window's close button ends the game.
void ProcessMessages() {
  Platform_ProcessMessages();
  if (Platform_TakeCloseRequest() && RunState.PendingRoom == REQUEST_NONE) RunState.PendingRoom = REQUEST_END;
  Splash_Tick();  // a splash window beside the game
}

// One step plus the runner's own step limit; a recorded or played-back run
// marks it and the monkey plays before it.
void StepOnce() {
  ReplayRun_BeforeStep(static_cast<uint32_t>(RunState.StepCount + 1));
  DoStep();
  RunState.StepCount++;
  const bool limit = RunnerOptions.max_steps >= 0 && RunState.StepCount >= RunnerOptions.max_steps;
  if (ReplayRun_StopAfterStep(limit) && RunState.PendingRoom == REQUEST_NONE) RunState.PendingRoom = REQUEST_END;
}

// Shows the frame the step drew and starts the next one. `later`: the device
// may finish drawing it while the next step runs.
void PresentFrame(bool later = false) {
  // The new room's first picture ends a transition instead of showing at once.
  if (Transition_Waiting())
    Transition_Finish();
  else if (later)
    D3D_PresentLater();
  else
    D3D_Present();
  D3D_BeginFrame();
}

// Loads a saved game and fits the window to the room it resumes.
void LoadGame(const std::string& name) {
  if (LoadGameFromFile(name)) Room_SetRegion(*Room_Current());
}

}  // namespace

bool CarryOutRequest() {
  int32_t request = RunState.PendingRoom;
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
      RunState.PendingRoom = REQUEST_NONE;
      IO_ClearAll();
      LoadGame(RunState.PendingLoadFile);
      // A failure the error settings make fatal stops the game now.
      return RunState.PendingRoom != REQUEST_NONE && CarryOutRequest();
    default:
      // Not a request the loop knows: drop it rather than stall every step.
      RunState.PendingRoom = REQUEST_NONE;
      return false;
  }
}

void RunGame() {
  if (!RunState.GameRunning) {
    if (!ReplayRun_Start()) return;
    RunState.GameRunning = true;
    StartGame();
  }
  RunState.GameRunning = true;
  RunState.GamePaused = false;
  MainLoop();
  if (!RunState.GameRunning) {
    ReplayRun_GameOver();
    EndGame();
  }
}

void MainLoop() {
  if (CarryOutRequest()) {
    RunState.GameRunning = false;
    return;
  }
  ClockStart();
  g_Timer.Start(ClockMicroseconds());
  RunState.Fps = 0;
  ProcessMessages();
  while (RunState.GameRunning && !RunState.GamePaused) {
    try {
      StepOnce();
      int64_t now = ClockMicroseconds();
      CRoom* room = Room_Current();
      if (room && room->speed < 1) room->speed = 1;
      int64_t wait = g_Timer.AfterStep(now, room ? room->speed : 30, RunState.Fps);
      if (!RunnerOptions.unthrottled) WaitMicroseconds(wait);
      ReplayRun_AfterWait();
      // Behind the schedule, the device draws the frame beside the next step.
      const bool behind = RunnerOptions.unthrottled || wait <= 0;
      if (RunState.PendingRoom == REQUEST_NONE && RunState.AutomaticDraw) PresentFrame(behind);
      if (CarryOutRequest()) {
        D3D_FinishPresent();
        RunState.GameRunning = false;
        return;
      }
      ProcessMessages();
    } catch (...) {
      // Whatever a pass raises (a floating-point fault ending the running
      // code, or anything else) drops the rest of that pass only: the game
      // goes on with the next one.
    }
  }
  D3D_FinishPresent();  // a paused game shows its last frame
}

void SingleStep() {
  ProcessMessages();
  try {
    StepOnce();
    ReplayRun_AfterWait();  // no wait between single steps, but the same point
    if (RunState.PendingRoom == REQUEST_NONE && RunState.AutomaticDraw) PresentFrame();
    if (CarryOutRequest()) {
      // Nobody else would end it: the loop that ends a game is not running.
      RunState.GameRunning = false;
      RunState.GamePaused = false;
      ReplayRun_GameOver();
      EndGame();
      return;
    }
  } catch (...) {
    // As in the loop: whatever the step raises drops the rest of it only.
  }
  ProcessMessages();
}

bool Run_ControlEnabled(ERunControl control) {
  const bool running = RunState.GameRunning, paused = RunState.GamePaused;
  switch (control) {
    case ERunControl::Run:
    case ERunControl::Step: return running && paused;
    case ERunControl::Pause: return running && !paused;
    case ERunControl::Restart:
    case ERunControl::Stop: return running;
  }
  return false;
}

void Run_Control(ERunControl control) {
  if (!Run_ControlEnabled(control)) return;
  switch (control) {
    case ERunControl::Run: RunGame(); break;
    case ERunControl::Pause: RunState.GamePaused = true; break;
    case ERunControl::Step: SingleStep(); break;
    case ERunControl::Restart:
      RunState.PendingRoom = REQUEST_RESTART;
      if (RunState.GamePaused) RunGame();
      break;
    case ERunControl::Stop:
      if (RunState.GamePaused) EndGame();
      RunState.GameRunning = false;
      RunState.GamePaused = false;
      break;
  }
}

void HandleFunctionKeys() {
  enum : int32_t { KEY_ESCAPE = 27, KEY_F1 = 112, KEY_F4 = 115, KEY_F5 = 116, KEY_F6 = 117, KEY_F9 = 120 };
  int32_t& last = IO_Input.keyboard_lastkey;
  if (last == KEY_F1 && Settings.KeyF1) {
    Help_Show();  // clears all input, the last key included
  } else if (last == KEY_ESCAPE && Settings.KeyEsc) {
    RunState.PendingRoom = REQUEST_END;
  } else if (last == KEY_F4 && Settings.KeyF4) {
    Window_ToggleFullScreen();
  } else if (last == KEY_F5 && Settings.KeyF5F6) {
    SaveGameToFile(SaveGame_KeyFile());
  } else if (last == KEY_F6 && Settings.KeyF5F6) {
    LoadGame(SaveGame_KeyFile());
  } else if (last == KEY_F9 && Settings.KeyF9) {
    if (D3D_DeviceExists()) Display_SaveScreenshot("");
  } else {
    return;
  }
  last = 0;
}

void Run_SetLibraryInitCode(std::vector<std::string> code) { g_LibraryInitCode = std::move(code); }

void StartGame() {
  BuildEventLists();
  Runner_ResetGame();
  for (const std::string& text : g_LibraryInitCode) {
    if (text.empty()) continue;
    RunWithTemporaryInstance(text, "COMPILATION ERROR in library initialization code", true);
  }
  // A failed library or package initialisation ends the game before any
  // room: entering one would clear the request that stops it.
  if (Error_Aborting() || !Extension_Initialize()) return;
  // A cursor the last game changed is put back as the settings have it.
  Window_SetCursor(Settings.ShowCursor ? CURSOR_DEFAULT : CURSOR_NONE);
  Room_RuntimeCopies().clear();
  Room_RuntimeCopies().resize(static_cast<size_t>(Room_TableSize()));
  FreeCarried();
  const std::vector<int32_t>& order = Room_Order();
  GotoRoom(order.empty() ? 0 : order.front(), true);
}

void Run_Reset() {
  Room_SetCurrent(-1, nullptr);
  Room_RuntimeCopies().clear();
  FreeCarried();
  g_LibraryInitCode.clear();
}

void EndGame() {
  LeaveRoom(true);
  // The game is over: persistent instances have nowhere to go.
  FreeCarried();
  Room_SetCurrent(RoomIndex, nullptr);
  Room_RuntimeCopies().clear();
  if (Extension_Finalize()) Window_ShowDefaultCursor();
}

void ChangeRoom(int32_t index) {
  LeaveRoom(false);
  GotoRoom(index, false);
}

void LeaveRoom(bool game_ending) {
  CRoom* room = Room_Current();
  if (!room) return;
  // Every way out of a room, a restart included, captures its last picture
  // for the transition the next room's first picture ends.
  Transition_Begin(Game.transition_kind, Game.transition_steps);
  room->RemoveDestroyed();
  int32_t request = RunState.PendingRoom;
  RunState.PendingRoom = REQUEST_NONE;
  PerformEventForAll(EV_OTHER, EV_ROOM_END);
  if (game_ending) PerformEventForAll(EV_OTHER, EV_GAME_END);
  RunState.PendingRoom = request;

  FreeCarried();
  for (CInstance* inst : room->Instances()) {
    if (inst->destroyed || !inst->persistent) continue;
    CInstance* carried = Instance_New();
    carried->CopyFrom(*inst);
    g_Carried.push_back(carried);
    Instance_MarkDestroyed(inst);
  }
  if (!room->persistent) {
    auto& copies = Room_RuntimeCopies();
    Room_SetCurrent(RoomIndex, nullptr);
    if (RoomIndex >= 0 && RoomIndex < static_cast<int32_t>(copies.size())) copies[RoomIndex].reset();
  }
}

void GotoRoom(int32_t index, bool first_room) {
  RunState.PendingRoom = REQUEST_NONE;
  IO_ClearAll();
  Effect_Clear();
  auto& copies = Room_RuntimeCopies();
  if (index < 0) index = 0;
  if (index >= static_cast<int32_t>(copies.size())) copies.resize(static_cast<size_t>(index) + 1);
  bool fresh = !copies[index];
  if (fresh) {
    copies[index] = std::make_unique<CRoom>();
    if (CRoom* resource = Room_Resource(index)) copies[index]->CopyFrom(*resource);
  }
  CRoom* room = copies[index].get();
  Room_SetCurrent(index, room);
  Room_SetRegion(*room);
  if (first_room) Display_ShowWindow();

  size_t own = room->Instances().size();
  if (!g_Carried.empty()) {
    std::vector<int32_t> ids;
    for (const CInstance* c : g_Carried) ids.push_back(c->id);
    std::sort(ids.begin(), ids.end());
    for (CInstance* inst : room->Instances())
      if (std::binary_search(ids.begin(), ids.end(), inst->id)) Instance_MarkDestroyed(inst);
    for (CInstance*& carried : g_Carried) {
      CInstance* inst = Instance_New();
      inst->Create(Instance_NewId(), carried->object_index, carried->x, carried->y);
      inst->CopyFrom(*carried);
      room->AdoptInstance(inst);
      Instance_Free(carried);
      carried = nullptr;
    }
    g_Carried.clear();
  }

  if (fresh) {
    // Creation code and create event alternate instance by instance.
    for (size_t i = 0; i < own && i < room->Instances().size(); i++) {
      CInstance* inst = room->Instances()[i];
      if (inst->destroyed) continue;
      if (!inst->creation_code.empty()) {
        CCode code(inst->creation_code, false);
        if (code.Compile()) {
          RValue result;
          ExecuteReporting(inst, inst, code, result);
        } else {
          ReportError("COMPILATION ERROR in initialization code for instance\r" + RecordedError(), false);
          ClearRecordedError();
        }
      }
      PerformEvent(inst, inst, EV_CREATE, 0);
    }
  }
  if (first_room) PerformEventForAll(EV_OTHER, EV_GAME_START);
  if (fresh && !room->creation_code.empty())
    RunWithTemporaryInstance(room->creation_code, "COMPILATION ERROR in room script", false);
  PerformEventForAll(EV_OTHER, EV_ROOM_START);

  // The room's first picture, before its first step: drawing sorts the
  // instances by depth and runs their draw events, and its presentation
  // plays the transition from the room left, which is then used up.
  if (RunState.PendingRoom == REQUEST_NONE && RunState.AutomaticDraw) {
    if (CRoom* current = Room_Current()) Room_Draw(*current);
    PresentFrame();
    Game.transition_kind = 0;
  } else if (!RunState.AutomaticDraw) {
    // The game draws for itself: its pictures must reach the screen, not
    // the transition's second picture.
    Transition_Cancel();
  }
}
