// TimeLine_Main: the time line table, performing moments, the time line
// phase of a step and the time line built-ins.
#pragma once

#include <cstdint>

#include "data/DataNew_Class.h"
#include "world/TimeLine_Class.h"

class CInstance;

// Replaces the table with time lines made from the records (slot i empty for
// a missing record). Actions are not compiled.
void TimeLine_Install(const RSlots<RTimeLineRecord>& records);
// Compiles the actions of every time line; false at the first failure.
bool TimeLine_CompileAll();
int32_t TimeLine_Count();
// The time line at index, or null.
CTimeLine* TimeLine_Get(int32_t index);
inline bool TimeLine_Exists(int32_t index) { return TimeLine_Get(index) != nullptr; }

// Runs moment `moment` of time line `index` for self and other, with the
// event context of that moment (restored afterwards).
void TimeLine_PerformMoment(CInstance* self, CInstance* other, int32_t index, int32_t moment);

// The time line phase of a step: for every live instance of the current
// room with an existing time line, advances its position by its speed and
// performs the moments passed over, in order.
void TimeLine_StepInstances();

// Registers timeline_exists, timeline_name, timeline_get_name, timeline_add,
// timeline_delete, timeline_moment_clear and timeline_moment_add.
void Function_TimeLine_Register();
