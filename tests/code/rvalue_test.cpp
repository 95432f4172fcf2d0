#include <gtest/gtest.h>

#include "code/RValue.h"

TEST(RValue, FreshValueIsRealZero) {
  RValue v;
  EXPECT_EQ(v.kind, VALUE_REAL);
  EXPECT_EQ(v.real, 0.0);
  EXPECT_TRUE(v.str.empty());
}

TEST(RValue, RoundingTiesToEvenAndFaultsOutOfRange) {
  EXPECT_EQ(RoundToInt64(2.5), 2);
  EXPECT_EQ(RoundToInt64(3.5), 4);
  EXPECT_EQ(RoundToInt64(-2.5), -2);
  EXPECT_EQ(RoundToInt32(4294967297.0), 1);
  EXPECT_THROW(RoundToInt64(1e20), CFloatFault);
  EXPECT_THROW(CheckReal(1e308 * 10), CFloatFault);
}
