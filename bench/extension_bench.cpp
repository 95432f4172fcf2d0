// Calls of extension functions from code, beside the plain script call they
// compete with: a script-file function and a library function (the system's
// libm, found by name) each called two million times. Prints "name
// milliseconds result" per case, like script_bench.
#include <string>
#include <vector>

#include "Bench_Program.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Support_TempDir.h"
#include "functions/Extension_Main.h"
#include "runner/Builtins_Main.h"
#include "variables/Variable_Main.h"

namespace {

RExtensionFunction Function(const char* name, int32_t id, const char* external) {
  RExtensionFunction f;
  f.name = name;
  f.externalName = external;
  f.id = id;
  f.argCount = 2;
  f.argTypes.fill(2);
  return f;
}

// "Bench": a script file defining ext_add, and the system's libm giving fmax.
std::vector<RExtensionPackage> Packages() {
  RExtensionFile script;
  script.fileName = "bench.vsc";
  script.kind = 2;
  const std::string text = "#define ext_add\r\nreturn argument0 + argument1;\r\n";
  script.data.assign(text.begin(), text.end());
  script.functions = {Function("ext_add", 0, "ext_add")};
  RExtensionFile libm;
  libm.fileName = "libm.so.6";
  libm.kind = 1;
  libm.functions = {Function("ext_max", 1, "fmax")};
  RExtensionPackage package;
  package.name = "Bench";
  package.folder = "bench";
  package.files = {script, libm};
  return {package};
}

const char* const kCases[][2] = {
    {"script_calls2m", "var i, s; s = 0; for (i = 0; i < 2000000; i += 1) s = add(s, i); return s"},
    {"ext_script_calls2m", "var i, s; s = 0; for (i = 0; i < 2000000; i += 1) s = ext_add(s, i); return s"},
    {"ext_library_calls2m", "var i, s; s = 0; for (i = 0; i < 2000000; i += 1) s += ext_max(i, 1); return s"},
};

}  // namespace

int main(int argc, char** argv) {
  Settings.DisplayErrors = false;
  Variable_KeepFreedMemory();
  Builtins_RegisterAll();
  for (const RVariableDef& def : EXEC_ARGUMENT_VARIABLES) RegisterVariable(def.name, def.getter, def.setter);
  TempDir_Create();
  ClearScripts();
  AddScript("add", "return argument0 + argument1");
  std::vector<RExtensionPackage> packages = Packages();
  bool ok = CompileScripts() && Extension_Install(packages) && Extension_Prepare();
  for (const auto& [name, program] : kCases)
    if (ok && Bench_Wanted(argc, argv, name)) ok &= Bench_RunProgram(name, program);
  TempDir_Remove();
  return ok ? 0 : 1;
}
