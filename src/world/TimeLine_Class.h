// TimeLine_Class: CTimeLine, moments at step numbers in ascending order,
// each an action list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "world/Event_Class.h"

struct RTimeLineRecord;

class CTimeLine {
 public:
  struct RMomentEntry {
    int32_t time;
    // Owned apart from the array so that a running moment's list stays put
    // when moments are added or removed meanwhile.
    std::unique_ptr<CEvent> event;
  };

  // Takes the moments of a record (actions not compiled yet). Moments that
  // a damaged file gives out of order or twice are sorted and merged.
  void LoadFrom(const RTimeLineRecord& record);
  // Compiles every moment's actions with the event context of a time line
  // (`index`); false at the first failure.
  bool CompileActions(int32_t index);

  int32_t Count() const { return static_cast<int32_t>(m_Moments.size()); }
  int32_t TimeAt(int32_t i) const { return m_Moments[i].time; }
  const CEvent& EventAt(int32_t i) const { return *m_Moments[i].event; }
  // Index of the moment at exactly that time, or -1.
  int32_t Find(int32_t time) const;
  // The first index whose time is >= position; Count() when past the last.
  int32_t FirstAtOrAfter(double position) const;
  // The moment at that time, created in time order when missing.
  CEvent& Add(int32_t time);
  // Removes the moment at that time, if any; its actions go to `retired`
  // (it may be running).
  void Delete(int32_t time, std::vector<std::unique_ptr<CEvent>>& retired);

 private:
  std::vector<RMomentEntry> m_Moments;
};
