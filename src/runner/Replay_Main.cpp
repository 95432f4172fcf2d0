#include "runner/Replay_Main.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "data/Option_Main.h"
#include "data/Replay_Log.h"
#include "data/Support_Stream.h"
#include "graphics/Graphics_Window.h"
#include "platform/Platform.h"
#include "runner/Replay_Monkey.h"
#include "runner/Runner_Form.h"
#include "step/IO_Main.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Global.h"
#include "world/Run_State.h"

namespace {

// The run. Lifetime: the program; ReplayRun_Reset empties it.
struct RReplayRun {
  bool start_failed = false;
  bool announced = false;  // the failure message was printed
  bool monkey_wanted = false;
  std::unique_ptr<CMonkey> monkey;
  std::vector<RMonkeyAction> actions;  // the monkey's step, reused
  std::optional<uint64_t> digest;
};
RReplayRun g_Run;

void Announce(const std::string& message) {
  if (g_Run.announced) return;
  g_Run.announced = true;
  std::fprintf(stderr, "runner: %s\n", message.c_str());
}

// A playing that went wrong ends the game at once, with its message.
void EndOnFailure() {
  if (!Replay_Failed()) return;
  Announce(Replay_Error());
  RunState.PendingRoom = REQUEST_END;
}

class CDigest {
 public:
  void Add(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; i++) hash_ = (hash_ ^ p[i]) * 0x100000001B3ull;
  }
  template <typename T>
  void Add(T value) {
    Add(&value, sizeof value);
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ull;  // 64-bit FNV-1a
};

}  // namespace

uint64_t Replay_StateDigest() {
  CDigest d;
  d.Add<int32_t>(RoomIndex);
  d.Add<int32_t>(Instance_LastId);
  if (const CRoom* room = Room_Current())
    for (const CInstance* inst : room->Instances()) {
      if (inst->destroyed) continue;
      d.Add<int32_t>(inst->id);
      d.Add<int32_t>(inst->object_index);
      d.Add<double>(inst->x);
      d.Add<double>(inst->y);
    }
  d.Add<int32_t>(Game.score);
  d.Add<int32_t>(Game.lives);
  d.Add<double>(Game.health);
  CStream globals;
  WriteGlobals(globals);
  d.Add(globals.Bytes().data(), globals.Bytes().size());
  return d.Value();
}

bool ReplayRun_Start() {
  const RRunnerOptions& o = RunnerOptions;
  std::string error;
  bool ok = true;
  if (!o.record_file.empty()) {
    ok = Replay_StartRecording(o.record_file, GameId, error);
  } else if (!o.replay_file.empty()) {
    ok = Replay_StartPlaying(o.replay_file, error);
    if (ok && Replay_GameId() != GameId) {
      error = o.replay_file + ": recorded with another game (id " + std::to_string(Replay_GameId()) +
              "; this game has id " + std::to_string(GameId) + ")";
      Replay_Reset();
      ok = false;
    }
    // Nobody watches a headless playing: it runs as fast as it can.
    if (ok && !Platform_HasDisplay()) RunnerOptions.unthrottled = true;
  }
  if (!ok) {
    g_Run.start_failed = true;
    Announce(error);
    return false;
  }
  g_Run.monkey_wanted = o.monkey;
  return true;
}

void ReplayRun_BeforeStep(uint32_t step) {
  if (g_Run.monkey_wanted && !g_Run.monkey) {
    // The window has its size once the first room is entered.
    RMonkeyPlayground playground = Monkey_Playground(Platform_HasDisplay());
    playground.width = Window_GetWidth();
    playground.height = Window_GetHeight();
    g_Run.monkey = std::make_unique<CMonkey>(RunnerOptions.monkey_seed, std::move(playground));
  }
  if (g_Run.monkey) {
    g_Run.monkey->Step(g_Run.actions);
    for (const RMonkeyAction& a : g_Run.actions) {
      if (a.move)
        Window_MouseSet(a.x, a.y);
      else
        IO_LiveInput(a.input, a.x);
    }
  }
  if (Replay_Mode() != ReplayMode::Off) Replay_Mark(REPLAY_MARK_STEP, step);
  EndOnFailure();
}

bool ReplayRun_StopAfterStep(bool limit) {
  EndOnFailure();
  if (Replay_Mode() != ReplayMode::Play) return Replay_RunnerStop(limit);
  if (Replay_RunnerStop(false)) return true;
  // Fewer steps than the record holds: the rest is not played.
  if (limit) Replay_Detach();
  return limit;
}

void ReplayRun_AfterWait() {
  if (Replay_Mode() == ReplayMode::Off) return;
  Replay_Mark(REPLAY_MARK_FRAME);
  EndOnFailure();
}

void ReplayRun_GameOver() { g_Run.digest = Replay_StateDigest(); }

bool ReplayRun_Finish() {
  if (g_Run.start_failed) return false;
  if (Replay_Finish()) return true;
  Announce(Replay_Error());
  return false;
}

std::optional<uint64_t> ReplayRun_Digest() { return g_Run.digest; }

void ReplayRun_Reset() {
  Replay_Reset();
  g_Run = RReplayRun{};
}
