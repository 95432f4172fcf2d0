// The interpreter's hinted lookups must find what Find finds, also in a list
// read from a stream that repeats an id (the last record wins there).
#include <gtest/gtest.h>

#include "data/Support_Stream.h"
#include "variables/Variable_Class.h"

namespace {

void WriteRecord(CStream& s, int32_t id, double value) {
  s.WriteInteger(id);
  s.WriteInteger(0), s.WriteReal(value), s.WriteString("");
  s.WriteInteger(0);  // no rows
}

TEST(VariableHint, RepeatedIdsFromAStreamIgnoreTheHint) {
  CStream s;
  s.WriteInteger(440);
  s.WriteInteger(3);
  WriteRecord(s, 100001, 1);
  WriteRecord(s, 100002, 2);
  WriteRecord(s, 100001, 3);
  s.SetPosition(0);
  CVariableList list;
  list.ReadFrom(s);
  int32_t hint = 0;  // names the first, hidden record
  RVariable* found = list.FindVariable(100001, hint);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->value.real, 3);
  EXPECT_EQ(&found->value, list.Find(100001, 0));

  // Without repeats a stale hint is only a miss; cleared lists trust hints again.
  list.Clear();
  list.Set(100002, 0, RValue(5.0));
  list.Set(100001, 0, RValue(6.0));
  hint = 0;
  EXPECT_EQ(list.FindVariable(100001, hint)->value.real, 6);
  EXPECT_EQ(hint, 1);
  EXPECT_EQ(list.FindVariable(100001, hint)->value.real, 6);
  EXPECT_EQ(list.FindVariable(100003, hint), nullptr);
}

}  // namespace
