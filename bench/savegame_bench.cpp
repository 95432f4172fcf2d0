// Saved games: saving and loading a play state of two rooms with 10000
// instances (each with a few variables and an array), 2000 tiles and some
// globals. Saving includes the flush to disk; the counters give the file size
// and the instances per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "data/Option_Main.h"
#include "runner/Builtins_Main.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/Run_Command.h"

namespace {

constexpr int32_t kInstances = 10000;

// The play state, in a scratch folder that is the working directory.
struct RState {
  std::filesystem::path dir;
  RState() {
    char name[] = "/tmp/vl_savegame_bench_XXXXXX";
    dir = mkdtemp(name);
    std::filesystem::current_path(dir);
    Builtins_RegisterAll();
    ResetGlobals();
    GameId = 1;
    RSlots<RObjectRecord> objects(2);
    objects[0].emplace();
    objects[1].emplace();
    Object_Install(objects);
    auto& copies = Room_RuntimeCopies();
    copies.clear();
    for (int r = 0; r < 2; r++) {
      auto room = std::make_unique<CRoom>();
      room->persistent = true;
      for (int32_t i = 0; i < kInstances / 2; i++) {
        CInstance* inst = room->CreateInstance(Instance_NewId(), i % 2, i % 640, i / 640);
        inst->variables.Set(VariableIdOf("hp"), 0, RValue(100.0));
        inst->variables.Set(VariableIdOf("name"), 0, RValue(std::string("walker")));
        inst->variables.Set(VariableIdOf("path"), 9, RValue(1.0));
        inst->alarm[0] = i;
      }
      for (int32_t t = 0; t < 1000; t++) room->AddTile(RTile{t * 16.0, 0, 0, 0, 0, 16, 16, 100});
      copies.push_back(std::move(room));
    }
    Room_SetCurrent(0, copies[0].get());
    for (int32_t g = 0; g < 100; g++) SetGlobal(VariableIdOf("global" + std::to_string(g)), 0, RValue(g * 1.0));
    SaveGameToFile("state.sav");
  }
  ~RState() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

RState& State() {
  static RState state;
  return state;
}

void Counters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kInstances);
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(State().dir / "state.sav")) / 1024;
}

void BM_SaveGame(benchmark::State& state) {
  State();
  for (auto _ : state) benchmark::DoNotOptimize(SaveGameToFile("state.sav"));
  Counters(state);
}
BENCHMARK(BM_SaveGame)->Unit(benchmark::kMillisecond);

void BM_LoadGame(benchmark::State& state) {
  State();
  for (auto _ : state) benchmark::DoNotOptimize(LoadGameFromFile("state.sav"));
  Counters(state);
}
BENCHMARK(BM_LoadGame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
