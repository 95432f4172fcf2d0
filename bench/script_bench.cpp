// Script benchmark suite: each case runs a program through the interpreter
// and prints "name milliseconds result" (best of three runs). The
// equivalent Lua programs are in bench/lua; bench/run_script_bench.sh runs
// both and prints the ratios.
#include <string>
#include <utility>
#include <vector>

#include "Bench_Program.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"
#include "runner/Builtins_Main.h"

namespace {

struct RBenchCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> scripts;
  const char* program;
};

const std::vector<RBenchCase> kCases = {
    {"fib27",
     {{"fib", "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2)"}},
     "return fib(27)"},
    {"loop10m", {}, "var i, s; s = 0; for (i = 0; i < 10000000; i += 1) s += i * 2 mod 7; return s"},
    {"array1d", {},
     "var a, i, k, s; s = 0;"
     "repeat 30 { for (i = 0; i < 32000; i += 1) a[i] = i; for (i = 0; i < 32000; i += 1) s += a[i] }"
     "return s"},
    {"array2d", {},
     "var b, i, j, s; s = 0;"
     "for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) b[i, j] = i + j;"
     "for (i = 0; i < 1000; i += 1) for (j = 0; j < 1000; j += 1) s += b[i, j];"
     "return s"},
    {"calls2m", {{"add", "return argument0 + argument1"}},
     "var i, s; s = 0; for (i = 0; i < 2000000; i += 1) s = add(s, i); return s"},
    {"concat", {}, "var s, i; s = ''; for (i = 0; i < 20000; i += 1) s += 'abcdef'; return s"},
    {"strings", {},
     "var s, i, n, t; n = 0;"
     "for (i = 0; i < 200000; i += 1) {"
     "  t = string_copy('abcdefghij', i mod 10 + 1, 4);"
     "  s = string_replace_all(t + t, 'c', 'xy');"
     "  n += string_length(s) + string_pos('d', s) + string_count('x', s);"
     "}"
     "return n"},
};

bool RunCase(const RBenchCase& c) {
  ClearScripts();
  for (const auto& [name, text] : c.scripts) AddScript(name, text);
  return CompileScripts() && Bench_RunProgram(c.name, c.program);
}

}  // namespace

int main(int argc, char** argv) {
  Settings.DisplayErrors = false;
  Variable_KeepFreedMemory();  // as the runner does at start
  Builtins_RegisterAll();
  for (const RVariableDef& def : EXEC_ARGUMENT_VARIABLES) RegisterVariable(def.name, def.getter, def.setter);
  bool ok = true;
  for (const RBenchCase& c : kCases) {
    if (Bench_Wanted(argc, argv, c.name)) ok &= RunCase(c);
  }
  return ok ? 0 : 1;
}
