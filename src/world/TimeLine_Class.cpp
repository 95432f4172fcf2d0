#include "world/TimeLine_Class.h"

#include <algorithm>

#include "data/DataNew_Class.h"
#include "code/Event_Context.h"

void CTimeLine::LoadFrom(const RTimeLineRecord& record) {
  m_Moments.clear();
  for (const RMoment& moment : record.moments) {
    CEvent& event = Add(moment.step);
    for (const RActionRecord& a : moment.event.actions) {
      CAction action;
      action.LoadFrom(a);
      event.actions.push_back(std::move(action));
    }
  }
}

bool CTimeLine::CompileActions(int32_t index) {
  EventContext.object = index;
  EventContext.type = EVENT_TIMELINE;
  for (RMomentEntry& moment : m_Moments) {
    EventContext.number = moment.time;
    std::vector<CAction>& actions = moment.event->actions;
    for (size_t i = 0; i < actions.size(); i++) {
      EventContext.action = static_cast<int32_t>(i);
      if (!actions[i].Compile()) return false;
    }
  }
  return true;
}

int32_t CTimeLine::Find(int32_t time) const {
  int32_t i = FirstAtOrAfter(time);
  return i < Count() && m_Moments[i].time == time ? i : -1;
}

int32_t CTimeLine::FirstAtOrAfter(double position) const {
  auto it = std::lower_bound(m_Moments.begin(), m_Moments.end(), position,
                             [](const RMomentEntry& m, double p) { return m.time < p; });
  return static_cast<int32_t>(it - m_Moments.begin());
}

CEvent& CTimeLine::Add(int32_t time) {
  int32_t i = FirstAtOrAfter(time);
  if (i < Count() && m_Moments[i].time == time) return *m_Moments[i].event;
  auto it = m_Moments.insert(m_Moments.begin() + i, RMomentEntry{time, std::make_unique<CEvent>()});
  return *it->event;
}

void CTimeLine::Delete(int32_t time, std::vector<std::unique_ptr<CEvent>>& retired) {
  int32_t i = Find(time);
  if (i < 0) return;
  retired.push_back(std::move(m_Moments[i].event));
  m_Moments.erase(m_Moments.begin() + i);
}
