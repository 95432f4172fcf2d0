#include "world/Event_Action.h"

#include <utility>

#include "code/Code_Exec.h"
#include "runner/Run_Main.h"
#include "variables/Code_Function.h"
#include "world/Event_Class.h"
#include "world/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

// Runs compiled code with fresh script arguments; the caller's come back
// afterwards (swapped, so no text is copied).
void RunCode(CCode& code, CInstance* self, CInstance* other) {
  RValue saved[MAX_ARGUMENTS];
  RValue* args = Exec_Arguments();
  for (int i = 0; i < MAX_ARGUMENTS; i++) std::swap(saved[i], args[i]);
  RValue result;
  try {
    ExecuteReporting(self, other, code, result);
  } catch (...) {
    for (int i = 0; i < MAX_ARGUMENTS; i++) std::swap(saved[i], Exec_Arguments()[i]);
    throw;
  }
  for (int i = 0; i < MAX_ARGUMENTS; i++) std::swap(saved[i], Exec_Arguments()[i]);
}

// A code action for its applies-to: self, other in self's place, or every
// live instance of an object and its descendants.
void PerformCode(CCode& code, int32_t applies_to, CInstance* self, CInstance* other) {
  if (applies_to == -1) {
    RunCode(code, self, other);
  } else if (applies_to == -2) {
    if (other) RunCode(code, other, self);
  } else if (applies_to >= 0) {
    size_t count = Room_ObjectInstances(applies_to).size();
    for (size_t i = 0; i < count && PendingRoom == REQUEST_NONE; i++) {
      const std::vector<CInstance*>& list = Room_ObjectInstances(applies_to);
      if (i >= list.size()) break;
      if (!list[i]->destroyed) RunCode(code, list[i], other);
    }
  }
}

}  // namespace

void ExecuteEvent(CInstance* self, CInstance* other, const CEvent& event) {
  // The list is read afresh at every position: an action may add to it or
  // clear it (object_event_add, object_event_clear).
  for (size_t i = 0; i < event.actions.size() && PendingRoom == REQUEST_NONE; i++) {
    const CAction& action = event.actions[i];
    EventContext.action = static_cast<int32_t>(i);
    if (action.exec_type != ACTION_EXEC_CODE || !action.code) continue;
    PerformCode(*action.code, action.uses_applies_to ? action.applies_to : -1, self, other);
  }
}
