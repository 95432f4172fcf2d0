// String and math built-ins, each called directly through the registry. The
// script suite (script_bench, case "strings") measures them inside programs.
#include <benchmark/benchmark.h>

#include <initializer_list>

#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

namespace {

// Calls one built-in repeatedly with the same arguments.
void CallRepeatedly(benchmark::State& state, const char* name, std::initializer_list<RValue> args) {
  Builtins_RegisterAll();
  int32_t id = Function_BuiltinIdOf(name);
  RValue slots[MAX_ARGUMENTS];
  int argc = 0;
  for (const RValue& a : args) slots[argc++] = a;
  for (auto _ : state) {
    RValue result;
    CallBuiltin(id, nullptr, nullptr, argc, slots, result);
    benchmark::DoNotOptimize(result);
  }
}

RValue Text(const char* s) { return RValue(std::string(s)); }

void BM_StringCopy(benchmark::State& s) { CallRepeatedly(s, "string_copy", {Text("abcdefghij"), RValue(3), RValue(4)}); }
void BM_StringPos(benchmark::State& s) { CallRepeatedly(s, "string_pos", {Text("ghi"), Text("abcdefghij")}); }
void BM_StringReplaceAll(benchmark::State& s) {
  CallRepeatedly(s, "string_replace_all", {Text("a,b,c,d,e,f"), Text(","), Text(", ")});
}
void BM_StringFormat(benchmark::State& s) { CallRepeatedly(s, "string_format", {RValue(3.14159), RValue(8), RValue(3)}); }
void BM_StringOfReal(benchmark::State& s) { CallRepeatedly(s, "string", {RValue(1234.5678)}); }
void BM_Power(benchmark::State& s) { CallRepeatedly(s, "power", {RValue(1.5), RValue(7)}); }
void BM_PointDirection(benchmark::State& s) {
  CallRepeatedly(s, "point_direction", {RValue(1), RValue(2), RValue(30), RValue(-40)});
}
void BM_Median(benchmark::State& s) {
  CallRepeatedly(s, "median", {RValue(5), RValue(1), RValue(4), RValue(2), RValue(3), RValue(9), RValue(7)});
}

BENCHMARK(BM_StringCopy);
BENCHMARK(BM_StringPos);
BENCHMARK(BM_StringReplaceAll);
BENCHMARK(BM_StringFormat);
BENCHMARK(BM_StringOfReal);
BENCHMARK(BM_Power);
BENCHMARK(BM_PointDirection);
BENCHMARK(BM_Median);

}  // namespace

BENCHMARK_MAIN();
