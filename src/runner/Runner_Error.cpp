#include "runner/Runner_Error.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Replay_Log.h"
#include "platform/Platform.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_System.h"
#include "step/IO_Main.h"
#include "world/Run_State.h"

namespace {

// The log's first write of a run starts the file afresh.
bool g_LogWritten = false;

// The error window, made on the first report it shows; its memo keeps every
// message shown in the run until the player clears it.
constexpr int32_t kResultAbort = 1;
constexpr int32_t kResultIgnore = 2;
std::unique_ptr<CForm> g_ErrorForm;

CFormMemo& ErrorMemo() { return *static_cast<CFormMemo*>(g_ErrorForm->Find("ErrorMemo")); }

CForm& ErrorForm() {
  if (g_ErrorForm) return *g_ErrorForm;
  g_ErrorForm = std::make_unique<CForm>("Error Messages", 499, 361);
  CForm& form = *g_ErrorForm;
  auto memo = std::make_unique<CFormMemo>("Courier New", 12);
  memo->name = "ErrorMemo";
  memo->bounds = {8, 8, 481, 305};
  form.Add(std::move(memo));
  struct RButtonLayout {
    const char *name, *caption, *hint;
    int32_t x, result;
  };
  constexpr RButtonLayout kButtons[] = {
      {"AbortBtn", "&Abort", "Abort the execution of the game", 8, kResultAbort},
      {"IgnoreBtn", "&Ignore", "Ignore the error and continue the game", 96, kResultIgnore},
      {"CopyBtn", "&Copy", "Copy the error messages to the clipboard", 328, FORM_RESULT_NONE},
      {"ClearBtn", "C&lear", "Clear the list of error messages", 416, FORM_RESULT_NONE},
  };
  for (const RButtonLayout& button_layout : kButtons) {
    auto button = std::make_unique<CFormButton>();
    button->name = button_layout.name;
    button->caption = button_layout.caption;
    button->hint = button_layout.hint;
    button->bounds = {button_layout.x, 328, 75, 25};
    button->result = button_layout.result;
    button->is_default = button_layout.result == kResultAbort;
    form.Add(std::move(button));
  }
  static_cast<CFormButton*>(form.Find("CopyBtn"))->action = [] {
    Platform_ClipboardSetText(ErrorMemo().Text());
  };
  static_cast<CFormButton*>(form.Find("ClearBtn"))->action = [] { ErrorMemo().Clear(); };
  return form;
}

// Shows the message in the error window; true when the player chose Ignore.
// The message also goes to stderr, where it is all there is without a
// display (the window then takes Abort at once).
bool ShowErrorWindow(const std::string& message, bool offer_ignore) {
  CForm& form = ErrorForm();
  CFormMemo& memo = ErrorMemo();
  // The memo splits the message into lines at carriage returns and drops
  // line feeds.
  std::string shown;
  for (char c : message)
    if (c != '\n') shown += c == '\r' ? '\n' : c;
  std::fprintf(stderr, "%s\n", shown.c_str());
  memo.AddLine("");
  memo.AddLine(std::string(43, '_'));
  for (size_t start = 0;;) {
    size_t end = shown.find('\n', start);
    memo.AddLine(std::string_view(shown).substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  memo.ScrollToEnd();
  form.Find("IgnoreBtn")->visible = offer_ignore;
  // A played-back run takes the answer from its record.
  return Replay_Int(REPLAY_ANSWER, [&] { return Form_ShowModal(form); }) == kResultIgnore;
}

bool ReportToPlayer(const std::string& message, bool abort) {
  if (Settings.AbortOnError) abort = true;
  if (Settings.DisplayErrors) {
    // Shown with Ignore only when the game may go on; any answer but Ignore
    // ends it.
    if (!ShowErrorWindow(message, !abort) && !abort) abort = true;
  }
  // The keys and clicks that closed the window do not reach the game.
  IO_ClearAll();
  if (Settings.WriteErrorLog) {
    // Failures to write the log are ignored: the report itself went through.
    std::ofstream log("game_errors.log", g_LogWritten ? std::ios::app : std::ios::trunc);
    if (log) {
      log << message << "\n\n\n";
      g_LogWritten = true;
    }
  }
  if (abort) RunState.PendingRoom = REQUEST_ERROR_STOP;
  return abort;
}

void ForgetReports() {
  g_LogWritten = false;
  g_ErrorForm.reset();
}

}  // namespace

void ErrorWindow_Install() { Error_SetReporter({ReportToPlayer, Platform_ShowMessage, ForgetReports}); }
