#include "runner/Builtins_Main.h"

#include "runner/Function_Modules.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Error.h"
#include "variables/Code_Constant.h"
#include "step/Run_Step.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Room_Main.h"

void Builtins_RegisterAll() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_InstallHooks();
  Variable_RegisterBuiltins();
  for (void (*reg)() : kFunctionModules) reg();
  Constant_RegisterBuiltins();
}

void Builtins_InstallHooks() {
  World_InstallAccess();
  ErrorWindow_Install();
  Step_SetFunctionKeys(HandleFunctionKeys);
}
