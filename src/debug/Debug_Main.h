// Debug_Main: the debugger window (TDebugForm, "Debug Information") that
// runs beside a game in debug mode: run control, watched expressions,
// executing a piece of code, the game speed, and the information windows of
// Debug_Info (global variables, local variables, instances, messages).
//
// State: one debugger per process. Its windows, watches and last executed
// code live from Debug_Show (the start of a game in debug mode) until
// Debug_Reset (the end of the run, and tests); outside debug mode none of it
// exists.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CForm;
class TDebugInfoForm;

// Installs the debugger where the rest of the engine calls it: the runner
// shows it before a game in debug mode and closes it afterwards, every step
// refreshes it, and show_debug_message adds to its messages window. Called
// once at program start (and by tests).
void Debug_Install();

// Makes the debugger window and shows it beside the game.
void Debug_Show();
// Whether the window exists and is shown; refreshes happen only then.
bool Debug_Visible();
// Frees every window and forgets the watches and the last code.
void Debug_Reset();

// The commands of the menus, tool bar and shortcuts.
enum class EDebugCommand {
  Run, Pause, Step, Restart, Stop,
  WatchAdd, WatchChange, WatchDelete, WatchClear, WatchLoad, WatchSave,
  ExecuteCode, SetSpeed, ShowGlobals, ShowLocals, ShowInstances, ShowMessages,
};
// Whether the command can be used now (only the run commands are ever off).
bool Debug_CommandEnabled(EDebugCommand command);
// Runs the command as its menu item does, then refreshes; a disabled command
// does nothing.
void Debug_Command(EDebugCommand command);

// Brings every shown part up to date: the status bar, the watches and the
// visible information windows.
void Debug_Refresh();
// The 50 ms timer: the mouse panel and the run commands' enabled state.
void Debug_Timer();
// Adds a text and an empty line to the messages window (made hidden when
// needed); nothing while there is no debugger window.
void Debug_AddMessage(const std::string& text);

// The parts, for tests and screenshots: null while they do not exist.
CForm* Debug_Form();
TDebugInfoForm* Debug_GlobalsWindow();
TDebugInfoForm* Debug_InstancesWindow();
TDebugInfoForm* Debug_MessagesWindow();
// Local-variable windows made so far (hidden ones included).
int32_t Debug_LocalsCount();
TDebugInfoForm* Debug_LocalsWindow(int32_t index);

// The watched expressions and the value text each shows.
int32_t Debug_WatchCount();
std::string Debug_WatchExpression(int32_t index);
std::string Debug_WatchValue(int32_t index);
// Selects a grid row: 1 is the first watch, Debug_WatchCount() + 1 the
// empty row.
void Debug_SelectRow(int32_t row);

// Called at the end of every refresh (tests act there between steps, as a
// person at the debugger would); null for none.
void Debug_SetRefreshListener(std::function<void()> listener);
