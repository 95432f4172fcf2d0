// Platform: the services of the desktop the engine runs on (SDL2 underneath).
// Everything above src/platform reaches the platform only through headers of
// this folder; none of them names SDL or OpenGL types.
#pragma once

#include <cstdint>
#include <string>

// Starts the platform's video, event, timer and joystick services. Returns
// false when no video driver can start at all.
bool Platform_Init();
// Stops every platform service.
void Platform_Quit();

// True when a person can see windows: there is a real display and the video
// driver is not the offscreen one. Without a display, windows that would wait
// for the player take their default answer at once.
bool Platform_HasDisplay();

// A plain message box; the text also goes to stderr. Without a display only
// stderr, never blocking.
void Platform_ShowMessage(const std::string& text);
// A Yes/No confirmation box; without a display prints the text and returns
// the default answer.
bool Platform_AskYesNo(const std::string& text, bool default_answer);
// "Process window messages": handles every pending platform event (input,
// window changes, the close button) and services the network hosts with a
// zero wait (Platform_Net), then returns.
void Platform_ProcessMessages();
// Runs at the end of every processing of window messages, where input that
// does not come from the platform (a played-back record) is delivered;
// nullptr for none.
void Platform_SetMessageHook(void (*hook)());
// Whether the player asked to close the game window since the last call.
bool Platform_TakeCloseRequest();

// Microseconds of a steady clock since an arbitrary fixed point.
int64_t Platform_Microseconds();
// Blocks the thread for the given number of milliseconds.
void Platform_SleepMilliseconds(int32_t ms);

// Absolute path of the running executable.
std::string Platform_ExecutablePath();
