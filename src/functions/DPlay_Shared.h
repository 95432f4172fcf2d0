// DPlay_Shared: the shared-data table, values that every player of a session
// keeps a copy of and that any player may overwrite.
#pragma once

#include <cstdint>
#include <vector>

#include "code/RValue.h"

// Highest shared-data index.
constexpr int32_t DPLAY_DATA_MAX_INDEX = 1000000;

// Values indexed 0 to DPLAY_DATA_MAX_INDEX. The table grows on demand to the
// highest index touched; entries never stored read as real 0.
class CSharedData {
 public:
  // Whether the index lies in the table's range.
  static bool InRange(int32_t index) { return index >= 0 && index <= DPLAY_DATA_MAX_INDEX; }
  // Grows the table to hold `index`; false (nothing done) out of range.
  bool Grow(int32_t index);
  // Stores a value; false (nothing done) out of range.
  bool Store(int32_t index, const RValue& value);
  // The value at `index` (growing to it); real 0 out of range.
  const RValue& Read(int32_t index);
  // Entries held.
  size_t Size() const { return values_.size(); }
  // Empties the table.
  void Reset() { values_.clear(); }

 private:
  std::vector<RValue> values_;
};
