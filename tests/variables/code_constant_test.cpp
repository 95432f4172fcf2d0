#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "data/Resource_Names.h"
#include "runner/Builtins_Listing.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"
#include "support/TestBuiltins.h"

namespace {

double ConstantReal(const char* name) {
  RValue v;
  EXPECT_TRUE(ConstantOf(name, v)) << name;
  EXPECT_TRUE(v.IsReal()) << name;
  return v.real;
}

TEST(CodeConstant, BuiltinTableInOrder) {
  Constant_RegisterBuiltins();
  ASSERT_GE(Constant_Count(), 288);
  EXPECT_EQ(Constant_Name(0), "self");
  EXPECT_EQ(Constant_Name(287), "ef_snow");
  std::set<std::string> names;
  for (int32_t i = 0; i < 288; i++) names.insert(Constant_Name(i));
  EXPECT_EQ(names.size(), 288u) << "a name is defined twice";

  struct Case {
    const char* name;
    double value;
  };
  const Case cases[] = {
      {"self", -1}, {"local", -7}, {"pi", 3.141592653589793}, {"c_orange", 4235519}, {"c_silver", 12632256},
      {"bm_zero", 1}, {"vk_f1", 112}, {"vk_f12", 123}, {"vk_numpad0", 96}, {"vk_numpad9", 105},
      {"ev_joystick1_button1", 21}, {"ev_joystick1_button8", 28}, {"ev_joystick2_button1", 36},
      {"ev_joystick2_button8", 43}, {"ev_user0", 10}, {"ev_user15", 25}, {"ev_close_button", 30},
      {"cr_arrrow", -2}, {"cr_size_nesw", -6}, {"cr_size_all", -22}, {"dll_stdcall", 1},
      {"ps_change_motion", 2}, {"ef_snow", 11},
  };
  for (const Case& c : cases) EXPECT_EQ(ConstantReal(c.name), c.value) << c.name;
  RValue v;
  EXPECT_FALSE(ConstantOf("vk_f13", v));
  EXPECT_FALSE(ConstantOf("ev_user16", v));
  EXPECT_FALSE(ConstantOf("C_RED", v));
}

TEST(CodeConstant, LaterDefinitionHidesEarlier) {
  Constant_RegisterBuiltins();
  int32_t count = Constant_Count();
  DefineConstant("c_red", RValue(1));
  DefineConstant("greeting", RValue(std::string("hi")));
  EXPECT_EQ(ConstantReal("c_red"), 1);
  RValue v;
  ASSERT_TRUE(ConstantOf("greeting", v));
  EXPECT_EQ(v.str, "hi");
  Constant_Truncate(count);
  EXPECT_EQ(ConstantReal("c_red"), 255);
  EXPECT_FALSE(ConstantOf("greeting", v));
}

TEST(CodeFunction, RegistryCountsAndLookupOrder) {
  TestBuiltins_Register();
  // The engine's built-ins come before the tests' own.
  const int32_t engine_count = Function_BuiltinIdOf(kFirstTestFunction);
  int32_t variadic = 0;
  for (int32_t id = 0; id < engine_count; id++) variadic += Function_ArgCount(id) == -1;
  EXPECT_EQ(variadic, 10);
  for (const char* name : {"min", "max", "mean", "median", "choose", "external_define", "external_call",
                           "execute_string", "execute_file", "script_execute"}) {
    int32_t id = Function_BuiltinIdOf(name);
    ASSERT_GE(id, 0) << name;
    EXPECT_EQ(ArgumentCountOf(id), -1) << name;
  }
  EXPECT_EQ(ArgumentCountOf(Function_BuiltinIdOf("point_direction")), 4);
  EXPECT_EQ(ArgumentCountOf(Function_BuiltinIdOf("external_call8")), 9);
  EXPECT_EQ(ArgumentCountOf(Function_Count()), -100);
  EXPECT_EQ(ArgumentCountOf(-1), -100);
  EXPECT_EQ(ArgumentCountOf(SCRIPT_ID_BASE), -100);

  // A script of the same name wins over the built-in.
  Resource_SetName(RESOURCE_SCRIPT, 0, "");
  Resource_SetName(RESOURCE_SCRIPT, 1, "random");
  EXPECT_EQ(FunctionIdOf("random"), SCRIPT_ID_BASE + 1);
  EXPECT_EQ(ArgumentCountOf(SCRIPT_ID_BASE + 1), -1);
  EXPECT_EQ(ArgumentCountOf(SCRIPT_ID_BASE), -100);  // an empty slot
  EXPECT_EQ(ArgumentCountOf(SCRIPT_ID_BASE + 2), -100);
  Resource_ClearNames(RESOURCE_SCRIPT);
  EXPECT_EQ(FunctionIdOf("random"), Function_BuiltinIdOf("random"));
  EXPECT_EQ(FunctionIdOf("Random"), -1);

  // Registering twice adds nothing.
  int32_t count = Function_Count();
  Builtins_RegisterAll();
  EXPECT_EQ(Function_Count(), count);
}

TEST(BuiltinListing, OneLinePerFunctionVariableAndConstant) {
  Builtins_RegisterAll();
  Constant_RegisterBuiltins();
  FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  Builtins_PrintListing(out);
  std::rewind(out);
  std::set<std::string> lines;
  char line[256];
  int functions = 0, constants = 0;
  while (std::fgets(line, sizeof line, out) != nullptr) {
    std::string text(line);
    ASSERT_EQ(text.back(), '\n');
    text.pop_back();
    functions += text.rfind("function ", 0) == 0;
    constants += text.rfind("constant ", 0) == 0;
    lines.insert(text);
  }
  std::fclose(out);
  EXPECT_EQ(functions, Function_Count());
  EXPECT_EQ(constants, Constant_Count());
  for (const char* expected : {"function min -1 Function_Math", "function string_copy 3 Function_Math",
                               "function random_get_seed 0 Function_Math", "variable x instance rw",
                               "variable id instance ro", "constant pi 3.141592653589793", "constant c_white 16777215",
                               "constant cr_none -1", "constant false 0"})
    EXPECT_TRUE(lines.count(expected)) << expected;
}

}  // namespace
