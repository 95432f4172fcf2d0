// Platform_System: desktop services used by the general built-ins: the
// clipboard, the local clock and its locale texts, and process priority.
#pragma once

#include <cstdint>
#include <string>

// The system clipboard. Without a clipboard service there is never text and
// setting it does nothing.
bool Platform_ClipboardHasText();
std::string Platform_ClipboardGetText();
void Platform_ClipboardSetText(const std::string& text);

// A moment of the local wall clock, by its calendar and clock parts.
struct RLocalTime {
  int32_t year, month, day;  // month and day from 1
  int32_t hour, minute, second, millisecond;
};
// Now, in local time.
RLocalTime Platform_LocalTime();
// The user's locale texts: its short date format for the date parts, its long
// time format for the clock parts (the other parts are ignored).
std::string Platform_LocaleDateText(const RLocalTime& t);
std::string Platform_LocaleTimeText(const RLocalTime& t);

// Process and thread priority, best effort: 3 highest (real time) to -3
// lowest (idle), 0 normal. Raising needs privileges the player may lack.
void Platform_SetPriority(int32_t level);
