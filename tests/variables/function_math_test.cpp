#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/Builtin_Call.h"
#include "variables/Function_Math.h"

namespace {

class FunctionMath : public ::testing::Test {
 protected:
  void SetUp() override { Error_Reset(); }
};

struct RealCase {
  const char* name;
  std::vector<RValue> args;
  double expected;
};

RValue Call(const char* name, const std::vector<RValue>& args) {
  switch (args.size()) {
    case 0: return CallByName(name);
    case 1: return CallByName(name, {args[0]});
    case 2: return CallByName(name, {args[0], args[1]});
    case 3: return CallByName(name, {args[0], args[1], args[2]});
    default: return CallByName(name, {args[0], args[1], args[2], args[3]});
  }
}

TEST_F(FunctionMath, RealResults) {
  const RealCase cases[] = {
      {"abs", {RValue(-2.5)}, 2.5},
      {"round", {RValue(-0.5)}, 0},
      {"round", {RValue(0.5)}, 0},
      {"round", {RValue(1.5)}, 2},
      {"round", {RValue(2.5)}, 2},
      {"floor", {RValue(-0.5)}, -1},
      {"floor", {RValue(2147483648.0)}, -2147483648.0},
      {"floor", {RValue(4294967297.5)}, 1},
      {"ceil", {RValue(1.2)}, 2},
      {"ceil", {RValue(-1.8)}, -1},
      {"sign", {RValue(-3)}, -1},
      {"sign", {RValue(0)}, 0},
      {"sign", {RValue(0.1)}, 1},
      {"frac", {RValue(2.75)}, 0.75},
      {"frac", {RValue(-1.25)}, -0.25},
      {"sqrt", {RValue(6.25)}, 2.5},
      {"sqr", {RValue(-3)}, 9},
      {"exp", {RValue(0)}, 1},
      {"exp", {RValue(-1000)}, 0},
      {"ln", {RValue(1)}, 0},
      {"log2", {RValue(8)}, 3},
      {"log10", {RValue(1000)}, 3},
      {"logn", {RValue(2), RValue(8)}, 3},
      {"power", {RValue(0), RValue(0)}, 1},
      {"power", {RValue(0), RValue(3)}, 0},
      {"power", {RValue(2), RValue(10)}, 1024},
      {"power", {RValue(-2), RValue(3)}, -8},
      {"power", {RValue(2), RValue(-2)}, 0.25},
      {"power", {RValue(3), RValue(40)}, 12157665459056928801.0},
      {"sin", {RValue(9223372036854775808.0)}, 0},
      {"cos", {RValue(-1e19)}, 0},
      {"cos", {RValue(0)}, 1},
      {"arctan2", {RValue(1), RValue(0)}, M_PI / 2},
      {"degtorad", {RValue(180)}, M_PI},
      {"radtodeg", {RValue(M_PI)}, 180},
      {"point_distance", {RValue(1), RValue(1), RValue(4), RValue(5)}, 5},
      {"point_direction", {RValue(0), RValue(0), RValue(1), RValue(1)}, 315},
      {"point_direction", {RValue(0), RValue(0), RValue(0), RValue(-5)}, 90},
      {"point_direction", {RValue(0), RValue(0), RValue(0), RValue(5)}, 270},
      {"point_direction", {RValue(3), RValue(3), RValue(3), RValue(3)}, 0},
      {"point_direction", {RValue(0), RValue(0), RValue(-2), RValue(0)}, 180},
      {"point_direction", {RValue(0), RValue(0), RValue(1), RValue(-1)}, 45},
      {"lengthdir_x", {RValue(10), RValue(90)}, 0},
      {"lengthdir_y", {RValue(10), RValue(90)}, -10},
      {"lengthdir_x", {RValue(10), RValue(180)}, -10},
      {"lengthdir_y", {RValue(10), RValue(270)}, 10},
      {"mean", {}, 0},
      {"mean", {RValue(1), RValue(2), RValue(3), RValue(4)}, 2.5},
      {"median", {RValue(5), RValue(1), RValue(3)}, 3},
      {"median", {RValue(1), RValue(2), RValue(3), RValue(4)}, 2},
      {"median", {RValue(4), RValue(4), RValue(1)}, 4},
      {"median", {}, 0},
      {"min", {}, 0},
      {"min3", {RValue(3), RValue(1), RValue(2)}, 1},
      {"max3", {RValue(3), RValue(1), RValue(2)}, 3},
      {"max", {RValue(-1), RValue(7), RValue(2)}, 7},
      {"is_real", {RValue(1)}, 1},
      {"is_real", {Str("1")}, 0},
      {"is_string", {Str("")}, 1},
      {"ord", {Str("")}, 0},
      {"ord", {Str("\xC8x")}, 200},
      {"string_length", {Str("hello")}, 5},
      {"string_pos", {Str("lo"), Str("hello lo")}, 4},
      {"string_pos", {Str(""), Str("abc")}, 0},
      {"string_pos", {Str("x"), Str("abc")}, 0},
      {"string_count", {Str("aa"), Str("aaaa")}, 2},
      {"string_count", {Str("aa"), Str("aaa")}, 1},
      {"string_count", {Str(""), Str("aaa")}, 0},
  };
  for (const RealCase& c : cases) {
    RValue r = Call(c.name, c.args);
    EXPECT_TRUE(r.IsReal()) << c.name;
    EXPECT_DOUBLE_EQ(r.real, c.expected) << c.name << " with " << c.args.size() << " arguments";
  }
  EXPECT_EQ(ReportedError(), "");
  // Snapped to an exact integer, positive zero included.
  RValue zero = CallByName("lengthdir_x", {RValue(10), RValue(90)});
  EXPECT_EQ(zero.real, 0.0);
  EXPECT_FALSE(std::signbit(zero.real));
  EXPECT_NEAR(CallByName("lengthdir_x", {RValue(10), RValue(45)}).real, 7.0710678, 1e-6);
  EXPECT_FALSE(std::signbit(CallByName("point_direction", {RValue(0), RValue(0), RValue(5), RValue(0)}).real));
}

struct StringCase {
  const char* name;
  std::vector<RValue> args;
  std::string expected;
};

TEST_F(FunctionMath, StringResults) {
  const StringCase cases[] = {
      {"string_copy", {Str("abcdef"), RValue(0), RValue(2)}, "ab"},
      {"string_copy", {Str("abc"), RValue(3), RValue(10)}, "c"},
      {"string_copy", {Str("abc"), RValue(4), RValue(1)}, ""},
      {"string_copy", {Str("abc"), RValue(2), RValue(-1)}, ""},
      {"string_copy", {Str("abcdef"), RValue(2.5), RValue(3)}, "bcd"},
      {"string_char_at", {Str("abc"), RValue(2)}, "b"},
      {"string_char_at", {Str("abc"), RValue(0)}, "a"},
      {"string_char_at", {Str("abc"), RValue(9)}, ""},
      {"string_delete", {Str("abc"), RValue(0), RValue(1)}, "abc"},
      {"string_delete", {Str("abcdef"), RValue(2), RValue(2)}, "adef"},
      {"string_delete", {Str("abcdef"), RValue(5), RValue(100)}, "abcd"},
      {"string_delete", {Str("abc"), RValue(4), RValue(1)}, "abc"},
      {"string_delete", {Str("abc"), RValue(1), RValue(0)}, "abc"},
      {"string_insert", {Str("X"), Str("abc"), RValue(10)}, "abcX"},
      {"string_insert", {Str("X"), Str("abc"), RValue(-3)}, "Xabc"},
      {"string_insert", {Str("XY"), Str("abc"), RValue(2)}, "aXYbc"},
      {"string_lower", {Str("AbC-\xC4Z")}, "abc-\xC4z"},
      {"string_upper", {Str("aBc1z")}, "ABC1Z"},
      {"string_repeat", {Str("ab"), RValue(3)}, "ababab"},
      {"string_repeat", {Str("ab"), RValue(-2)}, ""},
      {"string_repeat", {Str(""), RValue(1e15)}, ""},
      {"string_letters", {Str("a1 B2_c")}, "aBc"},
      {"string_digits", {Str("a1 B2_c3")}, "123"},
      {"string_lettersdigits", {Str("a1 B2_c!")}, "a1B2c"},
      {"string_replace", {Str("abcabc"), Str("b"), Str("XX")}, "aXXcabc"},
      {"string_replace", {Str("abc"), Str("z"), Str("XX")}, "abc"},
      {"string_replace", {Str("abc"), Str(""), Str("XX")}, "abc"},
      {"string_replace_all", {Str("aaa"), Str("a"), Str("aa")}, "aaaaaa"},
      {"string_replace_all", {Str("abcabc"), Str("bc"), Str("")}, "aa"},
      {"string_replace_all", {Str("Aaa"), Str("a"), Str("b")}, "Abb"},
      {"chr", {RValue(321)}, "A"},
      {"chr", {RValue(-191)}, "A"},
      {"string_format", {RValue(3.14159), RValue(0), RValue(2)}, "3.14"},
      {"string_format", {RValue(3.14159), RValue(8), RValue(2)}, "    3.14"},
      {"string_format", {RValue(-3.14159), RValue(2), RValue(3)}, "-3.142"},
      {"string_format", {RValue(2.5), RValue(0), RValue(0)}, "3"},
      {"string_format", {RValue(0.4), RValue(0), RValue(0)}, "0"},
      {"string_format", {RValue(0.05), RValue(0), RValue(1)}, "0.1"},
      {"string_format", {RValue(9.999), RValue(0), RValue(2)}, "10.00"},
      {"string_format", {RValue(2.675), RValue(0), RValue(2)}, "2.67"},
      {"string_format", {RValue(-0.001), RValue(0), RValue(2)}, "0.00"},
      {"string_format", {RValue(0), RValue(0), RValue(3)}, "0.000"},
      {"string_format", {RValue(12), RValue(0), RValue(-4)}, "12"},
      {"string_format", {RValue(1.0 / 3), RValue(0), RValue(20)}, "0.33333333333333331500"},
      {"string_format", {RValue(1e20), RValue(0), RValue(1)}, "100000000000000000000.0"},
      {"string_format", {Str("abc"), RValue(10), RValue(2)}, "abc"},
  };
  for (const StringCase& c : cases) {
    RValue r = Call(c.name, c.args);
    EXPECT_TRUE(r.IsString()) << c.name;
    EXPECT_EQ(r.str, c.expected) << c.name << " from " << (c.args[0].IsString() ? c.args[0].str : "a real");
  }
  RValue nul = CallByName("chr", {RValue(256)});
  EXPECT_EQ(nul.str, std::string(1, '\0'));
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(FunctionMath, ArgumentsStayUnchanged) {
  RValue s = Str("abcabc");
  CallByName("string_replace_all", {s, Str("a"), Str("x")});
  EXPECT_EQ(s.str, "abcabc");
}

TEST_F(FunctionMath, MinMaxCompareByTheResultsKind) {
  RValue r = CallByName("min", {RValue(3), Str("a")});
  EXPECT_TRUE(r.IsString());
  EXPECT_EQ(r.str, "a");
  r = CallByName("max", {Str("a"), Str("b")});
  EXPECT_EQ(r.str, "b");
  r = CallByName("min", {Str("b"), Str("B"), Str("c")});
  EXPECT_EQ(r.str, "B");
  // Bytes compare unsigned: 0xE9 sorts after 'z'.
  r = CallByName("max", {Str("z"), Str("\xE9")});
  EXPECT_EQ(r.str, "\xE9");
  r = CallByName("max", {RValue(1), RValue(5), RValue(5), RValue(2)});
  EXPECT_EQ(r.real, 5);
}

struct ErrorCase {
  const char* name;
  std::vector<RValue> args;
  const char* message;
};

TEST_F(FunctionMath, FailuresReportTheirMessageAndLeaveZero) {
  const ErrorCase cases[] = {
      {"sqrt", {RValue(-1)}, "Cannot apply sqrt to negative number."},
      {"exp", {RValue(710)}, "Error in function exp()."},
      {"ln", {RValue(0)}, "Error in function ln()."},
      {"log2", {RValue(-1)}, "Error in function log2()."},
      {"log10", {RValue(0)}, "Error in function log10()."},
      {"logn", {RValue(1), RValue(5)}, "Error in function logn()."},
      {"logn", {RValue(0), RValue(5)}, "Error in function logn()."},
      {"logn", {RValue(2), RValue(-5)}, "Error in function logn()."},
      {"power", {RValue(-8), RValue(1.0 / 3)}, "Error in function power()."},
      {"power", {RValue(0), RValue(-1)}, "Error in function power()."},
      {"power", {RValue(10), RValue(400)}, "Error in function power()."},
      {"power", {RValue(10), RValue(400.5)}, "Error in function power()."},
      {"power", {RValue(0.1), RValue(-400)}, "Error in function power()."},
      {"arcsin", {RValue(1.5)}, "Error in function arcsin()."},
      {"arccos", {RValue(-2)}, "Error in function arccos()."},
      {"string_repeat", {Str("ab"), RValue(268435456)}, "String too long."},
      {"string_format", {RValue(1), RValue(1e12), RValue(0)}, "String too long."},
      {"string_format", {RValue(1), RValue(0), RValue(1e12)}, "String too long."},
  };
  for (const ErrorCase& c : cases) {
    Error_Reset();
    RValue r = Call(c.name, c.args);
    EXPECT_EQ(ReportedError(), c.message) << c.name;
    EXPECT_TRUE(r.IsReal());
    EXPECT_EQ(r.real, 0) << c.name;
  }
}

TEST_F(FunctionMath, UncheckedFunctionsRaiseTheFault) {
  const ErrorCase cases[] = {
      {"sqr", {RValue(1e200)}, ""},
      {"round", {RValue(1e20)}, ""},
      {"floor", {RValue(1e20)}, ""},
      {"ceil", {RValue(-1e20)}, ""},
      {"chr", {RValue(1e20)}, ""},
      {"string_repeat", {Str("a"), RValue(1e20)}, ""},
      {"random_set_seed", {RValue(1e20)}, ""},
      {"tan", {RValue(9223372036854775808.0)}, ""},
      {"point_distance", {RValue(0), RValue(0), RValue(1e200), RValue(1e200)}, ""},
      {"mean", {RValue(1e308), RValue(1e308)}, ""},
  };
  for (const ErrorCase& c : cases) EXPECT_THROW(Call(c.name, c.args), CFloatFault) << c.name;
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(FunctionMath, RandomGeneratorIsReproducible) {
  CallByName("random_set_seed", {RValue(1)});
  double first = CallByName("random", {RValue(1)}).real;
  double second = CallByName("random", {RValue(1)}).real;
  EXPECT_EQ(first, 134775814 / 4294967296.0);
  uint32_t seed = 134775814u * 134775813u + 1u;
  EXPECT_EQ(second, seed / 4294967296.0);
  EXPECT_EQ(CallByName("random_get_seed").real, static_cast<int32_t>(seed));

  CallByName("random_set_seed", {RValue(4294967296.0 + 5)});
  EXPECT_EQ(CallByName("random_get_seed").real, 5);
  CallByName("random_set_seed", {RValue(-1)});
  EXPECT_EQ(CallByName("random_get_seed").real, -1);
  EXPECT_EQ(Random_Seed(), 0xFFFFFFFFu);

  // choose picks (new seed * count) >> 32.
  Random_SetSeed(7);
  uint32_t next = 7u * 134775813u + 1u;
  RValue picked = CallByName("choose", {RValue(10), Str("b"), RValue(30)});
  RValue expected[] = {RValue(10), Str("b"), RValue(30)};
  const RValue& want = expected[(static_cast<uint64_t>(next) * 3) >> 32];
  EXPECT_EQ(picked.kind, want.kind);
  EXPECT_EQ(picked.real, want.real);
  EXPECT_EQ(picked.str, want.str);
  // No arguments: real 0 and no draw.
  uint32_t before = Random_Seed();
  EXPECT_EQ(CallByName("choose").real, 0);
  EXPECT_EQ(Random_Seed(), before);

  for (int i = 0; i < 1000; i++) {
    double r = CallByName("random", {RValue(10)}).real;
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 10);
    ASSERT_LT(Random_Below(6), 6u);
  }
}

}  // namespace
