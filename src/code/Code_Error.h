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
// The one place errors reach the player: the error window, the log file
// "game_errors.log", both or neither, as the settings say; with abort (or when
// the player chooses Abort) the game ends and later reports are ignored.
void ReportError(const std::string& message, bool abort);

// The script-visible traces of errors: error_occurred and error_last.
bool Error_Occurred();
void Error_SetOccurred(bool value);
const std::string& Error_Last();
void Error_SetLast(const std::string& text);

// Whether a report has ended the game (later reports are ignored).
bool Error_Aborting();
// Resets all error state (program start; tests).
void Error_Reset();
