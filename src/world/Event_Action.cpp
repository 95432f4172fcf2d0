#include "world/Event_Action.h"

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Script_Main.h"
#include "world/Run_State.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Event_Class.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

constexpr int32_t kAppliesSelf = -1;
constexpr int32_t kAppliesOther = -2;
// Blocks, questions and repeats nest by recursion; a damaged file could nest
// them deeper than the stack holds. Lists nested deeper end there.
constexpr int32_t kMaxNesting = 1000;
int32_t g_Nesting = 0;

struct RNestingGuard {
  RNestingGuard() { g_Nesting++; }
  ~RNestingGuard() { g_Nesting--; }
};

bool Pending() { return RunState.PendingRoom != REQUEST_NONE; }

// Evaluates the arguments of an action into `slots` (constants copied,
// expressions run for self and other; an expression's error is reported
// and leaves real 0).
void EvaluateArguments(const CAction& action, CInstance* self, CInstance* other, RValue* slots) {
  for (int32_t i = 0; i < action.arg_count; i++) {
    if (action.arg_kinds[i] == ACTION_ARG_CONSTANT) {
      slots[i] = action.arg_values[i];
    } else if (CCode* code = action.arg_codes[i].get()) {
      if (!ExecuteReporting(self, other, *code, slots[i])) slots[i] = RValue();
    }
  }
}

// Sets argument_relative for the length of a code action; it is back also
// when a floating-point fault passes through.
struct RRelativeScope {
  bool saved;
  explicit RRelativeScope(bool relative) : saved(Action_ArgumentRelative) { Action_ArgumentRelative = relative; }
  ~RRelativeScope() { Action_ArgumentRelative = saved; }
};

// Performs one action for self and other; its result goes to `result`. A
// code action sees its own arguments as the argument slots (the rest real 0)
// in a pooled frame, so the caller's slots are neither copied nor touched.
void Run(const CAction& action, CInstance* self, CInstance* other, RValue& result) {
  bool relative = action.uses_relative && action.relative;
  if (action.exec_type == ACTION_EXEC_CODE) {
    CCode* code = action.code.get();
    if (!code) return;
    CExecFrame frame;
    if (action.arg_count > 0) EvaluateArguments(action, self, other, frame.Slots());
    frame.Seal(action.arg_count);
    RRelativeScope scope(relative);
    frame.RunReporting(self, other, *code, result);
    return;
  }
  if (action.exec_type != ACTION_EXEC_FUNCTION) return;
  int32_t index = action.function_index;
  CExecFrame args;
  EvaluateArguments(action, self, other, args.Slots());
  Action_ArgumentRelative = relative;
  if (index >= SCRIPT_ID_BASE) {
    // A script takes the frame as its argument slots, an extension function
    // its arguments.
    args.Seal(action.arg_count);
    bool ok = index >= EXTENSION_ID_BASE
                  ? Exec_CallExtension(index - EXTENSION_ID_BASE, self, other, result, args.Slots(), action.arg_count)
                  : Script_CallFrame(index - SCRIPT_ID_BASE, self, other, result, args.Slots());
    if (!ok) {
      ReportActionError(RecordedError());
      ClearRecordedError();
    }
  } else if (index >= 0) {
    CallBuiltin(index, self, other, action.arg_count, args.Slots(), result);
  }
}

// Runs action i of the list for its applies-to; for a question, whether it
// holds (for an object: for every instance, stopping at the first false).
// The action is fetched afresh for every instance: one run may append to the
// list and move its actions.
bool Apply(const std::vector<CAction>& list, int32_t i, CInstance* self, CInstance* other) {
  const bool negate = list[i].negate;
  const bool question = list[i].is_question;
  auto answer = [&list, i, negate](CInstance* s, CInstance* o) {
    if (static_cast<size_t>(i) >= list.size()) return true;
    RValue result;
    Run(list[i], s, o, result);
    return (result.IsReal() && result.real >= 0.5) != negate;
  };
  int32_t target = list[i].uses_applies_to ? list[i].applies_to : kAppliesSelf;
  if (target == kAppliesSelf) return answer(self, other);
  if (target == kAppliesOther) return other ? answer(other, self) : true;
  if (target < 0) return true;
  size_t count = Room_ObjectInstances(target).size();
  for (size_t k = 0; k < count && !Pending(); k++) {
    const std::vector<CInstance*>& instances = Room_ObjectInstances(target);
    if (k >= instances.size()) break;
    if (instances[k]->destroyed) continue;
    if (!answer(instances[k], other) && question) return false;
  }
  return true;
}

// The index after the action or block at `i`, without running anything.
int32_t Skip(const std::vector<CAction>& list, int32_t i) {
  int32_t count = static_cast<int32_t>(list.size());
  while (i < count && (list[i].is_question || list[i].kind == ACTION_REPEAT)) i++;
  if (i >= count) return count;
  if (list[i].kind != ACTION_BEGIN_BLOCK) return i + 1;
  int32_t depth = 0;
  for (; i < count; i++) {
    if (list[i].kind == ACTION_BEGIN_BLOCK) depth++;
    if (list[i].kind == ACTION_END_BLOCK && --depth == 0) return i + 1;
  }
  return count;
}

int32_t RepeatCount(const CAction& action, CInstance* self, CInstance* other) {
  CExecFrame args;
  EvaluateArguments(action, self, other, args.Slots());
  args.Seal(action.arg_count);
  return action.arg_count > 0 ? RoundToInt32(args.Slots()[0].real) : 0;
}

}  // namespace

int32_t ExecuteActions(CInstance* self, CInstance* other, const std::vector<CAction>& list, int32_t i) {
  if (i < 0 || static_cast<size_t>(i) >= list.size() || Pending() || g_Nesting >= kMaxNesting) return ACTION_LIST_END;
  RNestingGuard nesting;
  const CAction& action = list[i];
  EventContext.action = i;
  if (action.kind == ACTION_BEGIN_BLOCK) {
    int32_t j = i + 1;
    while (static_cast<size_t>(j) < list.size() && list[j].kind != ACTION_END_BLOCK) {
      j = ExecuteActions(self, other, list, j);
      if (j == ACTION_LIST_END) return ACTION_LIST_END;
    }
    return j + 1;
  }
  if (action.kind == ACTION_REPEAT) {
    int32_t times = RepeatCount(action, self, other);
    for (int32_t k = 0; k < times; k++) {
      if (ExecuteActions(self, other, list, i + 1) == ACTION_LIST_END) return ACTION_LIST_END;
    }
    return Skip(list, i + 1);
  }
  if (action.kind == ACTION_EXIT) return ACTION_LIST_END;
  if (action.kind == ACTION_END_BLOCK || action.kind == ACTION_ELSE) return i + 1;
  if (!action.is_question) {
    Apply(list, i, self, other);
    return i + 1;
  }
  bool holds = Apply(list, i, self, other);
  int32_t next = holds ? ExecuteActions(self, other, list, i + 1) : Skip(list, i + 1);
  if (next == ACTION_LIST_END) return ACTION_LIST_END;
  if (static_cast<size_t>(next) < list.size() && list[next].kind == ACTION_ELSE) {
    if (holds) return Skip(list, next + 1);
    return ExecuteActions(self, other, list, next + 1);
  }
  return next;
}

void ExecuteActionList(CInstance* self, CInstance* other, const std::vector<CAction>& list) {
  int32_t i = 0;
  while (i != ACTION_LIST_END) i = ExecuteActions(self, other, list, i);
}

void ExecuteEvent(CInstance* self, CInstance* other, const CEvent& event) {
  // Most events of games written in code are one code action for self: it
  // runs straight, as ExecuteActions would run it, without the walk.
  if (event.actions.size() == 1) {
    const CAction& action = event.actions[0];
    const bool plain = action.kind != ACTION_BEGIN_BLOCK && action.kind != ACTION_END_BLOCK &&
                       action.kind != ACTION_ELSE && action.kind != ACTION_EXIT && action.kind != ACTION_REPEAT;
    const int32_t target = action.uses_applies_to ? action.applies_to : kAppliesSelf;
    if (plain && !action.is_question && action.exec_type == ACTION_EXEC_CODE && target == kAppliesSelf) {
      if (Pending() || g_Nesting >= kMaxNesting) return;
      {
        RNestingGuard nesting;
        EventContext.action = 0;
        RValue result;
        Run(action, self, other, result);
      }
      // Actions the code added to its own event run after it, as in the walk.
      if (event.actions.size() > 1)
        for (int32_t i = 1; i != ACTION_LIST_END;) i = ExecuteActions(self, other, event.actions, i);
      return;
    }
  }
  ExecuteActionList(self, other, event.actions);
}
