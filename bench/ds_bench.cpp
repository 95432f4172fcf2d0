// Data structure benchmark: each case runs a script through the interpreter
// that fills and searches one kind of container, and prints "name
// milliseconds result" (best of three runs). The equivalent Lua programs are
// in bench/lua_ds; bench/run_ds_bench.sh runs both and prints the ratios.

#include "Bench_Program.h"
#include "data/Option_Main.h"
#include "functions/Support_Data_Structures.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"
#include "runner/Builtins_Main.h"

namespace {

struct RBenchCase {
  const char* name;
  const char* program;
};

// Keys and priorities come from i * 7919 mod 200003, a scrambled order
// without the random generator, so the Lua side computes the same sums.
constexpr RBenchCase kCases[] = {
    {"list1m",
     "var l, i, s; l = ds_list_create(); s = 0;"
     "for (i = 0; i < 1000000; i += 1) ds_list_add(l, i);"
     "for (i = 0; i < 1000000; i += 1) s += ds_list_find_value(l, i);"
     "ds_list_destroy(l); return s"},
    {"map200k",
     "var m, i, s; m = ds_map_create(); s = 0;"
     "for (i = 0; i < 200000; i += 1) ds_map_add(m, i * 7919 mod 200003, i);"
     "for (i = 0; i < 200000; i += 1) s += ds_map_find_value(m, i * 7919 mod 200003);"
     "ds_map_destroy(m); return s"},
    {"grid1000",
     "var g, i; g = ds_grid_create(1000, 1000);"
     "for (i = 0; i < 10; i += 1) ds_grid_add_region(g, 0, 0, 999, 999, i);"
     "i = ds_grid_get_sum(g, 0, 0, 999, 999); ds_grid_destroy(g); return i"},
    {"prio100k",
     "var p, i, s; p = ds_priority_create(); s = 0;"
     "for (i = 0; i < 100000; i += 1) ds_priority_add(p, i, i * 7919 mod 200003);"
     "for (i = 0; i < 100000; i += 1) s += ds_priority_delete_min(p) mod 7;"
     "ds_priority_destroy(p); return s"},
};

}  // namespace

int main(int argc, char** argv) {
  Settings.DisplayErrors = false;
  Variable_KeepFreedMemory();  // as the runner does at start
  Builtins_RegisterAll();
  bool ok = true;
  for (const RBenchCase& c : kCases) {
    if (Bench_Wanted(argc, argv, c.name)) ok &= Bench_RunProgram(c.name, c.program);
  }
  DS_ClearAll();
  return ok ? 0 : 1;
}
