#include "world/Object_Class.h"

#include "data/DataNew_Class.h"
#include "code/Event_Context.h"
#include "world/Object_Main.h"

void CObject::LoadFrom(const RObjectRecord& r) {
  *this = CObject();
  sprite = r.sprite;
  solid = r.solid;
  visible = r.visible;
  depth = r.depth;
  persistent = r.persistent;
  parent = r.parent;
  mask = r.mask;
  for (const RObjectEvent& e : r.events) {
    CEvent* event = Event(e.type, e.number);
    if (!event) continue;
    for (const RActionRecord& a : e.event.actions) {
      CAction action;
      action.LoadFrom(a);
      event->actions.push_back(std::move(action));
    }
  }
}

CEvent* CObject::Event(int32_t kind, int32_t number) {
  if (kind < 0 || kind >= EV_KINDS || number < 0 || number >= EVENT_NUMBER_LIMIT) return nullptr;
  // The caller may give the event actions: remembered lookups are stale.
  Object_EventsChanged();
  std::deque<CEvent>& list = m_Events[kind];
  if (static_cast<size_t>(number) >= list.size()) list.resize(static_cast<size_t>(number) + 1);
  return &list[number];
}

bool CObject::CompileActions() {
  for (int32_t kind = 0; kind < EV_KINDS; kind++) {
    EventContext.type = kind;
    for (size_t number = 0; number < m_Events[kind].size(); number++) {
      EventContext.number = static_cast<int32_t>(number);
      std::vector<CAction>& actions = m_Events[kind][number].actions;
      for (size_t i = 0; i < actions.size(); i++) {
        EventContext.action = static_cast<int32_t>(i);
        if (!actions[i].Compile()) return false;
      }
    }
  }
  return true;
}

bool CObject::ClearEvent(int32_t kind, int32_t number, std::vector<CAction>& retired) {
  if (!DefinedEvent(kind, number)) return false;
  std::vector<CAction>& actions = m_Events[kind][number].actions;
  for (CAction& a : actions) retired.push_back(std::move(a));
  actions.clear();
  return true;
}
