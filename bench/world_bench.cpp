// World benchmarks: creating and destroying instances, `with (all)` over a
// room, and event lookup through a parent chain. Prints the per-operation
// cost (Google Benchmark's time per item) and the bytes one instance costs
// in a room.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>

#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/DataNew_Class.h"
#include "runner/Builtins_Main.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kChain = 6;  // object 5 finds its event five parents up

// Objects 0 .. 5, each the parent of the next; object 0 alone has a step
// event (a code action). Object 6 stands alone without events.
void InstallObjects() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_RegisterAll();
  ResetGlobals();
  RSlots<RObjectRecord> records;
  for (int32_t i = 0; i <= kChain; i++) {
    RObjectRecord r;
    r.parent = i < kChain ? i - 1 : -1;
    records.emplace_back(r);
  }
  RActionRecord action;
  action.argValues = {"v = 1"};
  records[0]->events.push_back(RObjectEvent{EV_STEP, 0, REventRecord{DATA_EVENT_VERSION, {action}}});
  Object_Install(records);
  Object_CompileAll();
  BuildEventLists();
}

void BM_CreateDestroy(benchmark::State& state) {
  InstallObjects();
  CRoom room;
  Room_SetCurrent(0, &room);
  const int64_t n = state.range(0);
  for (auto _ : state) {
    for (int64_t i = 0; i < n; i++) {
      CInstance* inst = room.CreateInstance(Instance_NewId(), kChain, static_cast<double>(i), 0);
      PerformEvent(inst, inst, EV_CREATE, 0);
    }
    for (CInstance* inst : room.Instances()) {
      PerformEvent(inst, inst, EV_DESTROY, 0);
      inst->destroyed = true;
    }
    room.RemoveDestroyed();
  }
  state.SetItemsProcessed(state.iterations() * n);
  Room_SetCurrent(-1, nullptr);
}
BENCHMARK(BM_CreateDestroy)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same through scripts: instance_create in a loop, then instance_destroy
// in a with (all).
void BM_CreateDestroyScript(benchmark::State& state) {
  InstallObjects();
  CRoom room;
  Room_SetCurrent(0, &room);
  CCode create("repeat (100000) instance_create(0, 0, 6)", false), destroy("with (all) instance_destroy()", false);
  create.Compile();
  destroy.Compile();
  CInstance self;
  RValue result;
  for (auto _ : state) {
    Execute(&self, &self, create, result);
    Execute(&self, &self, destroy, result);
    room.RemoveDestroyed();
  }
  state.SetItemsProcessed(state.iterations() * 100000);
  Room_SetCurrent(-1, nullptr);
}
BENCHMARK(BM_CreateDestroyScript)->Unit(benchmark::kMillisecond);

void BM_WithAllAssign(benchmark::State& state) {
  InstallObjects();
  CRoom room;
  Room_SetCurrent(0, &room);
  const int64_t n = state.range(0);
  for (int64_t i = 0; i < n; i++) room.CreateInstance(Instance_NewId(), kChain, 0, 0);
  CCode code("with (all) v = 1", false);
  code.Compile();
  CInstance self;
  RValue result;
  for (auto _ : state) Execute(&self, &self, code, result);
  state.SetItemsProcessed(state.iterations() * n);
  Room_SetCurrent(-1, nullptr);
}
BENCHMARK(BM_WithAllAssign)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_EventLookup5Deep(benchmark::State& state) {
  InstallObjects();
  int32_t holder = -1;
  for (auto _ : state) benchmark::DoNotOptimize(FindEvent(kChain - 1, EV_STEP, 0, holder));
  if (holder != 0) state.SkipWithError("the event was not found five parents up");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventLookup5Deep);

// Performing the inherited event (lookup plus running `v = 1`).
void BM_PerformInherited(benchmark::State& state) {
  InstallObjects();
  CRoom room;
  Room_SetCurrent(0, &room);
  CInstance* inst = room.CreateInstance(Instance_NewId(), kChain - 1, 0, 0);
  for (auto _ : state) PerformEvent(inst, inst, EV_STEP, 0);
  state.SetItemsProcessed(state.iterations());
  Room_SetCurrent(-1, nullptr);
}
BENCHMARK(BM_PerformInherited);

// Heap bytes per instance in a room: an instance of an object without
// parent and without variables of its own, with its places in the room's
// arrays, lists and id index.
void PrintBytesPerInstance() {
  InstallObjects();
  constexpr int kCount = 100000;
  // Large arrays are mapped rather than taken from the heap: count both.
  auto used = [] {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
  };
  size_t before = used();
  {
    CRoom room;
    for (int i = 0; i < kCount; i++) room.CreateInstance(Instance_NewId(), kChain, 0, 0);
    size_t after = used();
    std::printf("bytes per instance: %.1f in a room (sizeof(CInstance) = %zu)\n",
                static_cast<double>(after - before) / kCount, sizeof(CInstance));
  }
}

}  // namespace

int main(int argc, char** argv) {
  PrintBytesPerInstance();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
