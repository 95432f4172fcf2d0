// The variable_global_ and variable_local_ built-ins: variables reached by
// name, their array forms, the subscript limit and built-in names.
#include <gtest/gtest.h>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "support/Builtin_Call.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Class.h"
#include "world/Room_Main.h"

namespace {

RValue R(double v) { return RValue(v); }

class VariableByName : public ::testing::Test {
 protected:
  void SetUp() override {
    Builtins_RegisterAll();
    Error_Reset();
    Settings = RSettings{};
    Settings.DisplayErrors = false;
    ResetGlobals();
    Room_SetCurrent(0, &room);
    self = room.CreateInstance(100001, 0, 12, 34);
  }
  void TearDown() override {
    Settings = RSettings{};
    Room_SetCurrent(-1, nullptr);
  }
  RValue As(const char* name, std::initializer_list<RValue> args) { return CallByName(name, args, self); }
  CRoom room;
  CInstance* self = nullptr;
};

TEST_F(VariableByName, GlobalsAndLocals) {
  // A missing global reads 0 without an error; setting it declares nothing.
  EXPECT_EQ(As("variable_global_exists", {Str("vbn_score")}).real, 0);
  EXPECT_EQ(As("variable_global_get", {Str("vbn_score")}).real, 0);
  As("variable_global_set", {Str("vbn_score"), Str("high")});
  EXPECT_EQ(As("variable_global_exists", {Str("vbn_score")}).real, 1);
  EXPECT_EQ(As("variable_global_get", {Str("vbn_score")}).str, "high");
  EXPECT_FALSE(IsGlobalvar(VariableIdOf("vbn_score")));

  // a[i, j] is element i * 32000 + j: a[0, 7] and a[7] are one element.
  As("variable_global_array2_set", {Str("vbn_grid"), R(0), R(7), R(5)});
  EXPECT_EQ(As("variable_global_array_get", {Str("vbn_grid"), R(7)}).real, 5);
  As("variable_local_array2_set", {Str("vbn_grid"), R(31999), R(31999), R(4)});
  EXPECT_EQ(As("variable_local_array_get", {Str("vbn_grid"), R(31999)}).real, 0);
  EXPECT_EQ(As("variable_local_array2_get", {Str("vbn_grid"), R(31999), R(31999)}).real, 4);
  EXPECT_EQ(As("variable_local_exists", {Str("vbn_score")}).real, 0);
  EXPECT_FALSE(Error_Occurred());

  // Built-in names reach self's fields; global.x is a plain global.
  EXPECT_EQ(As("variable_local_get", {Str("y")}).real, 34);
  As("variable_local_set", {Str("x"), R(50)});
  As("variable_local_array_set", {Str("alarm"), R(3), R(12)});
  As("variable_local_set", {Str("id"), R(5)});  // read-only: refused quietly
  As("variable_global_set", {Str("x"), R(-1)});
  EXPECT_EQ(self->x, 50);
  EXPECT_EQ(self->alarm[3], 12);
  EXPECT_EQ(self->id, 100001);
  EXPECT_EQ(As("variable_local_exists", {Str("x")}).real, 1);
  EXPECT_FALSE(Error_Occurred());
  // With uninitialised variables read as 0 every read succeeds, but a
  // variable never set still does not exist.
  Settings.UninitializedAsZero = true;
  EXPECT_EQ(As("variable_global_exists", {Str("vbn_never")}).real, 0);
  EXPECT_EQ(As("variable_local_exists", {Str("vbn_never")}).real, 0);
}

TEST_F(VariableByName, SubscriptsOutsideTheArrayAreReportedAndTouchNothing) {
  const struct {
    const char* name;
    std::initializer_list<RValue> args;
  } calls[] = {
      {"variable_global_array2_set", {Str("vbn_bad"), R(0), R(32000), R(1)}},
      {"variable_local_array_set", {Str("vbn_bad"), R(-0.6), R(1)}},  // rounds to -1
      {"variable_local_array2_get", {Str("vbn_bad"), R(1), R(31999.5)}},  // rounds to 32000
  };
  for (const auto& c : calls) {
    Error_Reset();
    EXPECT_EQ(As(c.name, c.args).real, 0) << c.name;
    EXPECT_EQ(ReportedError(), "Array index >= 32000") << c.name;
  }
  EXPECT_EQ(Variable_Globals().Find(VariableIdOf("vbn_bad"), 0), nullptr);
  EXPECT_EQ(self->variables.Find(VariableIdOf("vbn_bad"), 0), nullptr);
}

}  // namespace
