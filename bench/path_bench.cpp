// Path benchmarks. FollowSmoothPaths: 1,000 instances on closed smooth paths
// (8 points, precision 6) each advance one step along their path; the time
// reported is one step of all 1,000. GridPath: a route across a 200 x 200
// grid with 30 % of its cells forbidden at random, corner to corner, with and
// without diagonals; the time reported is one search.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "step/Motion_Grid.h"
#include "step/Path_Main.h"
#include "world/Instance_Class.h"

namespace {

constexpr int32_t kInstances = 1000;
constexpr int32_t kPaths = 10;

void FollowSmoothPaths(benchmark::State& state) {
  RSlots<RPathRecord> records;
  for (int32_t p = 0; p < kPaths; p++) {
    RPathRecord r;
    r.kind = PATH_SMOOTH;
    r.precision = 6;
    for (int32_t k = 0; k < 8; k++) {
      const double a = k * 2 * 3.14159265358979 / 8, radius = 100 + 20 * ((k + p) % 3);
      r.points.push_back({400 + radius * std::cos(a), 300 + radius * std::sin(a), 50.0 + 25 * (k % 3)});
    }
    records.emplace_back(r);
  }
  Path_Install(records);
  std::vector<CInstance> instances(kInstances);
  for (int32_t i = 0; i < kInstances; i++) {
    instances[i].Create(INSTANCE_ID_BASE + i, -1, i % 40 * 20, i / 40 * 20);
    Path_Start(&instances[i], i % kPaths, 2 + i % 5, PATH_END_RESTART, i % 2 == 0, i % 360, 1 + i % 3 * 0.5);
  }
  int64_t ends = 0;
  for (auto _ : state) {
    for (CInstance& inst : instances) ends += Path_AdvanceInstance(&inst);
  }
  benchmark::DoNotOptimize(ends);
  state.counters["instances"] = kInstances;
  Path_Install({});
}
BENCHMARK(FollowSmoothPaths)->Unit(benchmark::kMicrosecond);

void GridPath(benchmark::State& state) {
  const bool diagonal = state.range(0) != 0;
  const int32_t g = Motion_GridCreate(0, 0, 200, 200, 8, 8);
  CGrid* grid = Motion_Grid(g);
  uint32_t seed = 4711;
  for (int32_t i = 0; i < 200; i++) {
    for (int32_t j = 0; j < 200; j++) {
      seed = seed * 134775813u + 1;
      if ((static_cast<uint64_t>(seed) * 100 >> 32) < 30) grid->SetCell(i, j, GRID_FORBIDDEN);
    }
  }
  grid->SetCell(0, 0, GRID_FREE);
  grid->SetCell(199, 199, GRID_FREE);
  Path_Install({RPathRecord{}});
  CPath& path = *Path_Get(0);
  bool found = false;
  for (auto _ : state) found = grid->FindPath(path, 4, 4, 1596, 1596, diagonal);
  if (!found) state.SkipWithError("no route across the grid");
  state.counters["points"] = path.Count();
  Motion_Reset();
  Path_Install({});
}
BENCHMARK(GridPath)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
