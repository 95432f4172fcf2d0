// Event_Name: the names of events as error messages and the debugger show
// them, and the event context of the event being run.
#pragma once

#include <cstdint>
#include <string>

#include "code/Event_Context.h"

// The display name of an event kind and number, e.g. "Alarm Event for alarm
// 3", "Keyboard Event for <Left> Key", "<Unknown Event>".
std::string Event_DisplayName(int32_t type, int32_t number);
// The name of a virtual key code as events show it ("<Enter>", "A-key").
std::string Event_KeyName(int32_t key);
