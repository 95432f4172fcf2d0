// Event_Context: the event and action being run or compiled. The event
// dispatcher sets it; the built-in variables event_type, event_number,
// event_object and event_action read it, and error reports name it.
#pragma once

#include <cstdint>

// Event type of an action that belongs to a time line moment.
constexpr int32_t EVENT_TIMELINE = 100000;

struct REventContext {
  int32_t type = 0;
  int32_t number = 0;
  int32_t object = -1;  // object index, or time line index for EVENT_TIMELINE
  int32_t action = 0;   // 0-based action index in the event's list
};

extern REventContext EventContext;
