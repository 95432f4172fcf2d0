// Speed of the file layer: INI reads that hit the cached document, INI
// writes with their atomic replace, byte-wise binary reads and path lookups.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "functions/Support_Ini.h"
#include "data/Support_Path.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

namespace {

// A scratch folder as the working directory for the whole run.
struct RScratch {
  std::filesystem::path dir;
  RScratch() {
    char name[] = "/tmp/vl_file_bench_XXXXXX";
    dir = mkdtemp(name);
    std::filesystem::current_path(dir);
    std::ofstream ini("bench.ini", std::ios::binary);
    for (int s = 0; s < 10; s++) {
      ini << "[Section" << s << "]\r\n";
      for (int k = 0; k < 20; k++) ini << "Key" << k << "=" << s * 100 + k << "\r\n";
    }
    std::ofstream bin("bench.bin", std::ios::binary);
    bin << std::string(1 << 20, 'x');
    std::filesystem::create_directories("Data/Levels");
    std::ofstream("Data/Levels/One.txt") << "1";
  }
  ~RScratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

RScratch& Scratch() {
  static RScratch scratch;
  return scratch;
}

void BM_IniReadKey(benchmark::State& state) {
  Scratch();
  CIniFile ini("bench.ini");
  std::string value;
  for (auto _ : state) benchmark::DoNotOptimize(ini.Read("section9", "key19", value));
}
BENCHMARK(BM_IniReadKey);

void BM_IniWriteKey(benchmark::State& state) {
  Scratch();
  CIniFile ini("bench.ini");
  int i = 0;
  for (auto _ : state) ini.Write("Section5", "Key5", std::to_string(i++));
}
BENCHMARK(BM_IniWriteKey);

void BM_BinReadMegabyte(benchmark::State& state) {
  Scratch();
  Builtins_RegisterAll();
  BuiltinCallback open = Function_Callback(Function_BuiltinIdOf("file_bin_open"));
  BuiltinCallback seek = Function_Callback(Function_BuiltinIdOf("file_bin_seek"));
  BuiltinCallback read = Function_Callback(Function_BuiltinIdOf("file_bin_read_byte"));
  BuiltinCallback close = Function_Callback(Function_BuiltinIdOf("file_bin_close"));
  RValue args[MAX_ARGUMENTS], result;
  args[0] = RValue(std::string("bench.bin"));
  args[1] = RValue(0.0);
  open(nullptr, nullptr, 2, args, result);
  args[0] = result;
  for (auto _ : state) {
    args[1] = RValue(0.0);
    seek(nullptr, nullptr, 2, args, result);
    for (int i = 0; i < (1 << 20); i++) read(nullptr, nullptr, 1, args, result);
  }
  close(nullptr, nullptr, 1, args, result);
  state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_BinReadMegabyte);

void BM_PathResolve(benchmark::State& state) {
  Scratch();
  const char* name = state.range(0) == 0 ? "Data\\Levels\\One.txt" : "data\\levels\\one.TXT";
  for (auto _ : state) benchmark::DoNotOptimize(Path_Resolve(name));
}
BENCHMARK(BM_PathResolve)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
