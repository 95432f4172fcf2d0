// Code run from texts, files and script indices, the conversions of the
// language's values, and the game's user constants.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "support/Builtin_Call.h"
#include "variables/Code_Constant.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "runner/Builtins_Main.h"

namespace {

class DynamicCode : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    Constant_RegisterBuiltins();
    if (BuiltinIndexOf("argument0") < 0)
      for (const RVariableDef& def : EXEC_ARGUMENT_VARIABLES) RegisterVariable(def.name, def.getter, def.setter);
    m_Constants = Constant_Count();
    Settings = RSettings();
    Settings.DisplayErrors = false;
    Error_Reset();
    ClearScripts();
    for (int i = 0; i < MAX_ARGUMENTS; i++) Exec_Arguments()[i] = RValue();
    m_Self.id = 100001;
    m_Self.object_index = 0;
  }
  void TearDown() override {
    ClearScripts();
    Constant_Truncate(m_Constants);
  }

  // Runs a program for the test instance; its value.
  RValue Run(const std::string& text) {
    CCode code(text, false);
    EXPECT_TRUE(code.Compile()) << RecordedError();
    RValue value;
    EXPECT_TRUE(Execute(&m_Self, &m_Self, code, value)) << RecordedError();
    return value;
  }

  CInstance m_Self;
  int32_t m_Constants = 0;
};

TEST_F(DynamicCode, ExecuteStringPassesArgumentsAndKeepsTheCallers) {
  Exec_Arguments()[0] = RValue(7);
  Exec_Arguments()[1] = Str("kept");
  EXPECT_EQ(Run("return execute_string('return argument0 + 1', 4) + argument0").real, 12);
  EXPECT_EQ(Exec_Arguments()[0].real, 7);
  EXPECT_EQ(Exec_Arguments()[1].str, "kept");
  // Slots after the given arguments are fresh.
  RValue unset = Run("return execute_string('return argument1', 1)");
  EXPECT_TRUE(unset.IsReal());
  EXPECT_EQ(unset.real, 0);
  EXPECT_EQ(Run("return execute_string('return argument2', 1, 2, 'three')").str, "three");
  EXPECT_EQ(Run("return execute_string()").real, 0);
  EXPECT_FALSE(Error_Occurred());
}

TEST_F(DynamicCode, ExecuteStringReportsErrorsAndTheCallerGoesOn) {
  RValue r = Run("a = execute_string('x = '); return a");
  EXPECT_EQ(r.real, 0);
  const std::string prefix = "COMPILATION ERROR in string to be executed\rError in code at line 1:";
  EXPECT_EQ(Error_Last().substr(0, prefix.size()), prefix) << Error_Last();

  Error_Reset();
  EXPECT_EQ(Run("execute_string('y = 1 + \"a\"'); return 5").real, 5);
  EXPECT_NE(ReportedError().find("Wrong type of arguments to +."), std::string::npos) << Error_Last();
  EXPECT_FALSE(ErrorRecorded());
}

TEST_F(DynamicCode, ExecuteFileRunsTheFilesLines) {
  std::string path = ::testing::TempDir() + "execute_file_test.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "a = argument0 * 2\r\n// a comment\nreturn a + argument1";
  }
  EXPECT_EQ(Run("return execute_file('" + path + "', 10, 1)").real, 21);
  // Names are found in any letter case.
  std::string upper = path.substr(0, path.size() - 4) + ".TXT";
  EXPECT_EQ(Run("return execute_file('" + upper + "', 1, 1)").real, 3);
  EXPECT_FALSE(Error_Occurred());
  {
    std::ofstream out(path, std::ios::binary);
    out << "a = 1\n\nb = )\n";
  }
  Run("execute_file('" + path + "')");
  const std::string prefix = "COMPILATION ERROR in file to be executed\rError in code at line 3:";
  EXPECT_EQ(Error_Last().substr(0, prefix.size()), prefix) << Error_Last();
  std::remove(path.c_str());

  Error_Reset();
  EXPECT_EQ(Run("return execute_file('" + path + "')").real, 0);
  EXPECT_EQ(ReportedError(), "Trying to execute non-existing file.");
  Error_Reset();
  Run("execute_file('" + ::testing::TempDir() + "')");
  EXPECT_EQ(ReportedError(), "Trying to execute non-existing file.");
}

TEST_F(DynamicCode, ScriptExecute) {
  AddScript("twice", "return argument0 * 2 + argument1");
  AddScript("broken", "return argument0 + 1");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(Run("return script_execute(twice, 5, 1)").real, 11);
  EXPECT_FALSE(Error_Occurred());

  RValue failed = Run("return script_execute(broken, 'a')");
  EXPECT_EQ(failed.str, "ERROR");
  EXPECT_EQ(ReportedError().rfind("In script broken:\r", 0), 0u) << ReportedError();
  EXPECT_FALSE(ErrorRecorded());

  Error_Reset();
  EXPECT_EQ(Run("return script_execute(2, 1)").real, 0);
  EXPECT_EQ(ReportedError(), "Trying to execute non-existing script.");
  Error_Reset();
  Run("script_execute(-1)");
  EXPECT_EQ(ReportedError(), "Trying to execute non-existing script.");
}

TEST_F(DynamicCode, ArgumentCountsAreCheckedWhenCompiling) {
  const char* sixteen = "return max(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)";
  EXPECT_EQ(Run(sixteen).real, 16);
  EXPECT_EQ(Run("return min() + mean()").real, 0);
  for (const char* wrong : {"x = point_direction(1, 2)", "x = random()", "x = string_copy('a', 1)",
                            "x = max(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17)"}) {
    CCode code(wrong, false);
    EXPECT_FALSE(code.Compile()) << wrong;
    EXPECT_NE(RecordedError().find("Wrong number of arguments"), std::string::npos) << RecordedError();
  }
  // A script named like a built-in is called instead.
  AddScript("random", "return 'mine'");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(Run("return random()").str, "mine");
}

TEST_F(DynamicCode, RealAndString) {
  EXPECT_EQ(CallByName("real", {Str(" 12.5 ")}).real, 12.5);
  EXPECT_EQ(CallByName("real", {Str("")}).real, 0);
  EXPECT_EQ(CallByName("real", {RValue(-3)}).real, -3);
  EXPECT_FALSE(Error_Occurred());
  RValue bad = CallByName("real", {Str("abc")});
  EXPECT_TRUE(bad.IsReal());
  EXPECT_EQ(bad.real, 0);
  EXPECT_EQ(ReportedError(), "Error in function real().");

  EXPECT_EQ(CallByName("string", {RValue(3)}).str, "3");
  EXPECT_EQ(CallByName("string", {RValue(1.5)}).str, "1.50");
  EXPECT_EQ(CallByName("string", {RValue(12345678901.5)}).str, "1.23456789E10");
  EXPECT_EQ(CallByName("string", {Str("as is")}).str, "as is");
  EXPECT_THROW(CallByName("string", {RValue(1e20)}), CFloatFault);
}

std::string DefineCapturing(const char* name, const char* value, bool expect) {
  testing::internal::CaptureStderr();
  bool ok = DefineUserConstant(name, value);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ok, expect) << name;
  return shown;
}

TEST_F(DynamicCode, UserConstants) {
  EXPECT_EQ(DefineCapturing(" max_hp\t", "100", true), "");
  EXPECT_EQ(DefineCapturing("double_hp", "max_hp * 2 + string_length('abc')", true), "");
  EXPECT_EQ(DefineCapturing("c_red", "1", true), "");
  EXPECT_EQ(DefineCapturing("_name", "'text'", true), "");
  RValue v;
  ASSERT_TRUE(ConstantOf("max_hp", v));
  EXPECT_EQ(v.real, 100);
  ASSERT_TRUE(ConstantOf("double_hp", v));
  EXPECT_EQ(v.real, 203);
  EXPECT_EQ(Run("return c_red").real, 1);
  EXPECT_EQ(Run("return _name").str, "text");

  EXPECT_EQ(DefineCapturing("2nd", "1", false), "Constant name 2nd  is not valid.\n");
  EXPECT_EQ(DefineCapturing(" max-hp ", "1", false), "Constant name max-hp  is not valid.\n");
  EXPECT_EQ(DefineCapturing("", "1", false), "Constant name   is not valid.\n");
  EXPECT_EQ(DefineCapturing("early", "later + 1", false), "Value for constant early  is not valid.\n");
  EXPECT_EQ(DefineCapturing("broken", "1 +", false), "Value for constant broken  is not valid.\n");
  EXPECT_EQ(DefineCapturing("mixed", "1 + 'a'", false), "Value for constant mixed  is not valid.\n");
  EXPECT_FALSE(ConstantOf("early", v));
  EXPECT_FALSE(ErrorRecorded());
}

TEST_F(DynamicCode, UserConstantsOfTheSettingsStopAtTheFirstFailure) {
  Settings.ConstantNames = {"first", "second", "third"};
  Settings.ConstantValues = {"1", "first +", "3"};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(DefineUserConstants());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Value for constant second  is not valid.\n");
  RValue v;
  EXPECT_TRUE(ConstantOf("first", v));
  EXPECT_FALSE(ConstantOf("third", v));

  Settings.ConstantNames = {"a1", "a2"};
  Settings.ConstantValues = {"random(1) * 0 + 4", "a1 * a1"};
  EXPECT_TRUE(DefineUserConstants());
  ASSERT_TRUE(ConstantOf("a2", v));
  EXPECT_EQ(v.real, 16);
}

}  // namespace
