// Object_Lists: which objects have which events, through inheritance, so the
// step engine visits only the objects that have an event.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// Event numbers with lists per kind; numbers above a kind's bound have none.
constexpr int32_t EVENT_LIST_NUMBERS = 256;
// The highest number with a list, per kind (-1: none, for collisions).
extern const int32_t kEventListBound[11];

// Rebuilds both lists from the object table.
void BuildEventLists();
// The objects (ascending) that have the event themselves or by inheritance;
// empty for numbers without a list.
const std::vector<int32_t>& Event_Objects(int32_t kind, int32_t number);
// Ordered pairs (a, b): object a has a collision event with object b.
const std::vector<std::pair<int32_t, int32_t>>& Event_CollisionPairs();
