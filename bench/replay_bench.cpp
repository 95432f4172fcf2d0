// The cost of recording and playing back one step of a busy game (a few
// input events, the marks and a handful of values read from outside), and
// what a value read costs when nothing is recorded.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "data/Replay_Log.h"

namespace {

constexpr int kValuesPerStep = 6;

void OneStep(uint32_t step) {
  for (int32_t key : {37, 38}) Replay_NoteInput(REPLAY_KEY_DOWN, key);
  Replay_Mark(REPLAY_MARK_STEP, step);
  for (int i = 0; i < kValuesPerStep; i++) benchmark::DoNotOptimize(Replay_Real(REPLAY_MOUSE, [i] { return i; }));
  Replay_RunnerStop(false);
  Replay_Mark(REPLAY_MARK_FRAME);
}

std::string RecordPath() { return "/tmp/velmora_replay_bench.rec"; }

void BM_RecordStep(benchmark::State& state) {
  std::string error;
  Replay_StartRecording(RecordPath(), 1, error);
  uint32_t step = 0;
  for (auto _ : state) OneStep(++step);
  Replay_Finish();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordStep);

void BM_PlayStep(benchmark::State& state) {
  constexpr uint32_t kSteps = 100000;
  std::string error;
  Replay_StartRecording(RecordPath(), 1, error);
  for (uint32_t step = 1; step <= kSteps; step++) OneStep(step);
  Replay_Finish();
  std::ifstream in(RecordPath(), std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Replay_SetInputHandler([](RReplayInput, int32_t) {});
  uint32_t step = kSteps;
  for (auto _ : state) {
    if (step == kSteps) {
      state.PauseTiming();
      Replay_StartPlayingBytes(bytes, error);
      step = 0;
      state.ResumeTiming();
    }
    OneStep(++step);
  }
  Replay_Reset();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlayStep);

void BM_ValueReadNotRecorded(benchmark::State& state) {
  Replay_Reset();
  double v = 0;
  for (auto _ : state) benchmark::DoNotOptimize(v += Replay_Real(REPLAY_FPS, [] { return 30; }));
}
BENCHMARK(BM_ValueReadNotRecorded);

}  // namespace

BENCHMARK_MAIN();
