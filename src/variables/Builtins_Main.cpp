#include "variables/Builtins_Main.h"

#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"

void Builtins_RegisterAll() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterAllFunctions();
  Constant_RegisterBuiltins();
}
