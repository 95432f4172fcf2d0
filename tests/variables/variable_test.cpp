// Variable stores: arrays, the exact stream forms, the global store and the
// owner dispatch.
#include <gtest/gtest.h>

#include "code/Code_Tree.h"
#include "data/Option_Main.h"
#include "data/Support_Stream.h"
#include "support/TestBuiltins.h"
#include "variables/Variable_Class.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

RValue Real(double r) { return RValue(r); }

TEST(VariableList, ArraysGrowAndShareElementZero) {
  Settings = RSettings();
  CVariableList list;
  RValue v;
  list.Set(100000, 2, Real(5));
  ASSERT_TRUE(list.Get(100000, 0, v));
  EXPECT_EQ(v.real, 0);
  ASSERT_TRUE(list.Get(100000, 1, v));
  EXPECT_EQ(v.real, 0);
  ASSERT_TRUE(list.Get(100000, 2, v));
  EXPECT_EQ(v.real, 5);
  EXPECT_FALSE(list.Get(100000, 3, v));
  EXPECT_FALSE(list.Get(100000, 32000, v));
  EXPECT_FALSE(list.Get(100001, 0, v));
  list.Set(100000, 7, Real(1));
  list.Set(100000, 32000, Real(2));
  ASSERT_TRUE(list.Get(100000, 7, v));
  EXPECT_EQ(v.real, 1);
  ASSERT_TRUE(list.Get(100000, 32000, v));
  EXPECT_EQ(v.real, 2);
  // Declare leaves an existing variable alone.
  list.Set(100003, 0, Real(9));
  list.Declare(100003);
  list.Declare(100004);
  ASSERT_TRUE(list.Get(100003, 0, v));
  EXPECT_EQ(v.real, 9);
  ASSERT_TRUE(list.Get(100004, 0, v));
  EXPECT_EQ(v.real, 0);

  Settings.UninitializedAsZero = true;
  v.SetString("old");
  ASSERT_TRUE(list.Get(100099, 0, v));
  EXPECT_TRUE(v.IsReal());
  EXPECT_EQ(v.str, "");
  Settings = RSettings();
}

TEST(VariableList, LongListsFindEveryVariable) {
  CVariableList list;
  for (int i = 0; i < 500; i++) list.Set(100000 + i * 7, 0, Real(i));
  CVariableList copy;
  copy.CopyFrom(list);
  list.Clear();
  RValue v;
  for (int i = 0; i < 500; i++) {
    ASSERT_TRUE(copy.Get(100000 + i * 7, 0, v)) << i;
    EXPECT_EQ(v.real, i);
  }
  EXPECT_FALSE(copy.Get(100001, 0, v));
  EXPECT_FALSE(list.Get(100000, 0, v));
}

TEST(VariableList, StreamFormIsExact) {
  CVariableList list;
  RValue compared(1.0);
  compared.str = "old text";  // a real that kept its text
  list.Set(100005, 0, compared);
  list.Set(7, 1, RValue(std::string("s")));
  CStream s;
  list.WriteTo(s);

  CStream expected;
  expected.WriteInteger(440);
  expected.WriteInteger(2);
  expected.WriteInteger(100005);
  expected.WriteInteger(0), expected.WriteReal(1.0), expected.WriteString("old text");
  expected.WriteInteger(0);  // no rows
  expected.WriteInteger(7);
  expected.WriteInteger(0), expected.WriteReal(0.0), expected.WriteString("");
  expected.WriteInteger(1);  // one row of two elements
  expected.WriteInteger(2);
  expected.WriteInteger(0), expected.WriteReal(0.0), expected.WriteString("");
  expected.WriteInteger(1), expected.WriteReal(0.0), expected.WriteString("s");
  EXPECT_EQ(s.Bytes(), expected.Bytes());

  CVariableList back;
  s.SetPosition(0);
  back.ReadFrom(s);
  CStream again;
  back.WriteTo(again);
  EXPECT_EQ(again.Bytes(), s.Bytes());

  CStream wrong;
  wrong.WriteInteger(441);
  wrong.WriteInteger(5);
  wrong.SetPosition(0);
  back.ReadFrom(wrong);
  EXPECT_EQ(back.Count(), 0);
  EXPECT_EQ(wrong.Position(), 4);

  // A truncated stream is an error, never a crash or a huge allocation.
  CStream cut;
  cut.WriteInteger(440);
  cut.WriteInteger(2000000000);
  cut.WriteInteger(100000);
  cut.SetPosition(0);
  EXPECT_THROW(back.ReadFrom(cut), CStreamError);
}

TEST(GlobalStore, GlobalvarFlagsAndStreamForm) {
  ResetGlobals();
  EXPECT_FALSE(IsGlobalvar(100003));
  DeclareGlobalvar(100003);
  DeclareGlobalvar(5);  // built-in ids are ignored
  DeclareGlobalvar(100000 + 12000);  // beyond the initial flags
  EXPECT_TRUE(IsGlobalvar(100003));
  EXPECT_TRUE(IsGlobalvar(112000));
  EXPECT_FALSE(IsGlobalvar(5));
  RValue v;
  ASSERT_TRUE(GetGlobal(100003, 0, v));
  SetGlobal(5, 0, Real(3));  // global.x is a plain global
  ASSERT_TRUE(GetGlobal(5, 0, v));
  EXPECT_EQ(v.real, 3);

  CStream s;
  WriteGlobals(s);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadInteger(), 700);
  CVariableList skipped;
  skipped.ReadFrom(s);
  EXPECT_EQ(s.ReadInteger(), 112000 - 99000);  // the flags grew to id - 99000
  s.SetPosition(0);
  ResetGlobals();
  ReadGlobals(s);
  EXPECT_TRUE(IsGlobalvar(112000));
  ASSERT_TRUE(GetGlobal(5, 0, v));
  EXPECT_EQ(s.Remaining(), 0);

  CStream wrong;
  wrong.WriteInteger(701);
  wrong.SetPosition(0);
  ReadGlobals(wrong);
  EXPECT_TRUE(IsGlobalvar(100003));  // unchanged
  ResetGlobals();
  EXPECT_FALSE(IsGlobalvar(100003));
}

TEST(Owners, ReadFirstWriteEveryLiveInstance) {
  World_InstallAccess();
  TestBuiltins_Register();
  int32_t fixed = BuiltinIndexOf("owner_test_fixed");
  CRoom room;
  Room_SetCurrent(0, &room);
  CInstance& a = *room.CreateInstance(100001, 2, 0, 0);
  a.destroyed = true;
  CInstance& b = *room.CreateInstance(100002, 2, 0, 0);
  CInstance& c = *room.CreateInstance(100003, 5, 0, 0);

  EXPECT_TRUE(SetOwnerVariable(2, 100050, 0, Real(4)));
  RValue v;
  EXPECT_FALSE(a.variables.Get(100050, 0, v));
  ASSERT_TRUE(GetOwnerVariable(2, 100050, 0, v));
  EXPECT_EQ(v.real, 4);
  EXPECT_TRUE(SetOwnerVariable(OWNER_ALL, 100051, 0, Real(1)));
  EXPECT_TRUE(c.variables.Get(100051, 0, v));
  EXPECT_TRUE(SetOwnerVariable(9, 100051, 0, Real(1)));       // no instances: nothing, true
  EXPECT_TRUE(SetOwnerVariable(100099, 100051, 0, Real(1)));  // no such id: nothing, true
  EXPECT_FALSE(GetOwnerVariable(9, 100051, 0, v));
  EXPECT_FALSE(GetOwnerVariable(100001, 100051, 0, v));  // destroyed
  EXPECT_TRUE(GetOwnerVariable(100003, 100051, 0, v));
  EXPECT_FALSE(GetOwnerVariable(OWNER_NOONE, 100051, 0, v));
  EXPECT_FALSE(SetOwnerVariable(OWNER_NOONE, 100051, 0, v));
  // Built-in ids reach the getter; a read-only one refuses writes.
  ASSERT_TRUE(GetOwnerVariable(100002, fixed, 6, v));
  EXPECT_EQ(v.real, 6);
  EXPECT_FALSE(SetOwnerVariable(100002, fixed, 0, v));
  EXPECT_FALSE(SetInstanceVariable(&b, fixed, 0, v));
  Room_SetCurrent(-1, nullptr);
}

}  // namespace
