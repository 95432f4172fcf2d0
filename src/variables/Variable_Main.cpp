#include "variables/Variable_Main.h"

#include <unordered_map>
#include <vector>

#include "platform/Platform.h"

namespace {

struct RBuiltinVariable {
  std::string name;
  BuiltinGetter getter;
  BuiltinSetter setter;
};

std::vector<RBuiltinVariable>& Table() {
  static std::vector<RBuiltinVariable> table;
  return table;
}

std::unordered_map<std::string_view, int32_t>& Index() {
  static std::unordered_map<std::string_view, int32_t> index;
  return index;
}

}  // namespace

void RegisterVariable(const char* name, BuiltinGetter getter, BuiltinSetter setter) {
  auto& table = Table();
  if (table.size() >= MAX_BUILTIN_VARIABLES) {
    Platform_ShowMessage("INTERNAL ERROR: Adding too many variables");
    return;
  }
  // Reserved once, so the names the index views never move.
  table.reserve(MAX_BUILTIN_VARIABLES);
  table.push_back({name, getter, setter});
  Index().emplace(table.back().name, static_cast<int32_t>(table.size() - 1));
}

int32_t Variable_BuiltinCount() { return static_cast<int32_t>(Table().size()); }

int32_t BuiltinIndexOf(std::string_view name) {
  auto it = Index().find(name);
  return it == Index().end() ? -1 : it->second;
}

const std::string& BuiltinNameOf(int32_t id) {
  static const std::string kUnknown = "<unknown built-in variable>";
  if (id < 0 || id >= Variable_BuiltinCount()) return kUnknown;
  return Table()[id].name;
}

BuiltinGetter Variable_Getter(int32_t id) { return Table()[id].getter; }
BuiltinSetter Variable_Setter(int32_t id) { return Table()[id].setter; }
