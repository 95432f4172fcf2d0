#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/Platform.h"
#include "support/Builtin_Call.h"

namespace {

double Date(double y, double m, double d) { return CallByName("date_create_date", {RValue(y), RValue(m), RValue(d)}).real; }

double DateTime(double y, double mo, double d, double h, double mi, double s) {
  return CallByName("date_create_datetime", {RValue(y), RValue(mo), RValue(d), RValue(h), RValue(mi), RValue(s)}).real;
}

double Get(const char* name, double d) { return CallByName(name, {RValue(d)}).real; }
double Get2(const char* name, double a, double b) { return CallByName(name, {RValue(a), RValue(b)}).real; }

TEST(FunctionDate, CreatingAndValidating) {
  EXPECT_EQ(Date(1899, 12, 30), 0);
  EXPECT_EQ(Date(1900, 1, 1), 2);
  EXPECT_EQ(Date(2008, 2, 29), 39507);
  EXPECT_EQ(Date(2007, 2, 29), 0);
  EXPECT_EQ(Date(2000, 13, 1), 0);
  EXPECT_EQ(Date(10000, 1, 1), 0);
  EXPECT_EQ(Date(2008, 4, 30.6), 0);  // 31 April after rounding
  EXPECT_EQ(DateTime(2008, 2, 29, 18, 0, 0), 39507.75);
  EXPECT_EQ(DateTime(2008, 2, 29, 18, 60, 0), 0);
  EXPECT_EQ(DateTime(1899, 12, 29, 6, 0, 0), -1.25);
  EXPECT_EQ(CallByName("date_create_time", {RValue(12), RValue(0), RValue(0)}).real, 0.5);
  EXPECT_EQ(CallByName("date_create_time", {RValue(24), RValue(0), RValue(0)}).real, 1);
  EXPECT_EQ(CallByName("date_valid_time", {RValue(24), RValue(0), RValue(0)}).real, 1);
  EXPECT_EQ(CallByName("date_valid_time", {RValue(24), RValue(0), RValue(1)}).real, 0);
  EXPECT_EQ(CallByName("date_valid_time", {RValue(-1), RValue(0), RValue(0)}).real, 0);
  EXPECT_EQ(CallByName("date_valid_date", {RValue(1900), RValue(2), RValue(29)}).real, 0);
  EXPECT_EQ(CallByName("date_valid_date", {RValue(2000), RValue(2), RValue(29)}).real, 1);
  EXPECT_EQ(CallByName("date_valid_datetime", {RValue(2000), RValue(2), RValue(29), RValue(23), RValue(59), RValue(59)}).real, 1);
  EXPECT_EQ(CallByName("date_valid_datetime", {RValue(2000), RValue(2), RValue(30), RValue(0), RValue(0), RValue(0)}).real, 0);
}

TEST(FunctionDate, Parts) {
  double d = DateTime(2008, 12, 29, 13, 45, 30);
  struct Case {
    const char* name;
    double expected;
  };
  const Case cases[] = {
      {"date_get_year", 2008}, {"date_get_month", 12}, {"date_get_day", 29}, {"date_get_hour", 13},
      {"date_get_minute", 45}, {"date_get_second", 30}, {"date_get_week", 1}, {"date_get_weekday", 2},
      {"date_get_day_of_year", 364}, {"date_get_hour_of_year", 363 * 24 + 13},
      {"date_get_minute_of_year", (363 * 24 + 13) * 60 + 45},
      {"date_get_second_of_year", ((363 * 24 + 13) * 60 + 45) * 60 + 30}, {"date_days_in_month", 31},
      {"date_days_in_year", 366}, {"date_leap_year", 1}, {"date_is_today", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Get(c.name, d), c.expected) << c.name;

  EXPECT_EQ(Get("date_get_week", Date(2008, 1, 1)), 1);
  EXPECT_EQ(Get("date_get_week", Date(2010, 1, 3)), 53);  // a Sunday still in 2009's last week
  EXPECT_EQ(Get("date_get_week", Date(2010, 1, 4)), 1);
  EXPECT_EQ(Get("date_get_weekday", 0), 7);  // 30 December 1899 was a Saturday
  EXPECT_EQ(Get("date_get_weekday", -1), 6);
  EXPECT_EQ(Get("date_days_in_month", Date(1900, 2, 10)), 28);
  EXPECT_EQ(Get("date_leap_year", Date(1900, 5, 5)), 0);
  EXPECT_EQ(Get("date_leap_year", Date(2000, 5, 5)), 1);
  EXPECT_EQ(Get("date_days_in_year", Date(2007, 5, 5)), 365);
  // Before 1899-12-30 the fraction's magnitude is the time of day.
  EXPECT_EQ(Get("date_get_day", -1.25), 29);
  EXPECT_EQ(Get("date_get_hour", -1.25), 6);
  // Clock parts round to the millisecond.
  EXPECT_EQ(Get("date_get_second", DateTime(2008, 1, 1, 0, 0, 59) + 0.9999 / 86400000), 59);
  EXPECT_EQ(Get("date_get_day", Date(2008, 1, 1) - 0.1 / 86400000), 1);
  EXPECT_EQ(Get("date_get_hour", Date(2008, 1, 1) - 0.1 / 86400000), 0);
  // Absurd values decode without overflow.
  EXPECT_GT(Get("date_get_year", 1e300), 0);
  EXPECT_EQ(Get("date_get_year", NAN), 1899);
}

TEST(FunctionDate, Arithmetic) {
  double jan31 = Date(2008, 1, 31) + 0.25;
  double feb = Get2("date_inc_month", jan31, 1);
  EXPECT_EQ(feb, Date(2008, 2, 29) + 0.25);
  EXPECT_EQ(Get2("date_inc_month", jan31, -2), Date(2007, 11, 30) + 0.25);
  EXPECT_EQ(Get2("date_inc_month", jan31, 13), Date(2009, 2, 28) + 0.25);
  EXPECT_EQ(Get2("date_inc_year", Date(2008, 2, 29), 1), Date(2009, 2, 28));
  EXPECT_EQ(Get2("date_inc_year", Date(2008, 2, 29), -4), Date(2004, 2, 29));
  EXPECT_EQ(Get2("date_inc_week", Date(2008, 2, 29), 1), Date(2008, 3, 7));
  EXPECT_EQ(Get2("date_inc_day", Date(2008, 2, 29), -29), Date(2008, 1, 31));
  EXPECT_EQ(Get2("date_inc_hour", Date(2008, 2, 29), 36), Date(2008, 3, 1) + 0.5);
  EXPECT_DOUBLE_EQ(Get2("date_inc_minute", Date(2008, 2, 29), 90), Date(2008, 2, 29) + 1.5 / 24);
  EXPECT_DOUBLE_EQ(Get2("date_inc_second", Date(2008, 2, 29), -1), Date(2008, 2, 28) + 86399.0 / 86400);
  // Across 30 December 1899 the time of day keeps counting forward.
  EXPECT_EQ(Get2("date_inc_day", -1.25, 1), 0.25);
  double next = Get2("date_inc_day", -0.25, 1);
  EXPECT_EQ(Get("date_get_day", next), 31);
  EXPECT_EQ(Get("date_get_hour", next), 6);
  EXPECT_EQ(Get2("date_inc_hour", 0.25, -12), -1.75);
  EXPECT_EQ(Get("date_get_hour", -1.75), 18);

  double d = Date(2008, 3, 1);
  EXPECT_EQ(Get2("date_year_span", d, d + 365.25), 1);
  EXPECT_EQ(Get2("date_month_span", d + 30.4375, d), 1);
  EXPECT_EQ(Get2("date_week_span", d, d - 14), 2);
  EXPECT_EQ(Get2("date_day_span", d, d + 2.5), 2.5);
  EXPECT_EQ(Get2("date_hour_span", d, d + 0.5), 12);
  EXPECT_EQ(Get2("date_minute_span", d, d + 0.5), 720);
  EXPECT_EQ(Get2("date_second_span", d, d + 0.5), 43200);

  EXPECT_EQ(Get2("date_compare_datetime", d, d + 0.5 / 86400000), 0);
  EXPECT_EQ(Get2("date_compare_datetime", d, d + 2.0 / 86400000), -1);
  EXPECT_EQ(Get2("date_compare_datetime", d + 1, d), 1);
  EXPECT_EQ(Get2("date_compare_date", d + 0.9, d + 0.1), 0);
  EXPECT_EQ(Get2("date_compare_date", d + 1.1, d + 0.9), 1);
  EXPECT_EQ(Get2("date_compare_time", d + 0.5, d - 5 + 0.25), 1);
  EXPECT_EQ(Get2("date_compare_time", d + 0.25, d + 7.25), 0);
  EXPECT_EQ(Get("date_date_of", d + 0.75), d);
  EXPECT_EQ(Get("date_time_of", d + 0.75), 0.75);
}

TEST(FunctionDate, NowAndTexts) {
  double now = CallByName("date_current_datetime").real;
  double today = CallByName("date_current_date").real;
  double time = CallByName("date_current_time").real;
  EXPECT_GT(now, Date(2020, 1, 1));
  EXPECT_EQ(today, static_cast<double>(static_cast<int64_t>(today)));
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 1);
  EXPECT_EQ(Get("date_is_today", now), 1);
  EXPECT_EQ(Get("date_is_today", now - 1), 0);

  double d = DateTime(2008, 2, 29, 13, 45, 30);
  std::string date = CallByName("date_date_string", {RValue(d)}).str;
  std::string clock = CallByName("date_time_string", {RValue(d)}).str;
  std::string both = CallByName("date_datetime_string", {RValue(d)}).str;
  EXPECT_NE(date.find("29"), std::string::npos) << date;
  EXPECT_NE(clock.find("45"), std::string::npos) << clock;
  EXPECT_EQ(both, date + " " + clock);
}

TEST(FunctionMisc, ClipboardRoundTrip) {
  if (!Platform_Init()) GTEST_SKIP() << "no video driver";
  CallByName("clipboard_set_text", {Str("copied text")});
  EXPECT_EQ(CallByName("clipboard_has_text").real, 1);
  RValue text = CallByName("clipboard_get_text");
  EXPECT_TRUE(text.IsString());
  EXPECT_EQ(text.str, "copied text");
  Platform_Quit();
}

TEST(FunctionMisc, ClipboardWithoutPlatformIsEmpty) {
  EXPECT_EQ(CallByName("clipboard_has_text").real, 0);
  RValue text = CallByName("clipboard_get_text");
  EXPECT_TRUE(text.IsString());
  EXPECT_EQ(text.str, "");
}

TEST(FunctionMisc, DebugMessageGoesToStderr) {
  testing::internal::CaptureStderr();
  CallByName("show_debug_message", {Str("checkpoint 7")});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "checkpoint 7\n");
}

}  // namespace
