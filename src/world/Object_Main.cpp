#include "world/Object_Main.h"

#include <string>

#include "data/DataNew_Class.h"
#include "data/Resource_Names.h"
#include "world/Run_State.h"
#include "world/Event_Action.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace object_detail {
std::vector<std::unique_ptr<CObject>> Table;
}

namespace {

using object_detail::Table;

// Objects deleted and actions cleared while the game runs: one of them may
// be running right now, so they are kept until the table is replaced.
std::vector<std::unique_ptr<CObject>> g_Retired;
std::vector<CAction> g_RetiredActions;

// FindEvent's last question and answer; valid while `valid`.
struct RFoundEvent {
  bool valid = false;
  int32_t object = 0, kind = 0, number = 0, holder = -1;
  const CEvent* event = nullptr;
};
RFoundEvent g_LastFound;

// The defined event of the object or its nearest ancestor that has one.
const CEvent* FindInChain(int32_t object, int32_t kind, int32_t number, int32_t& holder) {
  const CEvent* found = nullptr;
  Object_WalkChain(object, [&](int32_t index) {
    found = Object_Get(index)->DefinedEvent(kind, number);
    if (found) holder = index;
    return found != nullptr;
  });
  return found;
}

const CEvent* FindEventInTable(int32_t object, int32_t kind, int32_t number, int32_t& holder) {
  if (const CEvent* event = FindInChain(object, kind, number, holder)) return event;
  const CObject* other = kind == EV_COLLISION ? Object_Get(number) : nullptr;
  if (!other) return nullptr;
  // A collision event with an ancestor of the other object: nearer
  // ancestors first, and for each the searching object's own chain.
  const CEvent* found = nullptr;
  Object_WalkChain(other->parent, [&](int32_t ancestor) {
    found = FindInChain(object, kind, ancestor, holder);
    return found != nullptr;
  });
  return found;
}

}  // namespace

void Object_Install(const RSlots<RObjectRecord>& records) {
  Object_EventsChanged();
  Table.clear();
  g_Retired.clear();
  g_RetiredActions.clear();
  Table.resize(records.size());
  for (size_t i = 0; i < records.size(); i++) {
    if (!records[i]) continue;
    Table[i] = std::make_unique<CObject>();
    Table[i]->LoadFrom(*records[i]);
  }
  // A parent chain that runs into itself can only come from a damaged file;
  // it is cut at its first member so that every walk up ends.
  for (size_t i = 0; i < Table.size(); i++)
    if (Table[i] && Object_IsAncestor(static_cast<int32_t>(i), static_cast<int32_t>(i))) Table[i]->parent = -1;
}

bool Object_CompileAll() {
  for (size_t i = 0; i < Table.size(); i++) {
    if (!Table[i]) continue;
    EventContext.object = static_cast<int32_t>(i);
    if (!Table[i]->CompileActions()) return false;
  }
  return true;
}

int32_t Object_Count() { return static_cast<int32_t>(Table.size()); }

int32_t Object_Add() {
  Object_EventsChanged();
  int32_t index = Object_Count();
  Table.push_back(std::make_unique<CObject>());
  Resource_SetName(RESOURCE_OBJECT, index, "__newobject" + std::to_string(index));
  return index;
}

bool Object_Delete(int32_t index) {
  if (!Object_Exists(index)) return false;
  Object_EventsChanged();
  g_Retired.push_back(std::move(Table[index]));
  Resource_SetName(RESOURCE_OBJECT, index, "");
  return true;
}

bool Object_ClearEvent(int32_t index, int32_t kind, int32_t number) {
  CObject* obj = Object_Get(index);
  Object_EventsChanged();
  return obj && obj->ClearEvent(kind, number, g_RetiredActions);
}

bool Object_IsAncestor(int32_t object, int32_t ancestor) {
  const CObject* obj = Object_Get(object);
  if (!obj) return false;
  bool found = false;
  Object_WalkChain(obj->parent, [&](int32_t index) { return found = index == ancestor; });
  return found;
}

void Object_EventsChanged() { g_LastFound.valid = false; }

const CEvent* FindEvent(int32_t object, int32_t kind, int32_t number, int32_t& holder) {
  RFoundEvent& last = g_LastFound;
  if (last.valid && last.object == object && last.kind == kind && last.number == number) {
    holder = last.holder;
    return last.event;
  }
  holder = -1;
  const CEvent* event = FindEventInTable(object, kind, number, holder);
  last = {true, object, kind, number, holder, event};
  return event;
}

void PerformObjectEvent(CInstance* self, CInstance* other, int32_t object, int32_t kind, int32_t number) {
  if (RunState.PendingRoom != REQUEST_NONE) return;
  int32_t holder = -1;
  const CEvent* event = FindEvent(object, kind, number, holder);
  if (!event) return;
  REventContext saved = EventContext;
  EventContext.object = holder;
  EventContext.type = kind;
  EventContext.number = number;
  try {
    ExecuteEvent(self, other, *event);
  } catch (...) {
    EventContext = saved;
    throw;
  }
  EventContext = saved;
}

void PerformEvent(CInstance* inst, CInstance* other, int32_t kind, int32_t number) {
  if (inst) PerformObjectEvent(inst, other, inst->object_index, kind, number);
}

void PerformEventForAll(int32_t kind, int32_t number) {
  size_t count = Room_Instances().size();
  // Deactivation inside an event may shorten the array.
  for (size_t i = 0; i < count && i < Room_Instances().size(); i++) {
    CInstance* inst = Room_Instances()[i];
    if (!inst->destroyed) PerformObjectEvent(inst, inst, inst->object_index, kind, number);
  }
}
