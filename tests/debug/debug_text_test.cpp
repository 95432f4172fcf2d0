// The texts the debugger shows: values, variable lines and the instances
// table, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "debug/Debug_Info.h"

namespace {

std::string Text(double a) { return Debug_ValueText(RValue(a)); }

TEST(DebugText, ValuesTakeTheFewestDecimalsThatHoldThem) {
  EXPECT_EQ(Text(7), "7");
  EXPECT_EQ(Text(-3), "-3");
  EXPECT_EQ(Text(0), "0");
  EXPECT_EQ(Text(2.5), "2.50");
  EXPECT_EQ(Text(-2.5), "-2.50");
  EXPECT_EQ(Text(0.1), "0.10");  // 0.1 * 100 misses 10 by far less than 1e-12
  EXPECT_EQ(Text(1.0 / 3), "0.3333333333");
  EXPECT_EQ(Text(2.0 / 3), "0.6666666667");
  EXPECT_EQ(Text(0.125), "0.1250");
  EXPECT_EQ(Text(0.001), "0.0010");
  EXPECT_EQ(Text(1e-6), "0.000001");
  EXPECT_EQ(Text(1.5e-7), "0.00000015");
  EXPECT_EQ(Text(1e-9), "0.0000000010");
  EXPECT_EQ(Text(1234567.25), "1234567.25");
  EXPECT_EQ(Text(123456.789), "123456.7890");
}

TEST(DebugText, ValuesNearAnIntegerAndLargeValues) {
  // Within 1e-12 of an integer is an integer, and never a negative zero.
  EXPECT_EQ(Text(7 + 5e-13), "7");
  EXPECT_EQ(Text(1e-13), "0");
  EXPECT_EQ(Text(-1e-13), "0");
  // Just past it: 10 decimals, rounded to 10 significant digits.
  EXPECT_EQ(Text(7 + 2e-12), "7.0000000000");
  // Ten digits before the point stay fixed; eleven go scientific.
  EXPECT_EQ(Text(1234567890), "1234567890");
  EXPECT_EQ(Text(12345678901.0), "1.234567890E+10");
  EXPECT_EQ(Text(-1e15), "-1.000000000E+15");
  EXPECT_EQ(Debug_ValueText(RValue(std::string("as it is 1.5"))), "as it is 1.5");
}

TEST(DebugText, VariableAndSeparatorLines) {
  std::string text;
  Debug_AppendVariableLine(text, "x", RValue(5.0));
  EXPECT_EQ(text, "x:                  5\r\n");
  text.clear();
  // A name of 19 characters fills the column with its colon; longer names
  // push the value along.
  Debug_AppendVariableLine(text, "nineteen_characters", RValue(0.5));
  Debug_AppendVariableLine(text, "a_name_longer_than_the_column", RValue(std::string("s")));
  EXPECT_EQ(text, "nineteen_characters:0.50\r\na_name_longer_than_the_column:s\r\n");
  text.clear();
  // Zero characters of a string are left out.
  Debug_AppendVariableLine(text, "z", RValue(std::string("a\0b\0", 4)));
  Debug_AppendSeparator(text);
  EXPECT_EQ(text, "z:                  ab\r\n" + std::string(32, '_') + "\r\n");
}

TEST(DebugText, InstanceLines) {
  std::string text;
  Debug_AppendInstanceLine(text, 100001, "obj_player", "spr_player");
  Debug_AppendInstanceLine(text, 7, "a_very_long_object_name", "<undefined>");
  EXPECT_EQ(text,
            "100001     obj_player     spr_player\r\n"
            "     7 a_very_long_object_name    <undefined>\r\n");
}

TEST(DebugText, IntegersForIdsAndSpeeds) {
  int32_t value = 0;
  EXPECT_TRUE(Debug_ParseInteger("100004", value));
  EXPECT_EQ(value, 100004);
  EXPECT_TRUE(Debug_ParseInteger(" -12 ", value));
  EXPECT_EQ(value, -12);
  for (const char* text : {"", "fast", "12x", "1.5", "99999999999", "0x10"})
    EXPECT_FALSE(Debug_ParseInteger(text, value)) << text;
}

}  // namespace
