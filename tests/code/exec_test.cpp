// Golden-output tests of the interpreter: small programs, the text they
// print through a test built-in, and their errors.
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
#include "runner/Builtins_Main.h"

namespace {

std::string g_Output;

void F_Print(CInstance*, CInstance*, int argc, RValue* args, RValue& result) {
  for (int i = 0; i < argc; i++) {
    if (i > 0) g_Output += ' ';
    g_Output += args[i].IsString() ? args[i].str : RealToText(args[i].real);
  }
  g_Output += '\n';
}

// Returns its argument count: shows that unused slots are fresh.
void F_Count(CInstance*, CInstance*, int argc, RValue* args, RValue& result) { result.SetReal(argc); }

bool GetId(CInstance* inst, int32_t, RValue& out) {
  out.SetReal(inst->id);
  return true;
}

constexpr RFunctionDef kTestFunctions[] = {
    {"print", F_Print, -1},
    {"count_args", F_Count, -1},
};

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_RegisterAll();
  RegisterFunctions(kTestFunctions);
  for (const RVariableDef& def : EXEC_ARGUMENT_VARIABLES) RegisterVariable(def.name, def.getter, def.setter);
  RegisterVariable("id", GetId, nullptr);
  Constant_RegisterBuiltins();
}

// The recorded message with its carriage returns shown as '|'.
std::string Shown(const std::string& message) {
  std::string s = message;
  for (char& c : s)
    if (c == '\r') c = '|';
  return s;
}

class ExecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterOnce();
    Error_Reset();
    Settings = RSettings();
    Settings.DisplayErrors = false;
    ResetGlobals();
    ClearScripts();
    room.ClearInstances();
    Room_SetCurrent(0, &room);
    for (int i = 0; i < MAX_ARGUMENTS; i++) Exec_Arguments()[i] = RValue();
    g_Output.clear();
    self.variables.Clear();
    other.variables.Clear();
    self.id = 100001;
    self.object_index = 0;
    other.id = 100002;
    other.object_index = 1;
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
  CInstance self;
  CInstance other;
  RValue last_result;
};

struct RGolden {
  const char* program;
  const char* output;
};

TEST_F(ExecTest, StatementsAndExpressions) {
  const RGolden cases[] = {
      {"x = 1 + 2 * 3; print(x)", "7\n"},
      {"a = 7; b = 2; print(a div b, -a div b, a mod b, -7 mod 3, 7.5 mod 2)", "3 -3 1 -1 1.50\n"},
      {"a = 5; b = 3; print(a & b, a ^ b, a | b, a << 2, ~a)", "1 6 7 20 -6\n"},
      {"s = 'ab'; n = 3; print(n * s, s + 'c', s < 'abc', s == 'ab')", "ababab abc 1 1\n"},
      {"h = 0.5; if h x = 1 else x = 2; print(x)", "2\n"},
      {"h = 0.5; n = 0; while (h) { n += 1; if n == 3 h = 0 } print(n)", "3\n"},
      {"n = 0; do n += 1 until n >= 4; print(n)", "4\n"},
      {"s = 0; for (i = 0; i < 5; i += 1) s += i; print(s, i)", "10 5\n"},
      {"n = 0; repeat 2.5 n += 1; print(n); repeat 3.5 n += 1; print(n); repeat -1 n = 99; print(n)",
       "2\n6\n6\n"},
      {"for (i = 0; i < 10; i += 1) { if i == 2 continue; if i == 4 break; print(i) }", "0\n1\n3\n"},
      {"i = 0; while true { i += 1; if i > 2 exit; print(i) } print('never')", "1\n2\n"},
      {"switch (2) { case 1: print(1) case 2: print(2) case 3: print(3) }", "2\n3\n"},
      {"switch (5) { default: print('d') case 5: print('c') }", "d\nc\n"},
      {"switch ('') { case 0: print('zero') } print('end')", "end\n"},
      {"switch ('b') { case 'a': print('a'); break; case 'b': print('b'); break; case 'c': print('c') }", "b\n"},
      {"for (i = 0; i < 3; i += 1) { switch i { case 1: continue; } print(i) }", "0\n2\n"},
      {"var a, b; a = 1; b = a + 1; print(a, b)", "1 2\n"},
      {"k = 1; var k; k = 2; print(self.k, k)", "1 2\n"},
      {"a[2] = 5; print(a[0], a, a[1], a[2])", "0 0 0 5\n"},
      {"a[0, 7] = 3; print(a[7]); a[1, 0] = 4; print(a[1, 0], a[7])", "3\n4 3\n"},
      {"globalvar g; g = 4; print(global.g)", "4\n"},
      {"global.q = 2; q = 3; print(global.q, q, self.q)", "2 3 3\n"},
      {"print(1 && 0.5, 0.5 || 0, 1 ^^ 1, !0.5, -(2))", "1 1 0 0 -2\n"},
      {"x = 2; x *= 3; x -= 1; x /= 2; print(x); y = 6; y |= 1; y &= 5; y ^= 1; print(y)", "2.50\n4\n"},
      {"print(count_args(), count_args(1, 2, 3))", "0 3\n"},
      {"if 1 ; print('no statement')", "ERROR 6: Statement expected.\n"},
      {"{ ; }", "ERROR 3: Statement expected.\n"},
  };
  for (const RGolden& c : cases) {
    SetUp();
    EXPECT_EQ(Run(c.program), c.output) << c.program;
  }
}

TEST_F(ExecTest, RunTimeErrors) {
  const RGolden cases[] = {
      {"print(yy)", "ERROR 7: Unknown variable yy\n"},
      {"a[2] = 1; print(a[3])", "ERROR 17: Unknown variable a or array index out of bounds\n"},
      {"a[1] = 1; print(a[1, 0])", "ERROR 17: Unknown variable a or array index out of bounds\n"},
      {"v = 3; print('before'); x = v + 'a'; print('after')", "before\nERROR 33: Wrong type of arguments to +.\n"},
      {"x = 1; x += 'a'; print(x)", "ERROR 8: Wrong type of arguments to +.\n"},
      {"x = 1; print(x); x += 'a'", "1\nERROR 18: Wrong type of arguments to +.\n"},
      {"q += 1", "ERROR 1: Unknown variable q\n"},
      {"s = 'a'; a[s] = 1", "ERROR 12: Wrong type of array index\n"},
      {"i = -1; a[i] = 1", "ERROR 11: Negative array index\n"},
      {"i = 32000; a[i] = 1", "ERROR 14: Array index >= 32000\n"},
      {"s = 'x'; s.y = 1", "ERROR 10: Wrong type of variable index\n"},
      {"s = 'x'; if s print(1)", "ERROR 13: Expression expected\n"},
      {"s = 'x'; while s print(1)", "ERROR 16: Boolean expression expected\n"},
      {"s = 'x'; do print(1) until s", "1\nERROR 28: Boolean expression expected\n"},
      {"s = 'x'; for (i = 0; s; i += 1) print(1)", "ERROR 22: Expression expected\n"},
      {"s = 'x'; repeat s print(1)", "ERROR 17: Repeat count must be a number\n"},
      {"s = 'x'; with s print(1)", "ERROR 15: Object id expected\n"},
      {"with (local) print(1)", "ERROR 7: Cannot use local in with statement.\n"},
      {"with (global) print(1)", "ERROR 7: Cannot use global in with statement.\n"},
      {"case 1: print(1)", "ERROR 6: Case statement only allowed inside switch statement.\n"},
      {"default: print(1)", "ERROR 8: Default statement only allowed inside switch statement.\n"},
      {"id = 5", "ERROR 1: Cannot assign to the variable\n"},
      {"noone.x = 5", "ERROR 1: Cannot assign to the variable\n"},
      {"var v; print(v)", "ERROR 14: Unknown variable v\n"},
      {"s = 'a'; print(-s)", "ERROR 17: Wrong type of arguments to unary operator.\n"},
      {"z = 0; print(1 / z)", "ERROR 18: Division by 0.\n"},
      {"z = 0; print(1 mod z)", "ERROR 20: Modulo by 0.\n"},
      {"s = '1'; print(s == 1)", "ERROR 21: Cannot compare arguments.\n"},
  };
  for (const RGolden& c : cases) {
    SetUp();
    EXPECT_EQ(Run(c.program), c.output) << c.program;
  }
}

TEST_F(ExecTest, BothOperandsAndArgumentsEvaluateInOrder) {
  AddScripts({{"f", "print('f', argument0); return argument0"}});
  EXPECT_EQ(Run("a = 0; b = a && f(1); c = 1 || f(2); print(f(3) - f(4))"), "f 1\nf 2\nf 3\nf 4\n-1\n");
  SetUp();
  AddScripts({{"g", "print('g'); return undefined_thing"}, {"h", "print('h')"}});
  EXPECT_EQ(Run("print(g(), h())"), "g\nERROR 20: Unknown variable undefined_thing\n");
}

TEST_F(ExecTest, UninitializedAsZero) {
  Settings.UninitializedAsZero = true;
  EXPECT_EQ(Run("print(y, a[4]); q += 2; print(q); var l; print(l)"), "0 0\n2\n0\n");
}

// Loops over locals take prepared fast paths (a counted for loop, numeric
// leaves read in place); the same program over globals takes none. Both
// must print the same, errors and their positions included: DECL is
// replaced by declarations of equal length.
TEST_F(ExecTest, LocalFastPathsMatchTheGeneralPath) {
  const RGolden cases[] = {
      {"DECL i, s; s = 0; for (i = 0; i < 5; i += 1) s += i; print(s, i)", "10 5\n"},
      {"DECL i, n; n = 0; for (i = 0; i < 1; i += 0.25) n += 1; print(n, i)", "4 1\n"},
      {"DECL i; for (i = 0; i < 10; i += 1) { if i == 2 continue; if i == 4 break; print(i) } print(i)",
       "0\n1\n3\n4\n"},
      {"DECL i; for (i = 0; i < 3; i += 1) { print(i); if i == 1 i = 'x' }",
       "0\n1\nERROR 33: Wrong type of arguments to +.\n"},
      {"DECL i, n; n = 3; for (i = 0; i < n; i += 1) { print(i); n = 'a' }",
       "0\nERROR 40: Cannot compare arguments.\n"},
      {"DECL i, s; s = ''; for (i = 'a'; i < 'aaa'; i += 'a') s += i; print(s)", "aaa\n"},
      {"DECL i, d, n; d = 1; n = 0; for (i = 0; i < 20; i += d) { d *= 2; n += 1 } print(n, i, d)", "4 30 16\n"},
      {"DECL i, n; n = 0; i = 'a'; for (i = i < 'b'; i < 4; i += 1) n += 1; print(n, i)", "3 4\n"},
      {"DECL i, n; n = 2; for (i = 0; i < n * 2 - 1; i += 1) print(i)", "0\n1\n2\n"},
      {"DECL i, z; z = 0; for (i = 0; i < 3; i += 1 / z) print(i)", "0\nERROR 52: Division by 0.\n"},
      {"DECL i, n; n = 0; for (i = 0; i < 3; i += 1) { var p, q, r, t, u, w, v; p = i; q = p; r = q; t = r;"
       " u = t; w = u; v = w; n += v } print(n)",
       "3\n"},
      {"DECL i, a, s; s = 0; for (i = 0; i < 4; i += 1) a[i, i] = i * 3; for (i = 0; i < 4; i += 1) s += a[i, i];"
       " print(s, a[3, 3])",
       "18 9\n"},
      {"DECL i, s; s = 7; for (i = 0; i < 2; i += 1) s = s mod (1 - i); print(s)", "ERROR 62: Modulo by 0.\n"},
  };
  for (const RGolden& c : cases) {
    std::string outputs[2];
    const char* decls[2] = {"var      ", "globalvar"};
    for (int k = 0; k < 2; k++) {
      SetUp();
      std::string program = c.program;
      program.replace(program.find("DECL"), 4, decls[k]);
      outputs[k] = Run(program);
    }
    EXPECT_EQ(outputs[0], c.output) << c.program;
    EXPECT_EQ(outputs[1], outputs[0]) << c.program;
  }
}

TEST_F(ExecTest, ScriptResultValueAndArguments) {
  AddScripts({
      {"five", "x = 5;"},
      {"relay", "five()"},
      {"nothing", "if (false) y = 1;"},
      {"args", "print(argument0, argument1, argument[0]); argument0 = 'changed'"},
      {"sum", "return argument0 + argument1"},
  });
  EXPECT_EQ(Run("print(five(), relay(), nothing())"), "5 5 0\n");
  // A call that assigns nothing gives a fresh 0, not the last result.
  g_Output.clear();
  EXPECT_EQ(Run("x = 5; y = nothing(); var z; z = 4; z = nothing(); print(y, z)"), "0 0\n");
  SetUp();
  AddScripts({{"args", "print(argument0, argument1, argument[0]); argument0 = 'changed'"}});
  Exec_Arguments()[0].SetString("mine");
  EXPECT_EQ(Run("args(7); print(argument0)"), "7 0 7\nmine\n");
  // A program's value is its last assignment or call statement.
  SetUp();
  AddScripts({{"sum", "return argument0 + argument1"}});
  Run("x = 1; sum(2, 3); for (i = 0; i < 2; i += 1) {}");
  EXPECT_EQ(last_result.real, 5);
}

// Argument frames are reused between calls: every call still sees fresh
// slots, whatever the previous call at the same depth left in them.
TEST_F(ExecTest, EveryCallSeesFreshArgumentSlots) {
  AddScripts({{"w", "argument5 = 9; argument[7] = 'x'; return argument0"},
              {"r", "return argument5"},
              {"r7", "return argument7"},
              {"nothing", "if (false) y = 1;"},
              {"two", "return argument0 + argument1"}});
  EXPECT_EQ(Run("print(w(1), r(), w(2), r7(), two(1, 2), two(nothing(), 3), count_args(w(4)), r())"),
            "1 0 2 0 3 3 1 0\n");
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

TEST_F(ExecTest, RecursionAndDeepRecursionGuard) {
  AddScripts({{"fib", "if argument0 < 2 return argument0; return fib(argument0 - 1) + fib(argument0 - 2)"},
              {"down", "return down(argument0 + 1)"}});
  EXPECT_EQ(Run("print(fib(15))"), "610\n");
  SetUp();
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
