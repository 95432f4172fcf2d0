// Compiles about 1 MB of generated, varied statements, as one program and as
// script-sized pieces; the throughput is the bytes_per_second column (MB/s).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Main.h"
#include "data/Resource_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"

namespace {

// Pieces of code of about `piece` bytes each, `size` bytes in all.
std::vector<std::string> GeneratePieces(size_t size, size_t piece) {
  static const char* const kNames[] = {"x", "y", "speed", "count", "total", "name", "i", "j", "hp", "score"};
  static const char* const kOps[] = {"+", "-", "*", "/", "div", "mod", "<", ">=", "==", "!=", "&&", "||", "&", "|", "<<"};
  uint32_t seed = 12345;
  auto next = [&](uint32_t n) {
    seed = seed * 134775813u + 1u;
    return (seed >> 8) % n;
  };
  auto name = [&] { return std::string(kNames[next(10)]); };
  auto operand = [&]() -> std::string {
    switch (next(6)) {
      case 0: return std::to_string(next(1000) + 1);
      case 1: return std::to_string(next(100)) + "." + std::to_string(next(100) + 1);
      case 2: return "obj_enemy." + name();
      case 3: return name() + "[" + name() + ", 2]";
      case 4: return "bench_fn(" + name() + ", 'text')";
      default: return name();
    }
  };
  auto expression = [&] {
    std::string e = operand();
    for (uint32_t k = next(4); k > 0; k--) e += std::string(" ") + kOps[next(15)] + " " + operand();
    return next(3) == 0 ? "(" + e + ")" : e;
  };
  std::vector<std::string> pieces;
  size_t total = 0;
  std::string text = "var i, j, tmp;\r\n";
  while (total + text.size() < size) {
    if (text.size() >= piece) {
      total += text.size();
      pieces.push_back(std::move(text));
      text = "var i, j, tmp;\r\n";
    }
    switch (next(9)) {
      case 0: text += name() + " = " + expression() + ";\r\n"; break;
      case 1: text += name() + " += " + expression() + "\r\n"; break;
      case 2: text += "if (" + expression() + ") {\r\n  " + name() + " = 1;\r\n} else " + name() + " -= 2;\r\n"; break;
      case 3: text += "for (i = 0; i < 10; i += 1) {\r\n  total += i * " + operand() + ";\r\n}\r\n"; break;
      case 4: text += "while (" + expression() + ") " + name() + " *= 0.5;\r\n"; break;
      case 5: text += "with (obj_enemy) { hp -= " + operand() + "; if hp <= 0 then exit }\r\n"; break;
      case 6:
        text += "switch (" + name() + ") {\r\n  case 1: " + name() + " = 'one'; break;\r\n  default: " + name() +
                " = " + expression() + ";\r\n}\r\n";
        break;
      case 7: text += "// a comment about " + name() + "\r\nbench_fn(" + expression() + ");\r\n"; break;
      default: text += "repeat (3) { " + name() + " = " + expression() + " }\r\n"; break;
    }
  }
  pieces.push_back(std::move(text));
  return pieces;
}

void RegisterBenchNames() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterFunction("bench_fn", [](CInstance*, CInstance*, int, RValue*, RValue&) {}, -1);
  Resource_SetName(RESOURCE_OBJECT, 0, "obj_enemy");
}

// Compiles every piece once per iteration; bytes_per_second is the throughput.
void CompilePieces(benchmark::State& state, const std::vector<std::string>& pieces) {
  int64_t bytes = 0;
  for (const std::string& p : pieces) bytes += static_cast<int64_t>(p.size());
  for (auto _ : state) {
    for (const std::string& p : pieces) {
      CCode code(p, false);
      if (!code.Compile()) {
        state.SkipWithError(RecordedError().c_str());
        return;
      }
      benchmark::DoNotOptimize(code.Root());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

// One program of 1 MB.
void BM_CompileProgram(benchmark::State& state) {
  RegisterBenchNames();
  CompilePieces(state, GeneratePieces(1 << 20, 1 << 21));
}
BENCHMARK(BM_CompileProgram)->Unit(benchmark::kMillisecond);

// 1 MB as pieces of about 1 KB, the size of a typical script or action.
void BM_CompileScripts(benchmark::State& state) {
  RegisterBenchNames();
  CompilePieces(state, GeneratePieces(1 << 20, 1 << 10));
}
BENCHMARK(BM_CompileScripts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
