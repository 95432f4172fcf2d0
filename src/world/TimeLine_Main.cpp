#include "world/TimeLine_Main.h"

#include <memory>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "world/Run_State.h"
#include "variables/Code_Function.h"
#include "world/Event_Action.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

std::vector<std::unique_ptr<CTimeLine>> g_Table;
// Time lines deleted and moments cleared while the game runs: one of them may
// be running right now, so they are kept until the table is replaced.
std::vector<std::unique_ptr<CTimeLine>> g_RetiredLines;
std::vector<std::unique_ptr<CEvent>> g_RetiredMoments;

}  // namespace

void TimeLine_Install(const RSlots<RTimeLineRecord>& records) {
  g_Table.clear();
  g_RetiredLines.clear();
  g_RetiredMoments.clear();
  g_Table.resize(records.size());
  for (size_t i = 0; i < records.size(); i++) {
    if (!records[i]) continue;
    g_Table[i] = std::make_unique<CTimeLine>();
    g_Table[i]->LoadFrom(*records[i]);
  }
}

bool TimeLine_CompileAll() {
  for (size_t i = 0; i < g_Table.size(); i++) {
    if (g_Table[i] && !g_Table[i]->CompileActions(static_cast<int32_t>(i))) return false;
  }
  return true;
}

int32_t TimeLine_Count() { return static_cast<int32_t>(g_Table.size()); }

CTimeLine* TimeLine_Get(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < g_Table.size() ? g_Table[index].get() : nullptr;
}

void TimeLine_PerformMoment(CInstance* self, CInstance* other, int32_t index, int32_t moment) {
  CTimeLine* line = TimeLine_Get(index);
  if (!line || moment < 0 || moment >= line->Count()) return;
  REventContext saved = EventContext;
  EventContext.object = index;
  EventContext.type = EVENT_TIMELINE;
  EventContext.number = line->TimeAt(moment);
  ExecuteEvent(self, other, line->EventAt(moment));
  EventContext = saved;
}

void TimeLine_StepInstances() {
  size_t count = Room_Instances().size();
  for (size_t i = 0; i < count && RunState.PendingRoom == REQUEST_NONE; i++) {
    const std::vector<CInstance*>& list = Room_Instances();
    if (i >= list.size()) break;
    CInstance* inst = list[i];
    // Most instances follow no time line: no lookup for them.
    if (inst->destroyed || inst->timeline_index < 0) continue;
    CTimeLine* line = TimeLine_Get(inst->timeline_index);
    if (!line) continue;
    int32_t first = line->FirstAtOrAfter(inst->timeline_position);
    inst->timeline_position += inst->timeline_speed;
    int32_t last = line->FirstAtOrAfter(inst->timeline_position);
    // A moment may change the instance's time line or delete moments: the
    // moments are looked up afresh by index each time.
    int32_t index = inst->timeline_index;
    for (int32_t m = first; m < last && RunState.PendingRoom == REQUEST_NONE; m++) TimeLine_PerformMoment(inst, inst, index, m);
  }
}

namespace {

void F_TimelineExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(TimeLine_Exists(ArgInt(args, 0)) ? 1 : 0);
}

void F_TimelineName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int32_t index = ArgInt(args, 0);
  result.SetString(TimeLine_Exists(index) ? Resource_Name(RESOURCE_TIMELINE, index) : std::string("<undefined>"));
}

void F_TimelineAdd(CInstance*, CInstance*, int, RValue*, RValue& result) {
  int32_t index = TimeLine_Count();
  g_Table.push_back(std::make_unique<CTimeLine>());
  Resource_SetName(RESOURCE_TIMELINE, index, "__newtimeline" + std::to_string(index));
  result.SetReal(index);
}

void F_TimelineDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t index = ArgInt(args, 0);
  if (!TimeLine_Exists(index)) {
    ReportActionError("Trying to delete non-existing timeline.");
    return;
  }
  g_RetiredLines.push_back(std::move(g_Table[index]));
  Resource_SetName(RESOURCE_TIMELINE, index, "");
}

void F_TimelineMomentClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CTimeLine* line = TimeLine_Get(ArgInt(args, 0))) line->Delete(ArgInt(args, 1), g_RetiredMoments);
}

void F_TimelineMomentAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t index = ArgInt(args, 0), step = ArgInt(args, 1);
  CTimeLine* line = TimeLine_Get(index);
  if (!line) return;
  int32_t existing = line->Find(step);
  int32_t position = existing < 0 ? 0 : static_cast<int32_t>(line->EventAt(existing).actions.size());
  // The compile names the moment in its error report.
  REventContext saved = EventContext;
  EventContext = REventContext{EVENT_TIMELINE, step, index, position};
  CAction action = CAction::CodeAction(ArgString(args, 2));
  bool compiled = action.Compile();
  EventContext = saved;
  if (compiled) line->Add(step).actions.push_back(std::move(action));
}

const RFunctionDef kTimeLineFunctions[] = {
    {"timeline_exists", F_TimelineExists, 1},
    {"timeline_name", F_TimelineName, 1},
    {"timeline_get_name", F_TimelineName, 1},
    {"timeline_add", F_TimelineAdd, 0},
    {"timeline_delete", F_TimelineDelete, 1},
    {"timeline_moment_clear", F_TimelineMomentClear, 2},
    {"timeline_moment_add", F_TimelineMomentAdd, 3},
};

}  // namespace

void Function_TimeLine_Register() { RegisterFunctions(kTimeLineFunctions); }
