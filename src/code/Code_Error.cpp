#include "code/Code_Error.h"

#include <algorithm>
#include <cstdio>

#include "code/Code_Main.h"
#include "data/Resource_Names.h"
#include "code/Event_Context.h"
#include "code/Event_Name.h"

namespace {

bool g_Recorded = false;
std::string g_RecordedMessage;
bool g_Occurred = false;
std::string g_Last;
bool g_Aborting = false;

// Without an installed reporter: stderr, and the game ends only when asked.
bool PrintReport(const std::string& message, bool abort) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return abort;
}
void PrintMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

RErrorReporter g_Reporter{PrintReport, PrintMessage, nullptr};

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
  abort = g_Reporter.report(message, abort);
  g_Last = message;
  g_Occurred = true;
  if (abort) g_Aborting = true;
}

void Error_SetReporter(const RErrorReporter& reporter) {
  g_Reporter = reporter;
  if (!g_Reporter.report) g_Reporter.report = PrintReport;
  if (!g_Reporter.message) g_Reporter.message = PrintMessage;
}

void Error_ShowMessage(const std::string& text) { g_Reporter.message(text); }

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
  if (g_Reporter.reset) g_Reporter.reset();
}
