// Script benchmark suite. Each case is the code action of an object's step
// event, run for one instance of a room through the event dispatch as a game
// runs it: `var` locals, instance variables, scripts and built-ins as a game
// uses them. A case stores its answer in the instance variable `result`.
// Prints "name milliseconds result" per case, the best processor time of
// BENCH_RUNS runs (3 by default; 1 for counting instructions). The same work
// written idiomatically in Lua is in bench/lua; bench/run_script_bench.sh
// runs both and prints the ratios.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "Bench_Program.h"
#include "code/Code_Error.h"
#include "code/Code_Operator.h"
#include "code/Script_Main.h"
#include "data/DataNew_Class.h"
#include "data/Option_Main.h"
#include "runner/Builtins_Main.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Event_Class.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"
#include "world/Run_State.h"

namespace {

struct RBenchCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> scripts;
  const char* code;  // the step event's code action
};

const std::vector<RBenchCase> kCases = {
    {"fib27",
     {{"fib", "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)"}},
     "result = fib(27)"},
    // `var` locals in a counted for loop, mod on the right.
    {"loop10m", {}, "var i, s; s = 0; for (i = 0; i < 10000000; i += 1) s += (i * 2) mod 7; result = s"},
    // Instance variables in a repeat loop, div and mod.
    {"inst5m", {}, "n = 0; t = 0; repeat (5000000) { t += n div 3 mod 5; n += 1 } result = t"},
    {"array1d", {},
     "var a, i, s; s = 0;"
     "repeat (30) { for (i = 0; i < 32000; i += 1) a[i] = i; for (i = 0; i < 32000; i += 1) s += a[i] }"
     "result = s"},
    {"array2d", {},
     "var b, i, j, s; s = 0;"
     "for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) b[i, j] = i + j;"
     "for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) s += b[i, j];"
     "result = s"},
    {"calls2m", {{"add", "return argument0 + argument1"}},
     "var i, s; s = 0; for (i = 0; i < 2000000; i += 1) s = add(s, i); result = s"},
    // A text of about 1 MB built by +=, then pieces taken out of it.
    {"text1mb", {},
     "var s, i, n, t; s = ''; for (i = 0; i < 200000; i += 1) s += string(i);"
     "n = string_length(s);"
     "for (i = 0; i < 100000; i += 1) {"
     "  t = string_copy(s, i * 10 + 1, 8);"
     "  n += string_pos('7', t) + ord(string_char_at(s, i * 10 + 3));"
     "}"
     "result = n"},
    {"concat", {}, "var s, i; s = ''; for (i = 0; i < 20000; i += 1) s += 'abcdef'; result = string_length(s)"},
    {"strings", {},
     "var s, i, n, t; n = 0;"
     "for (i = 0; i < 200000; i += 1) {"
     "  t = string_copy('abcdefghij', i mod 10 + 1, 4);"
     "  s = string_replace_all(t + t, 'c', 'xy');"
     "  n += string_length(s) + string_pos('d', s) + string_count('x', s);"
     "}"
     "result = n"},
};

REventRecord CodeEvent(const char* text) {
  RActionRecord action;
  action.argValues = {text};
  return REventRecord{DATA_EVENT_VERSION, {action}};
}

bool RunCase(const RBenchCase& c, int runs) {
  ClearScripts();
  for (const auto& [name, text] : c.scripts) AddScript(name, text);
  RObjectRecord object;
  object.events.push_back(RObjectEvent{EV_STEP, 0, CodeEvent(c.code)});
  RSlots<RObjectRecord> records;
  records.emplace_back(object);
  Object_Install(records);
  if (!CompileScripts() || !Object_CompileAll()) {
    std::fprintf(stderr, "%s: %s\n", c.name, Error_Last().c_str());
    return false;
  }
  CRoom room;
  Room_SetCurrent(0, &room);
  CInstance* inst = room.CreateInstance(Instance_NewId(), 0, 0, 0);
  const int32_t result_id = VariableIdOf("result");
  double best = 1e300;
  RValue result;
  bool ok = true;
  for (int run = 0; run < runs && ok; run++) {
    inst->variables.Clear();
    std::clock_t start = std::clock();
    PerformEvent(inst, inst, EV_STEP, 0);
    double took = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (took < best) best = took;
    ok = inst->variables.Get(result_id, 0, result) && RunState.PendingRoom == REQUEST_NONE;
  }
  Room_SetCurrent(-1, nullptr);
  if (!ok) {
    std::fprintf(stderr, "%s: the event failed: %s\n", c.name, Error_Last().c_str());
    return false;
  }
  std::string shown = result.IsString() ? std::to_string(result.str.size()) : RealToText(result.real);
  std::printf("%s %.1f %s\n", c.name, best, shown.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings.DisplayErrors = false;
  Variable_KeepFreedMemory();  // as the runner does at start
  Builtins_RegisterAll();
  ResetGlobals();
  const char* runs_text = std::getenv("BENCH_RUNS");
  int runs = runs_text ? std::atoi(runs_text) : 3;
  if (runs < 1) runs = 1;
  bool ok = true;
  for (const RBenchCase& c : kCases) {
    if (Bench_Wanted(argc, argv, c.name)) ok &= RunCase(c, runs);
  }
  return ok ? 0 : 1;
}
