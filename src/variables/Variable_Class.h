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
  const RValue* Find(int32_t id, int32_t index) const {
    int32_t pos = Position(id);
    if (pos < 0) return nullptr;
    return Element(m_Vars[pos], index);
  }
  // The variable with `hint` remembering where it was found last; the
  // interpreter keeps one hint per variable reference. A list read from a
  // stream that repeats an id ignores the hint (the last record wins).
  [[gnu::always_inline]] RVariable* FindVariable(int32_t id, int32_t& hint) {
    if (static_cast<size_t>(hint) < m_Ids.size() && m_Ids[hint] == id && !m_Repeated) return &m_Vars[hint];
    int32_t pos = Position(id);
    if (pos < 0) return nullptr;
    hint = pos;
    return &m_Vars[pos];
  }
  // The variable, added when missing; the same hint as FindVariable.
  RVariable& Variable(int32_t id, int32_t& hint) {
    if (RVariable* var = FindVariable(id, hint)) return *var;
    hint = Add(id);
    return m_Vars[hint];
  }
  // The element at `index` (0 the scalar), or null when it does not exist.
  static const RValue* Element(const RVariable& var, int32_t index) {
    return index == 0 ? &var.value : ArrayElement(var, index);
  }
  // The element at `index`, growing the rows as Set does.
  static RValue& GrowTo(RVariable& var, int32_t index) {
    if (index <= 0) return var.value;
    size_t r = static_cast<size_t>(index / VARIABLE_ARRAY_SIZE);
    size_t c = static_cast<size_t>(index % VARIABLE_ARRAY_SIZE);
    if (r < var.rows.size() && c < var.rows[r].size()) return var.rows[r][c];
    return Grow(var, r, c);
  }
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
  static uint32_t HashId(int32_t id, size_t mask) {
    return ((static_cast<uint32_t>(id) * 2654435761u) >> 7) & static_cast<uint32_t>(mask);
  }
  // Position of the last-added variable with this id, or -1.
  int32_t Position(int32_t id) const {
    if (m_Hash.empty()) {
      for (size_t i = m_Ids.size(); i-- > 0;)
        if (m_Ids[i] == id) return static_cast<int32_t>(i);
      return -1;
    }
    size_t mask = m_Hash.size() - 1;
    for (uint32_t h = HashId(id, mask);; h = (h + 1) & mask) {
      int32_t pos = m_Hash[h];
      if (pos < 0) return -1;
      if (m_Ids[pos] == id) return pos;
    }
  }
  static const RValue* ArrayElement(const RVariable& var, int32_t index) {
    if (index < 0) return nullptr;
    size_t r = static_cast<size_t>(index / VARIABLE_ARRAY_SIZE);
    size_t c = static_cast<size_t>(index % VARIABLE_ARRAY_SIZE);
    if (r >= var.rows.size() || c >= var.rows[r].size()) return nullptr;
    return &var.rows[r][c];
  }
  static RValue& Grow(RVariable& var, size_t row, size_t column);
  int32_t Add(int32_t id);
  void Reindex();

  std::vector<RVariable> m_Vars;
  // The ids in list order, scanned backwards while the list is short.
  std::vector<int32_t> m_Ids;
  // Open-addressed id -> position table (-1 empty), used once the list is
  // long enough that a scan would cost more than a probe.
  std::vector<int32_t> m_Hash;
  // Set when a stream gave one id twice: a hint may then name a record that
  // a later one hides.
  bool m_Repeated = false;
};
