#include "variables/Variable_Class.h"

#include "data/Option_Main.h"
#include "data/Support_Stream.h"

namespace {

constexpr int32_t kStreamVersion = 440;
// Lists up to this long are scanned; longer ones keep the hash table.
constexpr size_t kScanLimit = 16;

void WriteValue(CStream& s, const RValue& v) {
  s.WriteInteger(v.kind);
  s.WriteReal(v.real);
  s.WriteString(v.str);
}

void ReadValue(CStream& s, RValue& v) {
  v.kind = s.ReadInteger();
  v.real = s.ReadReal();
  v.str = s.ReadString();
}

}  // namespace

void CVariableList::Reindex() {
  size_t size = 64;
  while (size < m_Ids.size() * 2) size *= 2;
  m_Hash.assign(size, -1);
  size_t mask = size - 1;
  for (size_t i = 0; i < m_Ids.size(); i++) {
    uint32_t h = HashId(m_Ids[i], mask);
    // A later record with the same id replaces the earlier one: finds go to
    // the last-added variable.
    while (m_Hash[h] >= 0 && m_Ids[m_Hash[h]] != m_Ids[i]) h = (h + 1) & mask;
    m_Hash[h] = static_cast<int32_t>(i);
  }
}

int32_t CVariableList::Add(int32_t id) {
  m_Vars.emplace_back().id = id;
  m_Ids.push_back(id);
  int32_t pos = static_cast<int32_t>(m_Ids.size() - 1);
  if (m_Ids.size() > kScanLimit) {
    if (m_Hash.size() < m_Ids.size() * 2) {
      Reindex();
    } else {
      size_t mask = m_Hash.size() - 1;
      uint32_t h = HashId(id, mask);
      while (m_Hash[h] >= 0 && m_Ids[m_Hash[h]] != id) h = (h + 1) & mask;
      m_Hash[h] = pos;
    }
  }
  return pos;
}

bool CVariableList::Get(int32_t id, int32_t index, RValue& out) const {
  if (const RValue* v = Find(id, index)) {
    out = *v;
    return true;
  }
  if (!Settings.UninitializedAsZero) return false;
  out = RValue();
  return true;
}

RValue& CVariableList::Grow(RVariable& var, size_t row, size_t column) {
  if (row >= var.rows.size()) var.rows.resize(row + 1);
  std::vector<RValue>& cells = var.rows[row];
  if (column >= cells.size()) cells.resize(column + 1);
  return cells[column];
}

RValue& CVariableList::Slot(int32_t id, int32_t index) {
  int32_t pos = Position(id);
  if (pos < 0) pos = Add(id);
  return GrowTo(m_Vars[pos], index);
}

void CVariableList::Set(int32_t id, int32_t index, const RValue& value) { Slot(id, index) = value; }

void CVariableList::Declare(int32_t id) {
  if (Position(id) < 0) Add(id);
}

void CVariableList::Clear() {
  m_Vars.clear();
  m_Ids.clear();
  m_Hash.clear();
  m_Repeated = false;
}

void CVariableList::CopyFrom(const CVariableList& other) {
  m_Vars = other.m_Vars;
  m_Ids = other.m_Ids;
  m_Hash = other.m_Hash;
  m_Repeated = other.m_Repeated;
}

void CVariableList::WriteTo(CStream& s) const {
  s.WriteInteger(kStreamVersion);
  s.WriteInteger(Count());
  for (const RVariable& var : m_Vars) {
    s.WriteInteger(var.id);
    WriteValue(s, var.value);
    s.WriteInteger(static_cast<int32_t>(var.rows.size()));
    for (const std::vector<RValue>& row : var.rows) {
      s.WriteInteger(static_cast<int32_t>(row.size()));
      for (const RValue& v : row) WriteValue(s, v);
    }
  }
}

void CVariableList::ReadFrom(CStream& s) {
  Clear();
  if (s.ReadInteger() != kStreamVersion) return;
  int32_t count = s.ReadInteger();
  // Counts come from a file: nothing is reserved from them, so a corrupt
  // count runs into the end of the stream instead of into memory.
  for (int32_t i = 0; i < count; i++) {
    RVariable var;
    var.id = s.ReadInteger();
    ReadValue(s, var.value);
    int32_t rows = s.ReadInteger();
    for (int32_t r = 0; r < rows; r++) {
      std::vector<RValue>& row = var.rows.emplace_back();
      int32_t n = s.ReadInteger();
      for (int32_t c = 0; c < n; c++) ReadValue(s, row.emplace_back());
    }
    if (Position(var.id) >= 0) m_Repeated = true;
    int32_t pos = Add(var.id);
    m_Vars[pos] = std::move(var);
  }
}
