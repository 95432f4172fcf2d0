// Collision benchmark: 2,000 moving instances in a 1280 x 960 room, of which
// 200 have a collision event with a solid wall object of 500 instances; the
// other 1,800 have no collision event. Every step moves the instances (not
// timed) and runs the collision phase (timed): the reported time is the
// collision phase's time per step; events_per_step counts the collision
// events raised.
#include <benchmark/benchmark.h>

#include <chrono>

#include "data/DataNew_Class.h"
#include "runner/Run_Main.h"
#include "step/Run_Handle_Collision.h"
#include "runner/Builtins_Main.h"
#include "variables/Function_Math.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kWalls = 500;
constexpr int32_t kBalls = 200;
constexpr int32_t kDrifters = 1800;
constexpr int32_t kWidth = 1280, kHeight = 960;
enum : int32_t { kWall = 0, kBall = 1, kDrifter = 2 };

// Every object uses sprite 0: a 16 x 16 box.
bool Box16(int32_t sprite, RSpriteShape& out) {
  if (sprite != 0) return false;
  out = RSpriteShape{1, 0, 0, 15, 15, 0, 0, false};
  return true;
}

REventRecord Code(const char* text) {
  RActionRecord action;
  action.argValues = {text};
  return REventRecord{DATA_EVENT_VERSION, {action}};
}

void InstallObjects() {
  Builtins_RegisterAll();
  ResetGlobals();
  Instance_SetSpriteSource(Box16);
  RSlots<RObjectRecord> records(3);
  for (auto& r : records) {
    r.emplace();
    r->sprite = 0;
  }
  records[kWall]->solid = true;
  records[kBall]->events.push_back(RObjectEvent{EV_COLLISION, kWall, Code("hits += 1; hspeed = -hspeed; vspeed = -vspeed")});
  records[kBall]->events.push_back(RObjectEvent{EV_CREATE, 0, Code("hits = 0")});
  Object_Install(records);
  Object_CompileAll();
  BuildEventLists();
}

void Populate(CRoom& room) {
  Random_SetSeed(12345);
  auto create = [&](int32_t object, int32_t count) {
    for (int32_t i = 0; i < count; i++) {
      CInstance* inst =
          room.CreateInstance(Instance_NewId(), object, Random_Below(kWidth - 16), Random_Below(kHeight - 16));
      if (object != kWall) inst->SetSpeed(1 + Random_Below(3)), inst->SetDirection(Random_Below(360));
      PerformEvent(inst, inst, EV_CREATE, 0);
    }
  };
  create(kWall, kWalls);
  create(kDrifter, kDrifters / 2);
  create(kBall, kBalls);
  create(kDrifter, kDrifters - kDrifters / 2);
}

// The motion part of a step: previous positions, then the move, wrapped
// round the room.
void Move(CRoom& room) {
  for (CInstance* inst : room.Instances()) {
    inst->xprevious = inst->x;
    inst->yprevious = inst->y;
    double x = inst->x + inst->hspeed, y = inst->y + inst->vspeed;
    if (x < 0) x += kWidth;
    if (x >= kWidth) x -= kWidth;
    if (y < 0) y += kHeight;
    if (y >= kHeight) y -= kHeight;
    inst->SetPosition(x, y);
  }
}

void BM_CollisionPhase(benchmark::State& state) {
  InstallObjects();
  CRoom room;
  room.width = kWidth;
  room.height = kHeight;
  Room_SetCurrent(0, &room);
  Populate(room);
  for (auto _ : state) {
    Move(room);
    auto start = std::chrono::steady_clock::now();
    Collision_StepPhase();
    auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  // Only the balls have the event: their hit counts are the events raised.
  RValue hits;
  double total = 0;
  for (CInstance* inst : room.ObjectInstances(kBall))
    if (inst->variables.Get(VariableIdOf("hits"), 0, hits)) total += hits.real;
  state.counters["events_per_step"] = total / static_cast<double>(state.iterations());
  Room_SetCurrent(-1, nullptr);
  room.ClearInstances();
  Instance_SetSpriteSource(nullptr);
}
BENCHMARK(BM_CollisionPhase)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
