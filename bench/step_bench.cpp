// Step benchmark: 10,000 instances whose step event does a few arithmetic
// assignments and whose alarm 0 sets itself again, stepped 1,000 times
// without drawing and without waiting. Prints steps per second and the time
// per instance-event (the step time divided by the events it raised), and
// the alarms fired, to check bench/lua/step/step.lua against.
#include <benchmark/benchmark.h>

#include "data/DataNew_Class.h"
#include "runner/Run_Main.h"
#include "step/Run_Step.h"
#include "variables/Code_Variable.h"
#include "runner/Builtins_Main.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kInstances = 10000;
constexpr int32_t kSteps = 1000;
constexpr int32_t kAlarmPeriod = 10;

REventRecord Code(const char* text) {
  RActionRecord action;
  action.argValues = {text};
  return REventRecord{DATA_EVENT_VERSION, {action}};
}

void InstallObject() {
  Builtins_RegisterAll();
  ResetGlobals();
  RObjectRecord r;
  // Alarms spread over the period, so that every step fires a tenth of them.
  r.events.push_back(RObjectEvent{EV_CREATE, 0, Code("total = 0; fired = 0; alarm[0] = 1 + id mod 10")});
  r.events.push_back(RObjectEvent{EV_STEP, 0, Code("a = x + 1; b = a * 2 - y; c = (a + b) / 2; total += c")});
  r.events.push_back(RObjectEvent{EV_ALARM, 0, Code("alarm[0] = 10; fired += 1")});
  RSlots<RObjectRecord> records;
  records.emplace_back(r);
  Object_Install(records);
  Object_CompileAll();
  BuildEventLists();
}

void BM_Step10000(benchmark::State& state) {
  InstallObject();
  CRoom room;
  Room_SetCurrent(0, &room);
  RunState.AutomaticDraw = false;
  for (int32_t i = 0; i < kInstances; i++) {
    CInstance* inst = room.CreateInstance(Instance_NewId(), 0, i % 640, i / 640);
    PerformEvent(inst, inst, EV_CREATE, 0);
  }
  for (auto _ : state) DoStep();
  const double events = static_cast<double>(state.iterations()) * (kInstances + kInstances / kAlarmPeriod);
  state.counters["steps_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["ns_per_event"] =
      benchmark::Counter(events * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  const int32_t fired = VariableIdOf("fired");
  double total = 0;
  for (CInstance* inst : room.Instances()) {
    RValue value;
    if (inst->variables.Get(fired, 0, value)) total += value.real;
  }
  state.counters["fired"] = total;
  if (RunState.PendingRoom != REQUEST_NONE) state.SkipWithError("a step made a request");
  Room_SetCurrent(-1, nullptr);
}
BENCHMARK(BM_Step10000)->Iterations(kSteps)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
