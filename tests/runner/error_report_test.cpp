#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "code/Code_TestUtil.h"
#include "data/Option_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_System.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "code/Event_Name.h"

#include "runner/Runner_Error.h"

namespace {

class ErrorReport : public ::testing::Test {
 protected:
  void SetUp() override {
    ErrorWindow_Install();
    codetest::EnsureNames();
    Error_Reset();
    saved_ = Settings;
    Settings.DisplayErrors = false;
    Settings.WriteErrorLog = false;
    Settings.AbortOnError = false;
    RunState.PendingRoom = REQUEST_NONE;
    EventContext = REventContext{};
  }
  void TearDown() override {
    Settings = saved_;
    Error_Reset();
    RunState.PendingRoom = REQUEST_NONE;
  }
  RSettings saved_;
};

TEST_F(ErrorReport, ActionErrorsNameTheirEvent) {
  EventContext = {3, 1, 1, 2};
  ReportActionError("bad");
  EXPECT_EQ(Error_Last(), "ERROR in\r\naction number 3\r\nof Begin Step Event\r\nfor object obj_wall:\r\n\r\nbad");
  EXPECT_TRUE(Error_Occurred());
  EXPECT_FALSE(Error_Aborting());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_NONE);

  EventContext = {EVENT_TIMELINE, 30, 2, 0};
  ReportActionError("late");
  EXPECT_EQ(Error_Last(), "ERROR in\r\naction number 1\r\nat time step 30\r\nof time line tl_intro:\r\n\r\nlate");

  EventContext = {4, 1, 77, 0};
  ReportActionError("worse", true);
  EXPECT_EQ(Error_Last(),
            "FATAL ERROR in\r\naction number 1\r\nof Collision Event with object obj_wall\r\n"
            "for object <undefined>:\r\n\r\nworse");
  EXPECT_TRUE(Error_Aborting());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);

  ReportActionError("ignored once aborting");
  EXPECT_EQ(Error_Last().find("ignored"), std::string::npos);
}

TEST_F(ErrorReport, WithoutDisplayTheWindowAbortsAndPrints) {
  Settings.DisplayErrors = true;
  testing::internal::CaptureStderr();
  ReportError("line one\r\nline two", false);
  std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("line one\nline two"), std::string::npos);
  EXPECT_TRUE(Error_Aborting());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);
}

// The error window, answered by a stand-in player that records what the
// window showed.
class ErrorWindow : public ErrorReport {
 protected:
  void SetUp() override {
    ErrorReport::SetUp();
    Settings.DisplayErrors = true;
    testing::internal::CaptureStderr();
  }
  void TearDown() override {
    Form_SetTestDriver(nullptr);
    testing::internal::GetCapturedStderr();
    ErrorReport::TearDown();
  }
  // Reports the message with the player pressing the named button (none:
  // the window is closed); returns the memo as it was shown.
  std::vector<std::string> Report(const std::string& message, bool fatal, const char* press) {
    std::vector<std::string> memo;
    Form_SetTestDriver([&](CForm& form) {
      EXPECT_EQ(form.Caption(), "Error Messages");
      EXPECT_EQ(form.ClientWidth(), 499);
      EXPECT_EQ(form.ClientHeight(), 361);
      memo = static_cast<CFormMemo*>(form.Find("ErrorMemo"))->Lines();
      ignore_shown = form.Find("IgnoreBtn")->visible;
      if (press)
        form.Click(press);
      else
        form.Close();
    });
    ReportError(message, fatal);
    return memo;
  }
  bool ignore_shown = false;
};

TEST_F(ErrorWindow, MemoKeepsEveryMessageUntilCleared) {
  const std::string rule(43, '_');
  std::vector<std::string> memo = Report("first\r\nsecond line", false, "IgnoreBtn");
  EXPECT_EQ(memo, (std::vector<std::string>{"", rule, "first", "second line"}));
  EXPECT_TRUE(ignore_shown);
  EXPECT_FALSE(Error_Aborting());
  EXPECT_EQ(Error_Last(), "first\r\nsecond line");

  memo = Report("third", false, "IgnoreBtn");
  EXPECT_EQ(memo, (std::vector<std::string>{"", rule, "first", "second line", "", rule, "third"}));

  // Clear empties the memo and leaves the window up.
  Form_SetTestDriver([](CForm& form) {
    form.Click("ClearBtn");
    EXPECT_EQ(form.Result(), FORM_RESULT_NONE);
    EXPECT_TRUE(static_cast<CFormMemo*>(form.Find("ErrorMemo"))->Lines().empty());
    form.Click("IgnoreBtn");
  });
  ReportError("fourth", false);
  memo = Report("fifth", false, "IgnoreBtn");
  EXPECT_EQ(memo, (std::vector<std::string>{"", rule, "fifth"}));
  EXPECT_FALSE(Error_Aborting());
  // Everything shown also went to stderr, line feeds dropped.
  EXPECT_NE(testing::internal::GetCapturedStderr().find("first\nsecond line\n"), std::string::npos);
  testing::internal::CaptureStderr();
}

TEST_F(ErrorWindow, CopyPutsTheMemoOnTheClipboard) {
  if (!Platform_Init()) GTEST_SKIP() << "no video driver";
  for (int i = 0; i < 40; i++) Report("message " + std::to_string(i), false, "IgnoreBtn");
  Form_SetTestDriver([](CForm& form) {
    auto* memo = static_cast<CFormMemo*>(form.Find("ErrorMemo"));
    EXPECT_EQ(memo->TopRow(), memo->RowCount() - memo->VisibleRows());  // scrolled to the end
    memo->ScrollTo(3);
    form.Click("CopyBtn");
    EXPECT_EQ(memo->TopRow(), 3);
    EXPECT_EQ(Platform_ClipboardGetText(), memo->Text());
    form.Click("IgnoreBtn");
  });
  ReportError("last", false);
  std::string copied = Platform_ClipboardGetText();
  EXPECT_EQ(copied.substr(0, 45), "\n" + std::string(43, '_') + "\n");
  EXPECT_EQ(copied.substr(copied.size() - 4), "last");
  Platform_Quit();
}

TEST_F(ErrorWindow, KeysThatAnsweredDoNotReachTheGame) {
  IO_KeyDown(13);
  IO_Character('x');
  IO_MouseDown(1);
  Report("message", false, "IgnoreBtn");
  EXPECT_FALSE(IO_Input.key_down[13]);
  EXPECT_FALSE(IO_Input.key_pressed[13]);
  EXPECT_FALSE(IO_Input.mouse_down[1]);
  EXPECT_EQ(IO_Input.keyboard_string, "");
}

TEST_F(ErrorWindow, AnythingButIgnoreEndsTheGame) {
  Report("closed", false, nullptr);
  EXPECT_TRUE(Error_Aborting());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);

  Error_Reset();
  RunState.PendingRoom = REQUEST_NONE;
  Report("aborted", false, "AbortBtn");
  EXPECT_TRUE(Error_Aborting());

  // Reports while aborting show nothing.
  bool shown = false;
  Form_SetTestDriver([&](CForm&) { shown = true; });
  ReportError("later", false);
  EXPECT_FALSE(shown);
}

TEST_F(ErrorWindow, NoIgnoreWhenTheGameMustEnd) {
  // A fatal error: Ignore is hidden and cannot be pressed.
  Report("fatal", true, "IgnoreBtn");
  EXPECT_FALSE(ignore_shown);
  EXPECT_TRUE(Error_Aborting());

  Error_Reset();
  Settings.AbortOnError = true;
  Report("any error", false, "AbortBtn");
  EXPECT_FALSE(ignore_shown);
  EXPECT_TRUE(Error_Aborting());
}

TEST_F(ErrorReport, AbortOnErrorEndsTheGame) {
  Settings.AbortOnError = true;
  ReportError("any", false);
  EXPECT_TRUE(Error_Aborting());
  EXPECT_EQ(RunState.PendingRoom, REQUEST_ERROR_STOP);
  EXPECT_EQ(Error_Last(), "any");
}

TEST_F(ErrorReport, LogIsStartedAfreshEachRunThenAppended) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vl_errlog_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  auto log = [] {
    std::ifstream in("game_errors.log", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  { std::ofstream("game_errors.log") << "previous run\n"; }
  Settings.WriteErrorLog = true;
  ReportError("first", false);
  ReportError("second", false);
  EXPECT_EQ(log(), "first\n\n\nsecond\n\n\n");
  Error_Reset();  // a new run
  ReportError("third", true);
  ReportError("after abort", false);
  EXPECT_EQ(log(), "third\n\n\n");
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}

TEST_F(ErrorReport, UnwritableLogIsIgnored) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vl_errlog_dir_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "game_errors.log");  // a directory in the way
  std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  Settings.WriteErrorLog = true;
  ReportError("message", false);
  EXPECT_EQ(Error_Last(), "message");
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}

}  // namespace
