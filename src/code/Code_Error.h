// Code_Error: recording script errors with their source position, and
// reporting them to the player as the game's settings say.
#pragma once

#include <string>
#include <string_view>

class CCode;

// Records an error of the code being compiled or run at a 1-based source
// position, as a message naming the line and column (a program) or quoting
// the expression. Only the first error since the flag was cleared is kept.
void RecordError(const CCode& code, int position, std::string_view message);
// Clears the recorded-error flag (start of every compile phase and execution).
void ClearRecordedError();
// Whether an error has been recorded since the flag was cleared, and its text.
bool ErrorRecorded();
const std::string& RecordedError();
// Replaces the recorded text (the interpreter prefixes "In script ...").
void SetRecordedError(std::string text);

// Reports a run-time error of an action or a built-in, wrapped with the event,
// object and action of the event context. Fatal errors end the game.
void ReportActionError(const std::string& message, bool fatal = false);
// The one place errors reach the player: the installed reporter shows or logs
// the message as the game's settings say and decides, with the player,
// whether the game ends; once it has ended, later reports are ignored.
void ReportError(const std::string& message, bool abort);

// Where reports and load-time messages go. The runner installs the one with
// the error window, the log file and the end of the game at start-up; until
// then (and in programs that only compile, such as the authoring tool)
// reports and messages are printed on stderr and an abort only marks the
// error state.
struct RErrorReporter {
  // Shows or logs a report; true when the game must end (`abort`, or the
  // player's choice).
  bool (*report)(const std::string& message, bool abort) = nullptr;
  // Shows a message of the load sequence, such as a constant that does not
  // compile.
  void (*message)(const std::string& text) = nullptr;
  // Forgets what the reporter keeps between reports (Error_Reset).
  void (*reset)() = nullptr;
};
void Error_SetReporter(const RErrorReporter& reporter);
// Shows a load-time message through the reporter.
void Error_ShowMessage(const std::string& text);

// The script-visible traces of errors: error_occurred and error_last.
bool Error_Occurred();
void Error_SetOccurred(bool value);
const std::string& Error_Last();
void Error_SetLast(const std::string& text);

// Whether a report has ended the game (later reports are ignored).
bool Error_Aborting();
// Resets all error state (program start; tests).
void Error_Reset();
