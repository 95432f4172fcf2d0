// Script benchmark suite: each case runs a program through the interpreter
// and prints "name milliseconds result" (best of three runs). The
// equivalent Lua programs are in bench/lua; bench/run_script_bench.sh runs
// both and prints the ratios.
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"

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
  if (!CompileScripts()) return false;
  CCode code(c.program, false);
  if (!code.Compile()) {
    std::fprintf(stderr, "%s: %s\n", c.name, RecordedError().c_str());
    return false;
  }
  CInstance self;
  self.id = 100001;
  double best = 1e300;
  RValue result;
  for (int run = 0; run < 3; run++) {
    // Processor time, as Lua's os.clock() measures it: the machine is shared.
    std::clock_t start = std::clock();
    bool ok = Execute(&self, &self, code, result);
    double took = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (!ok) {
      std::fprintf(stderr, "%s: %s\n", c.name, RecordedError().c_str());
      return false;
    }
    if (took < best) best = took;
  }
  std::string shown = result.IsString() ? std::to_string(result.str.size()) : RealToText(result.real);
  std::printf("%s %.1f %s\n", c.name, best, shown.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings.DisplayErrors = false;
  RegisterAllFunctions();
  for (const RVariableDef& def : EXEC_ARGUMENT_VARIABLES) RegisterVariable(def.name, def.getter, def.setter);
  bool ok = true;
  for (const RBenchCase& c : kCases) {
    bool wanted = argc < 2;
    for (int i = 1; i < argc; i++) wanted |= std::strcmp(argv[i], c.name) == 0;
    if (wanted) ok &= RunCase(c);
  }
  return ok ? 0 : 1;
}
