// String and math built-ins: each called directly through the registry, and
// a program that builds strings with them through the interpreter (its Lua
// equivalent for comparison is bench/lua/strings.lua).
#include <benchmark/benchmark.h>

#include <initializer_list>

#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "data/Option_Main.h"
#include "variables/Code_Function.h"
#include "world/Instance_Class.h"

namespace {

// Calls one built-in repeatedly with the same arguments.
void CallRepeatedly(benchmark::State& state, const char* name, std::initializer_list<RValue> args) {
  RegisterAllFunctions();
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

// 200000 rounds of copying, replacing, searching and counting in short texts.
constexpr const char* kStringProgram =
    "var s, i, n, t; n = 0;"
    "for (i = 0; i < 200000; i += 1) {"
    "  t = string_copy('abcdefghij', i mod 10 + 1, 4);"
    "  s = string_replace_all(t + t, 'c', 'xy');"
    "  n += string_length(s) + string_pos('d', s) + string_count('x', s);"
    "}"
    "return n";

void BM_StringProgram(benchmark::State& state) {
  RegisterAllFunctions();
  Settings.DisplayErrors = false;
  CCode code(kStringProgram, false);
  if (!code.Compile()) {
    state.SkipWithError("does not compile");
    return;
  }
  CInstance self;
  self.id = 100001;
  RValue result;
  for (auto _ : state) {
    Execute(&self, &self, code, result);
    benchmark::DoNotOptimize(result);
  }
  state.counters["result"] = result.real;
}

BENCHMARK(BM_StringCopy);
BENCHMARK(BM_StringPos);
BENCHMARK(BM_StringReplaceAll);
BENCHMARK(BM_StringFormat);
BENCHMARK(BM_StringOfReal);
BENCHMARK(BM_Power);
BENCHMARK(BM_PointDirection);
BENCHMARK(BM_Median);
BENCHMARK(BM_StringProgram)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
