#include "code/Code_Error.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "code/Code_Main.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_System.h"
#include "runner/Run_Main.h"
#include "step/IO_Main.h"
#include "world/Event_Context.h"
#include "world/Event_Name.h"

namespace {

bool g_Recorded = false;
std::string g_RecordedMessage;
bool g_Occurred = false;
std::string g_Last;
bool g_Aborting = false;
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
  return Form_ShowModal(form) == kResultIgnore;
}

}  // namespace

void RecordError(const CCode& code, int position, std::string_view message) {
  if (g_Recorded) return;
  g_Recorded = true;
  std::string text = code.Text();
  int length = static_cast<int>(text.size());
  position = std::min(std::max(position, 1), length);

  // Each carriage return starts a line; every other character, a line feed
  // included, is a column.
  int line = 1, column = 0;
  for (int i = 0; i < position; i++) {
    if (text[i] == '\r') {
      line++;
      column = 0;
    } else {
      column++;
    }
  }

  std::string& out = g_RecordedMessage;
  if (code.IsExpression()) {
    out = "Error in expression:";
    out += text;
    out += "\r position ";
  } else {
    // The line around the position: after the carriage return before it, up
    // to the next one from the position on.
    size_t at = position > 0 ? static_cast<size_t>(position - 1) : 0;
    size_t start = at > 0 ? text.rfind('\r', at - 1) : std::string::npos;
    start = start == std::string::npos ? 0 : start + 1;
    size_t end = std::min(text.find('\r', at), text.size());
    out = "Error in code at line ";
    out += std::to_string(line);
    out += ":\r   ";
    out.append(text, start, end - start);
    out += "\r\rat position ";
  }
  out += std::to_string(column);
  out += ": ";
  out += message;
}

void ClearRecordedError() { g_Recorded = false; }
bool ErrorRecorded() { return g_Recorded; }
const std::string& RecordedError() { return g_RecordedMessage; }
void SetRecordedError(std::string text) { g_RecordedMessage = std::move(text); }

void ReportActionError(const std::string& message, bool fatal) {
  const REventContext& event = EventContext;
  std::string text = fatal ? "FATAL ERROR in\r\n" : "ERROR in\r\n";
  text += "action number ";
  text += std::to_string(event.action + 1);
  text += "\r\n";
  if (event.type == EVENT_TIMELINE) {
    text += "at time step ";
    text += std::to_string(event.number);
    text += "\r\nof time line ";
    text += Resource_Name(RESOURCE_TIMELINE, event.object);
  } else {
    text += "of ";
    text += Event_DisplayName(event.type, event.number);
    text += "\r\nfor object ";
    text += Resource_Name(RESOURCE_OBJECT, event.object);
  }
  text += ":\r\n\r\n";
  text += message;
  ReportError(text, fatal);
}

void ReportError(const std::string& message, bool abort) {
  if (g_Aborting) return;
  if (Settings.AbortOnError) abort = true;
  if (Settings.DisplayErrors) {
    // Shown with Ignore only when the game may go on; any answer but Ignore
    // ends it.
    if (!ShowErrorWindow(message, !abort) && !abort) abort = true;
  }
  // The keys and clicks that closed the window do not reach the game.
  IO_ClearAll();
  if (Settings.WriteErrorLog) {
    // The first write of a run starts the file afresh; failures are ignored.
    std::ofstream log("game_errors.log", g_LogWritten ? std::ios::app : std::ios::trunc);
    if (log) {
      log << message << "\n\n\n";
      g_LogWritten = true;
    }
  }
  g_Last = message;
  g_Occurred = true;
  if (abort) {
    g_Aborting = true;
    PendingRoom = REQUEST_ERROR_STOP;
  }
}

bool Error_Occurred() { return g_Occurred; }
void Error_SetOccurred(bool value) { g_Occurred = value; }
const std::string& Error_Last() { return g_Last; }
void Error_SetLast(const std::string& text) { g_Last = text; }
bool Error_Aborting() { return g_Aborting; }

void Error_Reset() {
  g_Recorded = false;
  g_RecordedMessage.clear();
  g_Occurred = false;
  g_Last.clear();
  g_Aborting = false;
  g_LogWritten = false;
  g_ErrorForm.reset();
}
