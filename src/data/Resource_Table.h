// Resource_Table: the storage shared by the resource tables whose entries a
// script can add, replace and delete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/DataNew_Class.h"
#include "data/Resource_Names.h"

// The storage of a resource table: owned objects by index
// (a slot may be empty; indices never shift) with their names kept in the
// resource name table of their kind.
template <class T>
class CResourceTable {
 public:
  CResourceTable(RResourceKind kind, const char* new_prefix) : m_Kind(kind), m_Prefix(new_prefix) {}

  // Empties the table (names included).
  void Clear() {
    m_Items.clear();
    Resource_ClearNames(m_Kind);
  }
  // Appends a slot named `name` ("" for an empty one).
  void Push(std::unique_ptr<T> item, const std::string& name) {
    Resource_SetName(m_Kind, Count(), item ? name : std::string());
    m_Items.push_back(std::move(item));
  }

  // Fills the table from a section's records: an object per record, loaded
  // by its LoadFromRecord (which may move data out of the record).
  template <class R>
  void Install(RSlots<R>& records) {
    Clear();
    for (std::optional<R>& record : records) {
      std::unique_ptr<T> item;
      if (record) {
        item = std::make_unique<T>();
        item->LoadFromRecord(*record);
      }
      Push(std::move(item), record ? record->name : std::string());
    }
  }

  int32_t Count() const { return static_cast<int32_t>(m_Items.size()); }
  T* Get(int32_t index) const {
    return index >= 0 && index < Count() ? m_Items[static_cast<size_t>(index)].get() : nullptr;
  }
  const std::string& Name(int32_t index) const {
    static const std::string kUndefined = "<undefined>";
    return Get(index) ? Resource_Name(m_Kind, index) : kUndefined;
  }
  int32_t Find(const std::string& name) const {
    const int32_t index = name.empty() ? -1 : Resource_IndexOf(m_Kind, name);
    return Get(index) ? index : -1;
  }

  // Appends a new empty object named prefix + index; returns the index.
  int32_t AddNew() { return Add(std::make_unique<T>()); }
  // Appends an object made by the caller, named prefix + index; returns the index.
  int32_t Add(std::unique_ptr<T> item) {
    const int32_t index = Count();
    Push(std::move(item), m_Prefix + std::to_string(index));
    return index;
  }
  // The object of a valid index, a new one when the slot is empty (its name
  // stays); null for an invalid index.
  T* Slot(int32_t index) {
    if (index < 0 || index >= Count()) return nullptr;
    std::unique_ptr<T>& slot = m_Items[static_cast<size_t>(index)];
    if (!slot) slot = std::make_unique<T>();
    return slot.get();
  }
  // Frees the object of a slot and empties its name; false when already empty.
  bool Delete(int32_t index) {
    if (!Get(index)) return false;
    m_Items[static_cast<size_t>(index)].reset();
    Resource_SetName(m_Kind, index, "");
    return true;
  }
  // A new entry assigned from `source`; -1 when it does not exist.
  int32_t Duplicate(int32_t source) {
    if (!Get(source)) return -1;
    const int32_t index = AddNew();
    Get(index)->Assign(*Get(source));
    return index;
  }
  // The target slot (a new object when empty) becomes a copy of the source;
  // false when the target index is invalid or the source does not exist.
  bool Assign(int32_t target, int32_t source) {
    T* from = Get(source);
    T* to = from ? Slot(target) : nullptr;
    if (!to) return false;
    to->Assign(*from);
    return true;
  }

  template <typename F>
  void ForEach(F f) const {
    for (const std::unique_ptr<T>& item : m_Items)
      if (item) f(*item);
  }

 private:
  RResourceKind m_Kind;
  std::string m_Prefix;
  std::vector<std::unique_ptr<T>> m_Items;
};
