// Reading and writing a game file with many sprite images, objects and rooms.
#include <benchmark/benchmark.h>

#include "data/DataNew_Main.h"
#include "gamepack/Gamepack.h"

namespace {

RGameData LargeGame() {
  CGameBuilder builder;
  for (int i = 0; i < 50; i++) builder.AddSprite("spr" + std::to_string(i), 64, 64, 0xFF000000u | i * 0x010203u, 4);
  for (int i = 0; i < 200; i++) {
    int32_t object = builder.AddObject("obj" + std::to_string(i), i % 50);
    for (int e = 0; e < 5; e++) builder.AddEvent(object, 3, e % 3, "x += " + std::to_string(e) + ";\r\ny = x * 2;");
  }
  for (int i = 0; i < 2000; i++) builder.AddInstance(0, i % 200, i % 640, i / 640 * 32);
  return std::move(builder.Game());
}

void BM_WriteGameFile(benchmark::State& state) {
  RGameData game = LargeGame();
  for (auto _ : state) {
    CStream out;
    WriteGameFile(out, game);
    benchmark::DoNotOptimize(out.Size());
    state.SetBytesProcessed(state.bytes_processed() + out.Size());
  }
}
BENCHMARK(BM_WriteGameFile)->Unit(benchmark::kMillisecond);

void BM_ReadGameFile(benchmark::State& state) {
  CStream file;
  WriteGameFile(file, LargeGame());
  for (auto _ : state) {
    file.SetPosition(0);
    RGameData game;
    benchmark::DoNotOptimize(ReadGameFile(file, game));
    state.SetBytesProcessed(state.bytes_processed() + file.Size());
  }
}
BENCHMARK(BM_ReadGameFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
