#include "data/Resource_Names.h"

#include <unordered_map>
#include <vector>

namespace {

struct RNameTable {
  std::vector<std::string> names;
  // Name -> first slot; rebuilt on the next lookup after any change.
  std::unordered_map<std::string_view, int32_t> index;
  bool dirty = false;
};

RNameTable g_Tables[RESOURCE_KIND_COUNT];

RNameTable& TableOf(RResourceKind kind) { return g_Tables[kind]; }

void Reindex(RNameTable& t) {
  t.index.clear();
  for (int32_t i = 0; i < static_cast<int32_t>(t.names.size()); i++)
    if (!t.names[i].empty()) t.index.emplace(t.names[i], i);
  t.dirty = false;
}

}  // namespace

void Resource_ClearNames(RResourceKind kind) {
  RNameTable& t = TableOf(kind);
  t.names.clear();
  t.index.clear();
  t.dirty = false;
}

void Resource_SetName(RResourceKind kind, int32_t index, std::string_view name) {
  if (index < 0) return;
  RNameTable& t = TableOf(kind);
  if (index >= static_cast<int32_t>(t.names.size())) t.names.resize(static_cast<size_t>(index) + 1);
  t.names[index] = name;
  t.dirty = true;
}

int32_t Resource_Count(RResourceKind kind) { return static_cast<int32_t>(TableOf(kind).names.size()); }

const std::string& Resource_Name(RResourceKind kind, int32_t index) {
  static const std::string kUndefined = "<undefined>";
  const RNameTable& t = TableOf(kind);
  if (index < 0 || index >= static_cast<int32_t>(t.names.size())) return kUndefined;
  return t.names[index];
}

int32_t Resource_IndexOf(RResourceKind kind, std::string_view name) {
  RNameTable& t = TableOf(kind);
  if (t.dirty) Reindex(t);
  auto it = t.index.find(name);
  return it == t.index.end() ? -1 : it->second;
}

bool Resource_ConstantOf(std::string_view name, int32_t& index) {
  for (int32_t k = 0; k < RESOURCE_KIND_COUNT; k++) {
    int32_t i = Resource_IndexOf(static_cast<RResourceKind>(k), name);
    if (i >= 0) {
      index = i;
      return true;
    }
  }
  return false;
}
