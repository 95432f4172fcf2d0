#include <gtest/gtest.h>

#include "code/Code_TestUtil.h"
#include "code/Event_Name.h"

namespace {

TEST(ErrorRecord, LineColumnAndLineText) {
  CCode code("a = 1\r\nb = 2\r\nc = 3", false);
  ClearRecordedError();
  RecordError(code, 8, "first");  // `b`, the second character of line 2
  RecordError(code, 1, "second is dropped");
  EXPECT_EQ(RecordedError(), "Error in code at line 2:\r   \nb = 2\r\rat position 2: first");
  ClearRecordedError();
  RecordError(code, 0, "m");
  EXPECT_EQ(RecordedError(), "Error in code at line 1:\r   a = 1\r\rat position 1: m");
  ClearRecordedError();
  RecordError(code, 1000, "m");  // limited to the last character
  EXPECT_EQ(RecordedError(), "Error in code at line 3:\r   \nc = 3\r\rat position 6: m");

  CCode expression("1 +\r\n2", true);
  ClearRecordedError();
  RecordError(expression, 6, "m");
  EXPECT_EQ(RecordedError(), "Error in expression:1 +\r\n2\r position 2: m");

  CCode empty("", false);
  ClearRecordedError();
  RecordError(empty, 1, "m");
  EXPECT_EQ(RecordedError(), "Error in code at line 1:\r   \r\rat position 0: m");
  EXPECT_TRUE(ErrorRecorded());
}

// Without the runner's reporter, reports go to stderr and end the game only
// when they ask to, so the language runs in programs that have no window.
TEST(ErrorReportAlone, PrintsAndEndsOnlyWhenAsked) {
  Error_SetReporter({});
  Error_Reset();
  testing::internal::CaptureStderr();
  ReportError("first", false);
  EXPECT_FALSE(Error_Aborting());
  ReportError("second", true);
  EXPECT_TRUE(Error_Aborting());
  ReportError("ignored once the game ends", false);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "first\nsecond\n");
  EXPECT_EQ(Error_Last(), "second");
  Error_Reset();
}

TEST(EventName, DisplayNames) {
  codetest::EnsureNames();
  const std::tuple<int, int, const char*> cases[] = {
      {0, 0, "Create Event"},
      {1, 0, "Destroy Event"},
      {2, 11, "Alarm Event for alarm 11"},
      {3, 0, " Step Event"},
      {3, 2, "End Step Event"},
      {3, 7, "<unknown> Step Event"},
      {4, 0, "Collision Event with object obj_none"},
      {5, 13, "Keyboard Event for <Enter> Key"},
      {5, 65, "Keyboard Event for A-key Key"},
      {9, 48, "Key Press Event for 0-key Key"},
      {10, 98, "Key Release Event for Keypad 2 Key"},
      {5, 111, "Keyboard Event for Keypad / Key"},
      {5, 123, "Keyboard Event for F12 Key"},
      {5, 200, "Keyboard Event for <unknown> Key"},
      {6, 4, "Mouse Event for Left Pressed"},
      {6, 12, "Mouse Event for <unknown>"},
      {6, 19, "Mouse Event for Joystick 1 Down"},
      {6, 28, "Mouse Event for Joystick 1 Button 8"},
      {6, 31, "Mouse Event for Joystick 2 Left"},
      {6, 36, "Mouse Event for Joystick 2 Button 1"},
      {6, 20, "Mouse Event for <unknown>"},
      {6, 57, "Mouse Event for Glob Right Released"},
      {6, 61, "Mouse Event for Mouse Wheel Down"},
      {7, 0, "Other Event: Outside Room"},
      {7, 25, "Other Event: User Defined 15"},
      {7, 30, "Other Event: Close Button"},
      {7, 47, "Other Event: Outside View 7"},
      {7, 50, "Other Event: Boundary View 0"},
      {7, 26, "Other Event: <unknown>"},
      {8, 0, "Draw Event"},
      {11, 0, "<Unknown Event>"},
  };
  for (const auto& [type, number, name] : cases) EXPECT_EQ(Event_DisplayName(type, number), name) << type << "/" << number;
}

}  // namespace
