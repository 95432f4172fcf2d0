// Object_Main: the object table, the event lookup through the parent chain
// and performing events for instances.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "world/Object_Class.h"

class CInstance;
#include "data/DataNew_Class.h"

// ---- The object table (names live in the resource name table) ----

// Replaces the table with objects made from the records (slot i empty for a
// missing record). Actions are not compiled.
void Object_Install(const RSlots<RObjectRecord>& records);
// Compiles the actions of every object; false at the first failure.
bool Object_CompileAll();
int32_t Object_Count();
// The object at index, or null (out of range or empty slot).
inline CObject* Object_Get(int32_t index);
inline bool Object_Exists(int32_t index) { return Object_Get(index) != nullptr; }
// Appends an empty object named "__newobject" + index; its index.
int32_t Object_Add();
// Empties its slot and name; false when there was none. The object itself
// lives on until the table is replaced, since it may be running an event.
bool Object_Delete(int32_t index);
// Empties the defined event (kind, number) of an object; false when there
// is none. The actions stay alive until the table is replaced, since the
// event may be running.
bool Object_ClearEvent(int32_t index, int32_t kind, int32_t number);
// Whether `ancestor` lies on the parent chain of `object` (above it).
bool Object_IsAncestor(int32_t object, int32_t ancestor);
// Calls fn(index) for the object and each ancestor, nearest first. The walk
// stops at a parent that does not exist, and after as many steps as there
// are objects, so a cyclic chain read from a file cannot hang it.
template <class Fn>
void Object_WalkChain(int32_t object, Fn&& fn);

// ---- Events ----

// The defined event (kind, number) for an object, looked up through its
// parent chain, and for collisions through the other object's ancestors;
// `holder` receives the index of the object that has it. Null when none.
// The last answer is remembered (the step asks the same for every instance
// of an object) until Object_EventsChanged.
const CEvent* FindEvent(int32_t object, int32_t kind, int32_t number, int32_t& holder);
// Forgets the remembered answer of FindEvent: called whenever objects,
// parents or events change (the functions here and BuildEventLists do).
void Object_EventsChanged();
inline bool HasEvent(int32_t object, int32_t kind, int32_t number) {
  int32_t holder;
  return FindEvent(object, kind, number, holder) != nullptr;
}
// Performs the event as found for `object` on self with other; nothing
// while a request is pending or when there is no such event.
void PerformObjectEvent(CInstance* self, CInstance* other, int32_t object, int32_t kind, int32_t number);
// The event of the instance's own object; nothing for no instance.
void PerformEvent(CInstance* inst, CInstance* other, int32_t kind, int32_t number);
// The event for every live instance of the current room, in room order, each
// as its own other; instances created meanwhile do not receive it.
void PerformEventForAll(int32_t kind, int32_t number);

// ---- inline definitions ----

namespace object_detail {
extern std::vector<std::unique_ptr<CObject>> Table;
}

inline CObject* Object_Get(int32_t index) {
  const auto& table = object_detail::Table;
  return index >= 0 && static_cast<size_t>(index) < table.size() ? table[index].get() : nullptr;
}

template <class Fn>
void Object_WalkChain(int32_t object, Fn&& fn) {
  size_t limit = object_detail::Table.size();
  for (size_t steps = 0; steps < limit; steps++) {
    const CObject* obj = Object_Get(object);
    if (!obj) return;
    if (fn(object)) return;
    object = obj->parent;
  }
}
