#include "code/Code_Error.h"

#include <cstdio>
#include <fstream>

#include "data/Option_Main.h"
#include "platform/Platform.h"
#include "runner/Run_Main.h"

namespace {

bool g_Recorded = false;
std::string g_RecordedMessage;
bool g_Occurred = false;
std::string g_Last;
bool g_Aborting = false;
bool g_LogWritten = false;

}  // namespace

void ClearRecordedError() { g_Recorded = false; }
bool ErrorRecorded() { return g_Recorded; }
const std::string& RecordedError() { return g_RecordedMessage; }

void Error_SetRecorded(const std::string& message) {
  if (g_Recorded) return;
  g_Recorded = true;
  g_RecordedMessage = message;
}

void ReportError(const std::string& message, bool abort) {
  if (g_Aborting) return;
  if (Settings.AbortOnError) abort = true;
  if (Settings.DisplayErrors) {
    // Without a display the error window takes its default button at once:
    // Abort when Ignore is not offered, otherwise the game goes on.
    Platform_ShowMessage(message);
  }
  if (Settings.WriteErrorLog) {
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
}

// Until the event dispatcher stores the place being run, the message goes out
// without the event, object and action wrapping.
void ReportActionError(const std::string& message, bool fatal) {
  ReportError(message, fatal);
}
