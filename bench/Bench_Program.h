// The shared harness of the script benchmarks: a program is compiled, run
// three times for the interpreter's self, and reported as "name milliseconds
// result" with the best processor time, which is what the Lua side measures
// with os.clock() (the machine is shared).
#pragma once

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "world/Instance_Class.h"

// False, with the error on stderr, when the program does not compile or run.
inline bool Bench_RunProgram(const char* name, const char* program) {
  CCode code(program, false);
  if (!code.Compile()) {
    std::fprintf(stderr, "%s: %s\n", name, RecordedError().c_str());
    return false;
  }
  CInstance self;
  self.id = 100001;
  double best = 1e300;
  RValue result;
  for (int run = 0; run < 3; run++) {
    std::clock_t start = std::clock();
    bool ok = Execute(&self, &self, code, result);
    double took = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (!ok) {
      std::fprintf(stderr, "%s: %s\n", name, RecordedError().c_str());
      return false;
    }
    if (took < best) best = took;
  }
  std::string shown = result.IsString() ? std::to_string(result.str.size()) : RealToText(result.real);
  std::printf("%s %.1f %s\n", name, best, shown.c_str());
  return true;
}

// Whether the command line asks for a case: every case when it names none.
inline bool Bench_Wanted(int argc, char** argv, const char* name) {
  bool wanted = argc < 2;
  for (int i = 1; i < argc; i++) wanted |= std::strcmp(argv[i], name) == 0;
  return wanted;
}
