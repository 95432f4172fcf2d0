// Variable_Class: CVariableList, the one container of script variables. The
// variables of an instance, the globals and the locals of one execution are
// each a CVariableList keyed by variable id, with 1- and 2-dimensional arrays
// addressed by one combined index (row * 32000 + column).
#pragma once

#include <cstdint>
#include <vector>

#include "code/RValue.h"

class CStream;

// Subscripts run from 0 to 31999; a[i, j] is index i * 32000 + j.
constexpr int32_t VARIABLE_ARRAY_SIZE = 32000;

// One variable of a store: its scalar value (which is also element 0) and its
// array rows (row r = index div 32000, column c = index mod 32000).
struct RVariable {
  int32_t id = 0;
  RValue value;
  std::vector<std::vector<RValue>> rows;
};

class CVariableList {
 public:
  // Copies the value at `index` into `out`. False when the variable, its row
  // or its column does not exist; with UninitializedAsZero on, a failed read
  // gives a fresh real 0 and true instead.
  bool Get(int32_t id, int32_t index, RValue& out) const;
  // The stored value at `index`, or null when it does not exist. Reads
  // without copying; the pointer lives until the list next changes.
  const RValue* Find(int32_t id, int32_t index) const;
  // Stores `value` at `index`, adding the variable and growing its rows.
  void Set(int32_t id, int32_t index, const RValue& value);
  // The slot for `index`, added and grown as Set would; lets the caller
  // store in place. Valid until the list next changes.
  RValue& Slot(int32_t id, int32_t index);
  // Adds the variable as real 0 without rows unless it exists already.
  void Declare(int32_t id);
  void Clear();
  // Deep copy of every variable, value and element.
  void CopyFrom(const CVariableList& other);

  // Stream form: 440, count, per variable its id, value and rows.
  void WriteTo(CStream& stream) const;
  // Clears the list, then reads it back; a first integer other than 440
  // leaves the list empty and reads nothing more. A truncated stream throws
  // CStreamError (the list then holds what was read completely).
  void ReadFrom(CStream& stream);

  int32_t Count() const { return static_cast<int32_t>(m_Vars.size()); }
  const RVariable& At(int32_t position) const { return m_Vars[position]; }

 private:
  // Position of the last-added variable with this id, or -1.
  int32_t Position(int32_t id) const;
  int32_t Add(int32_t id);
  void Reindex();

  std::vector<RVariable> m_Vars;
  // The ids in list order, scanned backwards while the list is short.
  std::vector<int32_t> m_Ids;
  // Open-addressed id -> position table (-1 empty), used once the list is
  // long enough that a scan would cost more than a probe.
  std::vector<int32_t> m_Hash;
};
