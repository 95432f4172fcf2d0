// Event_Action: the action-list interpreter. Runs the actions of an event or
// time line moment for a self and an other instance, with blocks, questions
// and else, repeat, exit, applies-to, the relative flag and not.
#pragma once

#include <cstdint>
#include <vector>

class CAction;
class CEvent;
class CInstance;

// What ExecuteActions returns when the list is done: finished, exit, or a
// room request became pending.
constexpr int32_t ACTION_LIST_END = 10000000;

// Executes the action (or the block, or the question with what it governs)
// at `index` of `list` and returns the index of the next one to execute, or
// ACTION_LIST_END. event_action is set before each action runs. The list is
// read afresh at every position: an action may add to or clear it.
int32_t ExecuteActions(CInstance* self, CInstance* other, const std::vector<CAction>& list, int32_t index);

// Runs a whole list from its first action until the end marker.
void ExecuteActionList(CInstance* self, CInstance* other, const std::vector<CAction>& list);
void ExecuteEvent(CInstance* self, CInstance* other, const CEvent& event);
