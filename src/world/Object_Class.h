// Object_Class: CObject, the resource that gives its instances their sprite,
// depth and flags and defines their behaviour as events, with a parent from
// which it inherits events.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "world/Event_Class.h"

struct RObjectRecord;

// Event kinds.
enum : int32_t {
  EV_CREATE = 0,
  EV_DESTROY = 1,
  EV_ALARM = 2,
  EV_STEP = 3,
  EV_COLLISION = 4,
  EV_KEYBOARD = 5,
  EV_MOUSE = 6,
  EV_OTHER = 7,
  EV_DRAW = 8,
  EV_KEYPRESS = 9,
  EV_KEYRELEASE = 10,
  EV_KINDS = 11,
};
// Numbers of the other events (kind 7) the room changes raise.
enum : int32_t {
  EV_GAME_START = 2,
  EV_GAME_END = 3,
  EV_ROOM_START = 4,
  EV_ROOM_END = 5,
  EV_USER0 = 10,
};

// Event numbers are key codes, mouse and other event numbers or object
// indices, all below this; larger numbers from a file or a script are ignored
// rather than grown into.
constexpr int32_t EVENT_NUMBER_LIMIT = 100000;

class CObject {
 public:
  int32_t sprite = -1;
  bool solid = false;
  bool visible = true;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1;
  int32_t mask = -1;

  // Takes the fields and events of a record (actions not compiled yet).
  void LoadFrom(const RObjectRecord& record);
  // The event, created with every missing number below it; null for a kind
  // outside 0..10 or a number outside 0..EVENT_NUMBER_LIMIT - 1. Events stay
  // where they are when later numbers are added, so a running event is never
  // moved by the actions it runs.
  CEvent* Event(int32_t kind, int32_t number);
  // The event only when it exists and has actions.
  const CEvent* DefinedEvent(int32_t kind, int32_t number) const {
    if (kind < 0 || kind >= EV_KINDS || number < 0) return nullptr;
    const std::deque<CEvent>& list = m_Events[kind];
    if (static_cast<size_t>(number) >= list.size()) return nullptr;
    return list[number].Defined() ? &list[number] : nullptr;
  }
  // Empties the defined event's action list; the actions are handed to
  // `retired` (a running action may be the one cleared). False when none.
  bool ClearEvent(int32_t kind, int32_t number, std::vector<CAction>& retired);
  // Compiles every action, setting the event context as it goes; the caller
  // sets its object. Stops at the first failure.
  bool CompileActions();

 private:
  std::array<std::deque<CEvent>, EV_KINDS> m_Events;
};
