#include "variables/Code_Constant.h"

#include <deque>
#include <unordered_map>

namespace {

struct RConstant {
  std::string name;
  RValue value;
};

std::deque<RConstant>& Table() {
  static std::deque<RConstant> table;
  return table;
}

// Name -> position of its latest definition.
std::unordered_map<std::string_view, int32_t>& Latest() {
  static std::unordered_map<std::string_view, int32_t> latest;
  return latest;
}

}  // namespace

void DefineConstant(std::string_view name, const RValue& value) {
  Table().push_back({std::string(name), value});
  Latest()[Table().back().name] = static_cast<int32_t>(Table().size() - 1);
}

bool ConstantOf(std::string_view name, RValue& value) {
  auto it = Latest().find(name);
  if (it == Latest().end()) return false;
  value = Table()[it->second].value;
  return true;
}

int32_t Constant_Count() { return static_cast<int32_t>(Table().size()); }
const std::string& Constant_Name(int32_t i) { return Table()[i].name; }
const RValue& Constant_Value(int32_t i) { return Table()[i].value; }

void Constant_Truncate(int32_t count) {
  auto& table = Table();
  while (static_cast<int32_t>(table.size()) > count) table.pop_back();
  Latest().clear();
  for (int32_t i = 0; i < static_cast<int32_t>(table.size()); i++) Latest()[table[i].name] = i;
}
