// Event_Class: CEvent, the ordered action list of one event of an object.
#pragma once

#include <vector>

#include "world/Action_Class.h"

class CEvent {
 public:
  std::vector<CAction> actions;
  // An event without actions counts as not defined: it is never performed
  // and does not hide a parent's event.
  bool Defined() const { return !actions.empty(); }
};
