#include "support/TestBuiltins.h"

#include <gtest/gtest.h>

#include "code/Code_Operator.h"
#include "runner/Builtins_Main.h"
#include "runner/Runner_Reset.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace {

std::string g_Output;

void F_Print(CInstance*, CInstance*, int argc, RValue* args, RValue&) {
  for (int i = 0; i < argc; i++) {
    if (i > 0) g_Output += ' ';
    g_Output += args[i].IsString() ? args[i].str : RealToText(args[i].real);
  }
  g_Output += '\n';
}

void F_Count(CInstance*, CInstance*, int argc, RValue*, RValue& result) { result.SetReal(argc); }

void F_Nothing(CInstance*, CInstance*, int, RValue*, RValue&) {}

constexpr RFunctionDef kTestFunctions[] = {
    {"print", F_Print, -1},
    {"count_args", F_Count, -1},
    {"test_two", F_Nothing, 2},
    {"test_any", F_Nothing, -1},
};

bool GetNothing(CInstance*, int32_t, RValue&) { return true; }

bool GetIndex(CInstance*, int32_t index, RValue& out) {
  out.SetReal(index);
  return true;
}

// Every test starts from the state of a fresh program.
class CFreshState : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    TestBuiltins_Register();
    Runner_ResetAll();
    g_Output.clear();
  }
};

const bool g_Installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new CFreshState);
  return true;
}();

}  // namespace

void TestBuiltins_Register() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_RegisterAll();
  RegisterFunctions(kTestFunctions);
  RegisterVariable(kFirstTestVariable, GetNothing, nullptr);
  RegisterVariable("owner_test_fixed", GetIndex, nullptr);
}

std::string& TestBuiltins_Output() { return g_Output; }
