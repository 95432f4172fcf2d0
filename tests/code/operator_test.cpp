#include <gtest/gtest.h>

#include <cfloat>

#include "code/Code_Phase1.h"
#include "code/Code_TestUtil.h"
#include "data/Option_Main.h"

using codetest::Compile;

namespace {

TEST(Operator, ShiftRightIsLogicalAndStringComparisonKeepsOldText) {
  codetest::RCompiled r = Compile("-1 >> 1", true);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.code->Value().real, 9223372036854775808.0);  // 2^63 - 1 rounded to a real

  CCode code("x", true);
  RValue left(std::string("abc")), right(std::string("abd"));
  ASSERT_TRUE(BinaryOperation(code, 1, OP_LESS, left, right));
  EXPECT_TRUE(left.IsReal());
  EXPECT_EQ(left.real, 1.0);
  EXPECT_EQ(left.str, "abc");
}

TEST(Operator, FailureLeavesOperandsAndKeepsFirstMessage) {
  codetest::EnsureNames();
  CCode code("x", true);
  ClearRecordedError();
  RValue left(std::string("a")), right(2.0);
  EXPECT_FALSE(BinaryOperation(code, 1, OP_MINUS, left, right));
  EXPECT_FALSE(BinaryOperation(code, 1, OP_DIVIDE, right, RValue(0.0)));
  EXPECT_EQ(left.str, "a");
  EXPECT_EQ(right.real, 2.0);
  EXPECT_EQ(RecordedError(), "Error in expression:x\r position 1: Wrong type of arguments to -.");
  ClearRecordedError();
  EXPECT_FALSE(BinaryOperation(code, 1, 999, right, RValue(1.0)));
  EXPECT_NE(RecordedError().find("Internal error: unknown binary operator."), std::string::npos);
  ClearRecordedError();
  EXPECT_FALSE(UnaryOperation(code, 1, OP_MULTIPLY, right));
  EXPECT_NE(RecordedError().find("Internal error: unknown unary operator."), std::string::npos);
}

TEST(Operator, RealArithmeticFaultsInsteadOfInfinities) {
  codetest::EnsureNames();
  DefineConstant("test_big", RValue(1e200));
  DefineConstant("test_max", RValue(DBL_MAX));
  for (const char* text : {"test_big * test_big", "test_max + test_max", "test_max / 0.5", "-test_max - test_max",
                           "test_big | 0", "1 << test_big", "~test_big", "10000000000 div 1", "test_big mod 3",
                           "test_big * 'a'"}) {
    CCode code(text, true);
    EXPECT_THROW(code.Compile(), CFloatFault) << text;
    EXPECT_FALSE(code.IsCompiled());
  }
  EXPECT_THROW(RealToText(1e20), CFloatFault);
}

TEST(Operator, HugeRepetitionIsRefused) {
  CCode code("x", true);
  RValue left(1e9), right(std::string("ab"));
  ClearRecordedError();
  EXPECT_FALSE(BinaryOperation(code, 1, OP_MULTIPLY, left, right));
  EXPECT_EQ(RecordedError(), "Error in expression:x\r position 1: String too long.");
  EXPECT_EQ(left.real, 1e9);
  left.SetReal(3e5);
  ASSERT_TRUE(BinaryOperation(code, 1, OP_MULTIPLY, left, right));
  EXPECT_EQ(left.str.size(), 600000u);
}

TEST(Operator, ArithmeticCarriesA64BitMantissa) {
  // Rounded first to 64 bits and then to 53, this product differs in its last
  // bit from the product rounded once.
  CCode code("x", true);
  RValue left(0x1.000e7d7144e6cp+0), right(0x1.a6aed99cbee8p+1);
  ASSERT_TRUE(BinaryOperation(code, 1, OP_MULTIPLY, left, right));
  EXPECT_EQ(left.real, 0x1.a6c6c64b0aad8p+1);
  EXPECT_NE(left.real, 0x1.000e7d7144e6cp+0 * 0x1.a6aed99cbee8p+1);
  // Number literals accumulate the same way: 0.15 is the nearest double here,
  // where double steps would give the one above it.
  EXPECT_EQ(Phase1_NumberValue("0.15"), 0.15);
  EXPECT_EQ(Phase1_NumberValue("0.3"), 0.30000000000000004);
  EXPECT_EQ(Phase1_NumberValue("0.7"), 0.7000000000000001);
  EXPECT_EQ(Phase1_NumberValue("0.35"), 0.35000000000000003);
  for (double nearest : {0.1, 0.2, 1.1, 2.675}) {
    std::string text = std::to_string(nearest);
    text.erase(text.find_last_not_of('0') + 1);
    EXPECT_EQ(Phase1_NumberValue(text), nearest) << text;
  }
  EXPECT_EQ(Phase1_NumberValue("$FF"), 255);
  EXPECT_EQ(Phase1_NumberValue("$1f"), 31);
  EXPECT_EQ(Phase1_NumberValue("$"), 0);
  EXPECT_EQ(Phase1_NumberValue("1..5"), 1.5);
  EXPECT_EQ(Phase1_NumberValue("1.2.3"), 1.23);
  EXPECT_EQ(Phase1_NumberValue(".5"), 0.5);
  EXPECT_EQ(Phase1_NumberValue("7."), 7);
}

TEST(Operator, RealToTextRules) {
  const std::pair<double, const char*> cases[] = {
      {3, "3"},           {-12, "-12"},        {-0.0, "0"},           {1000000, "1000000"},
      {1.5, "1.50"},      {2.999, "3.00"},     {-0.5, "-0.50"},       {0.125, "0.13"},
      {2.675, "2.67"},    {9.999, "10.00"},    {-0.004, "0.00"},      {-0.005, "-0.01"},
      {0.05, "0.05"},     {1.0 / 3, "0.33"},   {123.456, "123.46"},   {1e-10, "0.00"},
      {123456789.125, "123456789.10"},       {12345678901.5, "1.23456789E10"},
      {99999999999.5, "1E11"},               {9999999999.5, "1E10"},
      {-12345678901.5, "-1.23456789E10"},    {4503599627370495.5, "4.503599627E15"},
  };
  for (const auto& [real, text] : cases) EXPECT_EQ(RealToText(real), text) << real;
  EXPECT_EQ(RealToText(1.5, ','), "1,50");
  EXPECT_EQ(RealToText(12345678901.5, ','), "1,23456789E10");
}

TEST(Operator, TextToRealParsesDecimalsAndReportsTheRest) {
  codetest::EnsureNames();
  Error_Reset();
  Settings.DisplayErrors = false;
  const std::pair<const char*, double> good[] = {
      {" 12.5 ", 12.5}, {"", 0}, {" \t\r\n", 0}, {"-3e2", -300}, {"+.5", 0.5}, {"1.", 1}, {"2E-1", 0.2},
      {"1e-999", 0}, {"007", 7}, {"1e-99999", 0}, {"0.000000000000000000000001e-9999", 0},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(TextToReal(text), value) << text;
  EXPECT_FALSE(Error_Occurred());
  for (const char* text : {"abc", "0x10", "inf", "nan", ".", "1e", "1 2", "\t1", "--1"}) {
    Error_Reset();
    EXPECT_EQ(TextToReal(text), 0) << text;
    EXPECT_TRUE(Error_Occurred()) << text;
    EXPECT_NE(Error_Last().find("\r\n\r\nError in function real()."), std::string::npos);
  }
  for (const char* text : {"1e999", "-1e99999", "100000000e4930", "1e99999999999999999999"})
    EXPECT_THROW(TextToReal(text), CFloatFault) << text;
  Settings.DisplayErrors = true;
}

}  // namespace
