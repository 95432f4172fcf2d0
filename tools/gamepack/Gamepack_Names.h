// Gamepack_Names: the words a project uses instead of the numbers the game
// file stores: action kinds, execution types and argument kinds, event types
// and the event numbers of keys, mouse, step and other events, sound kinds
// and effects, and the enumerated settings. A project may give either the
// word or the number; unpacking writes the word wherever one exists.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "data/DataNew_Layout.h"

// One word and the number it stands for. A number may have several words
// (13 is "enter" and "return"); the first one listed is the one written.
struct RName {
  int32_t value;
  std::string name;
};

// The words of one field kind.
struct RNameTable {
  // What a value of the table is called in messages and in the reference
  // ("event type", "key").
  const char* noun;
  // True for bit sets (sound effects): a project lists the words of the
  // bits that are set.
  bool bits;
  std::span<const RName> names;

  // The word written for a value, or nullptr when it has none.
  const std::string* NameOf(int32_t value) const;
  // The value of a word; false when the table does not know it.
  bool ValueOf(std::string_view name, int32_t& value) const;
};

// The table of a field kind.
const RNameTable& Names_Table(RNameSet set);
// The words of an event type's numbers: keys for the keyboard types, mouse,
// step and other events; nullptr for the types whose number is a plain
// number (alarm) or a resource (collision: the other object).
const RNameTable* Names_EventNumbers(int32_t type);

// Event types whose number is a key code, and the collision type whose
// number is an object.
inline constexpr int32_t kEventCollision = 4;
inline bool Names_IsKeyEvent(int32_t type) { return type == 5 || type == 9 || type == 10; }
