#include "variables/Builtins_Main.h"

#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"

void Builtins_RegisterAll() {
  static bool done = false;
  if (done) return;
  done = true;
  Variable_RegisterBuiltins();
  RegisterAllFunctions();
  Constant_RegisterBuiltins();
}
