#include "world/Object_Lists.h"

#include <array>

#include "world/Object_Main.h"

const int32_t kEventListBound[EV_KINDS] = {0, 0, 12, 16, -1, 128, 128, 128, 0, 128, 128};

namespace {

std::array<std::array<std::vector<int32_t>, EVENT_LIST_NUMBERS>, EV_KINDS> g_EventObjects;
std::vector<std::pair<int32_t, int32_t>> g_CollisionPairs;

}  // namespace

void BuildEventLists() {
  Object_EventsChanged();
  int32_t count = Object_Count();
  for (int32_t kind = 0; kind < EV_KINDS; kind++) {
    for (int32_t number = 0; number < EVENT_LIST_NUMBERS; number++) {
      std::vector<int32_t>& list = g_EventObjects[kind][number];
      list.clear();
      if (number > kEventListBound[kind]) continue;
      for (int32_t obj = 0; obj < count; obj++)
        if (Object_Exists(obj) && HasEvent(obj, kind, number)) list.push_back(obj);
    }
  }
  g_CollisionPairs.clear();
  for (int32_t a = 0; a < count; a++) {
    if (!Object_Exists(a)) continue;
    for (int32_t b = 0; b < count; b++)
      if (HasEvent(a, EV_COLLISION, b)) g_CollisionPairs.emplace_back(a, b);
  }
}

const std::vector<int32_t>& Event_Objects(int32_t kind, int32_t number) {
  static const std::vector<int32_t> kNone;
  if (kind < 0 || kind >= EV_KINDS || number < 0 || number >= EVENT_LIST_NUMBERS) return kNone;
  return g_EventObjects[kind][number];
}

const std::vector<std::pair<int32_t, int32_t>>& Event_CollisionPairs() { return g_CollisionPairs; }
