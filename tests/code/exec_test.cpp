// The interpreter where a program and its printed lines are not enough:
// argument slots, results, error prefixes, faults, owners and the script table.
// Golden programs with their output are the scripts of tests/language.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Stream.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"
#include "code/Code_TestUtil.h"
#include "support/TestBuiltins.h"

namespace {

std::string& g_Output = TestBuiltins_Output();

using codetest::Shown;

class ExecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestBuiltins_Register();
    Settings = RSettings();
    Settings.DisplayErrors = false;
    room.ClearInstances();
    Room_SetCurrent(0, &room);
    pair.Fresh();
  }

  void AddScripts(const std::vector<std::pair<std::string, std::string>>& scripts) {
    for (const auto& [name, text] : scripts) AddScript(name, text);
    ASSERT_TRUE(CompileScripts()) << Shown(Error_Last());
  }

  // Runs a program; its printed lines, then "ERROR <position>: <message>"
  // (the tail of the recorded message) when it fails.
  std::string Run(const std::string& text) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << Shown(RecordedError());
    RValue result;
    if (!Execute(&self, &other, code, result)) {
      const std::string& message = RecordedError();
      size_t at = message.rfind("at position ");
      g_Output += "ERROR " + (at == std::string::npos ? Shown(message) : message.substr(at + 12)) + "\n";
    }
    last_result = result;
    return g_Output;
  }

  void TearDown() override { Room_SetCurrent(-1, nullptr); }

  CRoom room;
  codetest::RRunPair pair;
  CInstance& self = pair.self;
  CInstance& other = pair.other;
  RValue last_result;
};

TEST_F(ExecTest, UninitializedAsZero) {
  Settings.UninitializedAsZero = true;
  EXPECT_EQ(Run("print(y, a[4]); q += 2; print(q); var l; print(l)"), "0 0\n2\n0\n");
}

// Golden programs are in the scripts of tests/language; these need more
// than a program and its output.
TEST_F(ExecTest, ScriptArgumentsAndProgramValue) {
  AddScripts({{"args", "print(argument0, argument1, argument[0]); argument0 = 'changed'"}});
  Exec_Arguments()[0].SetString("mine");
  EXPECT_EQ(Run("args(7); print(argument0)"), "7 0 7\nmine\n");
  // A program's value is its last assignment or call statement.
  SetUp();
  AddScripts({{"sum", "return argument0 + argument1"}});
  Run("x = 1; sum(2, 3); for (i = 0; i < 2; i += 1) {}");
  EXPECT_EQ(last_result.real, 5);
}

TEST_F(ExecTest, ErrorsInNestedScriptsArePrefixed) {
  AddScripts({{"a", "b()"}, {"b", "c()"}, {"c", "x = 1 +\r\n  nope"}});
  CCode code("a()", false);
  ASSERT_TRUE(code.Compile());
  RValue dest;
  EXPECT_FALSE(Execute(&self, &other, code, dest));
  EXPECT_EQ(Shown(RecordedError()),
            "In script a:|In script b:|In script c:|Error in code at line 2:|   \n  nope||at position 4: Unknown "
            "variable nope");
  // ExecuteValue gives "ERROR"; ExecuteReporting reports and clears.
  EXPECT_FALSE(ExecuteValue(&self, &other, code, dest));
  EXPECT_EQ(dest.str, "ERROR");
  EXPECT_FALSE(ExecuteReporting(&self, &other, code, dest));
  EXPECT_FALSE(ErrorRecorded());
  EXPECT_TRUE(Error_Occurred());
  EXPECT_NE(Error_Last().find("In script a:\rIn script b:"), std::string::npos);
}

TEST_F(ExecTest, DeepRecursionGuard) {
  AddScripts({{"down", "return down(argument0 + 1)"}});
  std::string out = Run("down(0)");
  EXPECT_NE(out.find("Stack overflow: scripts call each other too deeply."), std::string::npos) << out;
  // The slots are back after the failed call chain.
  EXPECT_EQ(Exec_Arguments()[0].real, 0);
}

TEST_F(ExecTest, FaultPassesThroughAndLeavesArguments) {
  AddScripts({{"boom", "argument1 = 9; x = argument0; repeat 400 x *= argument0"}});
  CCode code("x = boom(10)", false);
  ASSERT_TRUE(code.Compile());
  RValue dest;
  EXPECT_THROW(Execute(&self, &other, code, dest), CFloatFault);
  EXPECT_EQ(Exec_Arguments()[1].real, 9);
  EXPECT_FALSE(ErrorRecorded());
}

TEST_F(ExecTest, ExecuteEntryChecks) {
  CCode uncompiled("x = 1", false);
  RValue dest;
  EXPECT_FALSE(Execute(&self, &other, uncompiled, dest));
  EXPECT_NE(RecordedError().find("Internal Error: Executing non-compiled code."), std::string::npos);
  CCode program("x = 1", false);
  ASSERT_TRUE(program.Compile());
  EXPECT_FALSE(Execute(nullptr, &other, program, dest));
  EXPECT_NE(RecordedError().find("Internal Error: Executing code for nil instance."), std::string::npos);
  CCode constant("2 * 'ab'", true);
  ASSERT_TRUE(constant.Compile());
  EXPECT_TRUE(Execute(nullptr, nullptr, constant, dest));
  EXPECT_EQ(dest.str, "abab");
  CCode expression("k + 1", true);
  ASSERT_TRUE(expression.Compile());
  self.variables.Set(VariableIdOf("k"), 0, RValue(4.0));
  EXPECT_TRUE(Execute(&self, &other, expression, dest));
  EXPECT_EQ(dest.real, 5);
}

TEST_F(ExecTest, WithAndOwners) {
  room.CreateInstance(100010, 3, 0, 0);
  room.CreateInstance(100011, 3, 0, 0);
  CInstance& c = *room.CreateInstance(100012, 4, 0, 0);
  CInstance& d = *room.CreateInstance(100013, 3, 0, 0);
  d.destroyed = true;
  EXPECT_EQ(Run("with (3) { n = id; print(id, other.id) }"), "100010 100001\n100011 100001\n");
  EXPECT_EQ(Run("with (all) print(id)"), "100010 100001\n100011 100001\n100010\n100011\n100012\n");
  g_Output.clear();
  EXPECT_EQ(Run("with (noone) print('x'); with (-8) print('y'); with (100012) print(id); with (100013) print(id)"),
            "100012\n");
  g_Output.clear();
  EXPECT_EQ(Run("with (other) print(id, other.id)"), "100002 100001\n");
  g_Output.clear();
  EXPECT_EQ(Run("for (i = 0; i < 3; i += 1) with (other) break; print(i)"), "0\n");
  g_Output.clear();
  // Writing through an object writes every live instance; reading takes the first.
  EXPECT_EQ(Run("(3).v = 7; print((100011).v, (3).v); (100099).v = 1; (5).v = 1; print((5).v)"),
            "7 7\nERROR 75: Unknown variable v\n");
  RValue v;
  EXPECT_FALSE(d.variables.Get(VariableIdOf("v"), 0, v));
  g_Output.clear();
  EXPECT_EQ(Run("all.w = 2; print(all.w, c.w)"), "ERROR 25: Unknown variable c\n");
  EXPECT_TRUE(c.variables.Get(VariableIdOf("w"), 0, v));
}

TEST_F(ExecTest, GlobalvarTakesEffectWhenRun) {
  CCode before("g = 1", false), declare("globalvar g;", false), after("g = 2", false);
  for (CCode* c : {&before, &declare, &after}) ASSERT_TRUE(c->Compile());
  RValue dest, v;
  ASSERT_TRUE(Execute(&self, &other, before, dest));
  ASSERT_TRUE(Execute(&self, &other, declare, dest));
  ASSERT_TRUE(Execute(&other, &self, after, dest));
  int32_t g = VariableIdOf("g");
  EXPECT_TRUE(self.variables.Get(g, 0, v));
  EXPECT_EQ(v.real, 1);
  EXPECT_FALSE(other.variables.Get(g, 0, v));
  EXPECT_TRUE(GetGlobal(g, 0, v));
  EXPECT_EQ(v.real, 2);
}

// The fast paths of the interpreter give the very values of the folded
// constants, which go through BinaryOperation.
TEST_F(ExecTest, FastArithmeticMatchesFolding) {
  const char* ops[] = {"+", "-",  "*",  "/",  "div", "mod", "<", "<=", "==", "!=", ">=",
                       ">", "&&", "||", "^^", "&",   "|",   "^", "<<", ">>"};
  // Integers (the exact fast paths) next to fractions and huge values
  // (the extended arithmetic), of both signs.
  const double values[] = {0.1, 0.2, 3, -7, 0, 2.5, 1e15 + 0.3, 1.0 / 3, -0.5, 123456.789, 4611686018427387904.0,
                           -2147483647, 9007199254740993.0, 3e300};
  // Both sides read the same literal texts; a fault must happen in both.
  auto value = [&](CCode& code) -> std::optional<double> {
    RValue v;
    try {
      if (!code.Compile()) return std::nullopt;
      if (!Execute(&self, &other, code, v)) return std::nullopt;
    } catch (const CFloatFault&) {
      return std::nullopt;
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << " in " << code.Text();
      return std::nullopt;
    }
    return v.real;
  };
  for (const char* op : ops) {
    for (double l : values) {
      for (double r : values) {
        // Literals have no exponent: integers are written out in full.
        char lt[400], rt[400];
        std::snprintf(lt, sizeof lt, l == std::trunc(l) ? "%.0f" : "%.17g", l);
        std::snprintf(rt, sizeof rt, r == std::trunc(r) ? "%.0f" : "%.17g", r);
        CCode assign(std::string("a = ") + lt + "; b = " + rt, false);
        ASSERT_TRUE(value(assign));
        CCode folded(std::string("(") + lt + ") " + op + " (" + rt + ")", true);
        CCode computed(std::string("a ") + op + " b", true);
        CCode local(std::string("var a, b; a = ") + lt + "; b = " + rt + "; c = a " + op + " b", false);
        std::optional<double> expected = value(folded);
        EXPECT_EQ(expected, value(computed)) << lt << " " << op << " " << rt;
        EXPECT_EQ(expected, value(local)) << lt << " " << op << " " << rt;
      }
    }
  }
}

TEST_F(ExecTest, ScriptTableAndItsBuiltins) {
  ClearScripts();
  AddScript("alpha", "return argument0 * 2");
  AddEmptyScript();
  AddScript("beta", "return alpha(argument0) + 1");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(ScriptCount(), 3);
  EXPECT_EQ(ScriptIndexOf("beta"), 2);
  EXPECT_EQ(ScriptIndexOf("gamma"), -1);
  EXPECT_FALSE(ScriptExists(1));
  EXPECT_EQ(ScriptNameOf(1), "<undefined>");
  EXPECT_EQ(Run("print(beta(4), script_exists(0), script_exists(1), script_exists(3), script_exists(-1))"),
            "9 1 0 0 0\n");
  g_Output.clear();
  EXPECT_EQ(Run("print(script_get_name(2), script_name(0), script_get_name(1)); print(script_get_text(0), "
                "script_get_text(7) == '')"),
            "beta alpha <undefined>\nreturn argument0 * 2 1\n");
  // CallScript fails without a message for a missing script.
  RValue dest, args[1] = {RValue(3.0)};
  EXPECT_FALSE(CallScript(1, &self, &other, dest, args, 1));
  EXPECT_FALSE(ErrorRecorded());
  EXPECT_TRUE(CallScript(0, &self, &other, dest, args, 1));
  EXPECT_EQ(dest.real, 6);

}

TEST_F(ExecTest, TablesBuiltSlotBySlot) {
  EXPECT_EQ(AddScript("first", "return 1"), 0);
  EXPECT_EQ(AddEmptyScript(), 1);
  EXPECT_EQ(AddScript("third", "return first() + 2"), 2);
  ASSERT_TRUE(CompileScripts());
  EXPECT_FALSE(ScriptExists(1));
  EXPECT_EQ(ScriptIndexOf("third"), 2);
  EXPECT_EQ(Run("print(third(), script_get_text(2))"), "3 return first() + 2\n");
}

TEST_F(ExecTest, CompileScriptsStopsAtTheFirstFailure) {
  AddScript("good", "x = 1");
  AddScript("broken", "x = ");
  AddScript("later", "y = ");
  EXPECT_FALSE(CompileScripts());
  EXPECT_EQ(Shown(Error_Last()),
            "COMPILATION ERROR in Script: broken|Error in code at line 1:|   x = ||at position 4: Unexpected symbol in "
            "expression.");
  EXPECT_TRUE(Error_Aborting());
  Error_Reset();
}

}  // namespace
