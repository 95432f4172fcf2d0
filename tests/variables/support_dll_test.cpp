#include <gtest/gtest.h>

#include <string>

#include "data/Option_Main.h"
#include "support/Builtin_Call.h"
#include "functions/Support_DLL.h"

namespace {

const std::string kLibDir = std::string(VELMORA_BUILD_DIR) + "/testlibs";
const std::string kLib = kLibDir + "/libvl_testlib.so";

class SupportDll : public ::testing::Test {
 protected:
  void SetUp() override {
    Error_Reset();
    SecureMode = false;
    DLL_SetFolder(kLibDir);
  }
  void TearDown() override {
    DLL_Clear();
    DLL_SetFolder("");
    SecureMode = false;
  }
};

double Define(const char* lib, const char* name, double result_type, std::initializer_list<double> types) {
  RValue args[MAX_ARGUMENTS];
  args[0] = Str(lib);
  args[1] = Str(name);
  args[2] = RValue(0);  // dll_cdecl
  args[3] = RValue(result_type);
  args[4] = RValue(static_cast<double>(types.size()));
  int n = 5;
  for (double t : types) args[n++] = RValue(t);
  return CallWithSlots("external_define", args, n).real;
}

TEST_F(SupportDll, DefinesAndCallsRealAndStringFunctions) {
  double add = Define(kLib.c_str(), "vl_add2", 0, {0, 0});
  double greet = Define(kLib.c_str(), "vl_greet", 1, {1});
  double length = Define(kLib.c_str(), "vl_length_plus", 0, {1, 0});
  ASSERT_EQ(add, 0);
  ASSERT_EQ(greet, 1);
  ASSERT_EQ(length, 2);
  EXPECT_EQ(CallByName("external_call", {RValue(add), RValue(2), RValue(3.5)}).real, 5.5);
  EXPECT_EQ(CallByName("external_call2", {RValue(add), RValue(-1), RValue(1)}).real, 0);
  RValue text = CallByName("external_call1", {RValue(greet), Str("world")});
  EXPECT_TRUE(text.IsString());
  EXPECT_EQ(text.str, "Hello, world");
  EXPECT_EQ(CallByName("external_call", {RValue(length), Str("abcd"), RValue(0.5)}).real, 4.5);
  // A real where a string is expected passes its (empty) text.
  EXPECT_EQ(CallByName("external_call", {RValue(length), RValue(7), RValue(1)}).real, 1);
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(SupportDll, NumberedDefinesAndCalls) {
  RValue answer = CallByName("external_define0", {Str(kLib.c_str()), Str("vl_answer"), RValue(0)});
  RValue join = CallByName("external_define4",
                           {Str(kLib.c_str()), Str("vl_join4"), RValue(1), RValue(0), RValue(1), RValue(0), RValue(1)});
  RValue sum = CallByName("external_define8", {Str(kLib.c_str()), Str("vl_sum8"), RValue(0)});
  ASSERT_GE(answer.real, 0);
  ASSERT_GE(join.real, 0);
  ASSERT_GE(sum.real, 0);
  EXPECT_EQ(CallByName("external_call0", {answer}).real, 42);
  EXPECT_EQ(CallByName("external_call4", {join, Str("a"), RValue(1.5), Str("b"), RValue(2)}).str, "a1.5b2");
  RValue r = CallByName("external_call8", {sum, RValue(1), RValue(1), RValue(1), RValue(1), RValue(1), RValue(1),
                                           RValue(1), RValue(10)});
  EXPECT_EQ(r.real, 1 + 2 + 3 + 4 + 5 + 6 + 7 + 80);
}

TEST_F(SupportDll, WrongCallsDoNothingSilently) {
  double add = Define(kLib.c_str(), "vl_add2", 0, {0, 0});
  double nothing = Define(kLib.c_str(), "vl_nothing", 1, {});
  RValue r = CallByName("external_call", {RValue(add), RValue(2)});
  EXPECT_TRUE(r.IsReal());
  EXPECT_EQ(r.real, 0);
  EXPECT_EQ(CallByName("external_call", {RValue(99), RValue(2)}).real, 0);
  EXPECT_EQ(CallByName("external_call", {RValue(-1)}).real, 0);
  EXPECT_EQ(CallByName("external_call").real, 0);
  // A null text comes back as the empty string.
  RValue empty = CallByName("external_call", {RValue(nothing)});
  EXPECT_TRUE(empty.IsString());
  EXPECT_EQ(empty.str, "");
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(SupportDll, WindowsNamesFindTheSharedLibraryBesideTheGame) {
  EXPECT_EQ(Define("vl_testlib.dll", "vl_answer", 0, {}), 0);
  EXPECT_EQ(Define("VL_TESTLIB.DLL", "vl_answer", 0, {}), 1);  // shares the loaded library
  EXPECT_EQ(Define("..\\testlibs\\vl_testlib.dll", "vl_answer", 0, {}), 2);
  EXPECT_EQ(Define("missing\\vl_testlib.dll", "vl_answer", 0, {}), -1);
  EXPECT_EQ(CallByName("external_call", {RValue(1)}).real, 42);
}

TEST_F(SupportDll, FreeDropsHandlesAndRedefiningLoadsAgain) {
  double first = Define("vl_testlib.dll", "vl_answer", 0, {});
  double second = Define("vl_testlib.dll", "vl_add2", 0, {0, 0});
  CallByName("external_free", {Str("Vl_TestLib.dll")});
  EXPECT_EQ(CallByName("external_call", {RValue(first)}).real, 0);
  EXPECT_EQ(CallByName("external_call", {RValue(second), RValue(1), RValue(2)}).real, 0);
  double again = Define("vl_testlib.dll", "vl_answer", 0, {});
  EXPECT_EQ(again, 2);
  EXPECT_EQ(CallByName("external_call", {RValue(again)}).real, 42);
  EXPECT_EQ(CallByName("external_call", {RValue(first)}).real, 0);
  CallByName("external_free", {Str("never_loaded.dll")});
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(SupportDll, DefinitionFailures) {
  struct Case {
    const char* lib;
    const char* name;
    double result_type;
    std::initializer_list<double> types;
  };
  const Case cases[] = {
      {"no_such_library.dll", "f", 0, {}},
      {kLib.c_str(), "no_such_function", 0, {}},
      {kLib.c_str(), "vl_Answer", 0, {}},  // names are exact
      {"", "vl_answer", 0, {}},
  };
  for (const Case& c : cases) {
    Error_Reset();
    EXPECT_EQ(Define(c.lib, c.name, c.result_type, c.types), -1) << c.name;
    EXPECT_EQ(ReportedError(), "Error defining an external function.") << c.name;
  }
  Error_Reset();
  EXPECT_EQ(CallByName("external_define0", {Str("missing.dll"), Str("f"), RValue(0)}).real, -1);
  EXPECT_EQ(ReportedError(), "Error defining an external function.");
  // Failed definitions take no id.
  EXPECT_EQ(Define(kLib.c_str(), "vl_answer", 0, {}), 0);
}

TEST_F(SupportDll, ArgumentChecksOfExternalDefine) {
  Error_Reset();
  EXPECT_EQ(Define("lib", "f", 0, {0, 0, 0, 0, 1}), -1);
  EXPECT_EQ(ReportedError(), "DLL functions with more than 4 arguments cannot have string arguments");

  Error_Reset();
  RValue args[MAX_ARGUMENTS] = {Str("lib"), Str("f"), RValue(0), RValue(0), RValue(2), RValue(0)};
  EXPECT_EQ(CallWithSlots("external_define", args, 6).real, -1);
  EXPECT_EQ(ReportedError(), "Wrong number of arguments to external_define()");

  Error_Reset();
  EXPECT_EQ(CallWithSlots("external_define", args, 4).real, -1);
  EXPECT_EQ(ReportedError(), "Wrong number of arguments to external_define()");

  // Five real arguments are fine.
  Error_Reset();
  EXPECT_EQ(Define(kLib.c_str(), "vl_sum8", 0, {0, 0, 0, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(CallByName("external_call8", {RValue(0), RValue(1), RValue(0), RValue(0), RValue(0), RValue(0), RValue(0),
                                          RValue(0), RValue(0)})
                .real,
            1);
}

TEST_F(SupportDll, SecureModeRefusesEverything) {
  double add = Define(kLib.c_str(), "vl_add2", 0, {0, 0});
  SecureMode = true;
  const char* message = "In secure mode you cannot use DLLs";
  EXPECT_EQ(Define(kLib.c_str(), "vl_add2", 0, {0, 0}), 0);
  EXPECT_EQ(ReportedError(), message);
  Error_Reset();
  EXPECT_EQ(CallByName("external_call2", {RValue(add), RValue(1), RValue(2)}).real, 0);
  EXPECT_EQ(ReportedError(), message);
  Error_Reset();
  EXPECT_EQ(CallByName("external_define0", {Str(kLib.c_str()), Str("vl_answer"), RValue(0)}).real, 0);
  EXPECT_EQ(ReportedError(), message);
  Error_Reset();
  CallByName("external_free", {Str(kLib.c_str())});
  EXPECT_EQ(ReportedError(), message);
  SecureMode = false;
  EXPECT_EQ(CallByName("external_call2", {RValue(add), RValue(1), RValue(2)}).real, 3);
}

}  // namespace
