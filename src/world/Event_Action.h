// Event_Action: running the action list of an event for a self and an other
// instance.
#pragma once

class CEvent;
class CInstance;

// Runs the actions in order, setting event_action before each; stops when a
// room request becomes pending. Code actions run through the interpreter
// with their applies-to; a run-time error is reported and the list goes on.
void ExecuteEvent(CInstance* self, CInstance* other, const CEvent& event);
