#include <gtest/gtest.h>

#include "step/IO_Main.h"
#include "step/Run_Step.h"
#include "world/Run_State.h"
#include "runner/Builtins_Main.h"
#include "variables/Variable_Main.h"

namespace {

RValue Read(const char* name) {
  RValue v;
  int32_t id = BuiltinIndexOf(name);
  EXPECT_GE(id, 0) << name;
  if (id >= 0) Variable_Getter(id)(nullptr, 0, v);
  return v;
}

}  // namespace

// The input variables read the one input state the window's events fill.
TEST(BuiltinInputVariables, ReadTheInputState) {
  Builtins_RegisterAll();
  IO_ClearAll();
  IO_KeyDown(65);
  IO_Character('a');
  IO_MouseDown(2);
  RunState.MouseX = 12;
  RunState.MouseY = 34;
  EXPECT_EQ(Read("keyboard_lastkey").real, 65);
  EXPECT_EQ(Read("keyboard_key").real, 65);
  EXPECT_EQ(Read("keyboard_lastchar").str, "a");
  EXPECT_EQ(Read("keyboard_string").str, "a");
  EXPECT_EQ(Read("mouse_button").real, 2);
  EXPECT_EQ(Read("mouse_x").real, 12);
  EXPECT_EQ(Read("mouse_y").real, 34);
  // Writing keyboard_lastkey is what the function keys and games do to forget a key.
  int32_t id = BuiltinIndexOf("keyboard_lastkey");
  ASSERT_TRUE(Variable_Setter(id)(nullptr, 0, RValue(0.0)));
  EXPECT_EQ(IO_Input.keyboard_lastkey, 0);
}
