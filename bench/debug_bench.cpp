// Debugger benchmark: what the refresh after every step costs in debug mode.
// A room of 1,000 instances with three variables each; the debugger shown
// (without a display, so only the texts and pictures are made) with ten
// watches, and in the second case also the global, instances and one
// local-variable window visible; and painting the debugger window.
#include <benchmark/benchmark.h>

#include <memory>

#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "debug/Debug_Info.h"
#include "debug/Debug_Main.h"
#include "platform/Platform_Form.h"
#include "runner/Builtins_Main.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kInstances = 1000;

REventRecord Code(const char* text) {
  RActionRecord action;
  action.argValues = {text};
  return REventRecord{DATA_EVENT_VERSION, {action}};
}

struct RBenchWorld {
  CRoom room;
  RBenchWorld() {
    Builtins_RegisterAll();
    Debug_Install();
    ResetGlobals();
    RObjectRecord r;
    r.name = "obj_thing";
    r.events.push_back(RObjectEvent{EV_CREATE, 0, Code("hp = 10; name = 'thing'; speed_factor = 1.5")});
    RSlots<RObjectRecord> records;
    records.emplace_back(r);
    Object_Install(records);
    Resource_SetName(RESOURCE_OBJECT, 0, "obj_thing");
    Object_CompileAll();
    BuildEventLists();
    Room_SetCurrent(0, &room);
    for (int32_t i = 0; i < kInstances; i++) {
      CInstance* inst = room.CreateInstance(Instance_NewId(), 0, i % 640, i / 640);
      PerformEvent(inst, inst, EV_CREATE, 0);
    }
    DebugMode = true;
    Debug_Show();
    // Ten watches, answered as a person would type them.
    const char* const watches[] = {"instance_count", "1/3", "obj_thing.hp * 2", "room_speed", "score",
                                   "mouse_x + mouse_y", "string(lives)", "sqrt(2)", "global.unset", "x +"};
    for (const char* watch : watches) {
      Form_SetTestDriver([watch](CForm& form) {
        static_cast<CFormEdit*>(form.Find("Value"))->SetText(watch);
        form.Click("OkBtn");
      });
      Debug_Command(EDebugCommand::WatchAdd);
    }
    Form_SetTestDriver(nullptr);
  }
  ~RBenchWorld() {
    Debug_Reset();
    DebugMode = false;
    Room_SetCurrent(-1, nullptr);
  }
};

void BM_RefreshWatches(benchmark::State& state) {
  RBenchWorld world;
  for (auto _ : state) Debug_Refresh();
  state.counters["refreshes_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RefreshWatches)->Unit(benchmark::kMicrosecond);

void BM_RefreshWithWindows(benchmark::State& state) {
  RBenchWorld world;
  Debug_Command(EDebugCommand::ShowGlobals);
  Debug_Command(EDebugCommand::ShowInstances);
  Form_SetTestDriver([](CForm& form) {
    static_cast<CFormEdit*>(form.Find("Value"))->SetText("obj_thing");
    form.Click("OkBtn");
  });
  Debug_Command(EDebugCommand::ShowLocals);
  Form_SetTestDriver(nullptr);
  for (auto _ : state) Debug_Refresh();
  state.counters["refreshes_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RefreshWithWindows)->Unit(benchmark::kMicrosecond);

// Painting the window, as every pass does after a refresh changed it.
void BM_PaintWindow(benchmark::State& state) {
  RBenchWorld world;
  Debug_Refresh();
  RCanvas canvas;
  for (auto _ : state) {
    Debug_Form()->Invalidate();
    Debug_Form()->Paint(canvas);
  }
  state.counters["paints_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
