#include "variables/Code_Variable.h"

#include <deque>
#include <unordered_map>

#include "variables/Variable_Main.h"

namespace {

// A deque keeps the names in place, so the index can view them.
std::deque<std::string>& Names() {
  static std::deque<std::string> names;
  return names;
}

std::unordered_map<std::string_view, int32_t>& Index() {
  static std::unordered_map<std::string_view, int32_t> index;
  return index;
}

}  // namespace

int32_t VariableIdOf(std::string_view name) {
  int32_t builtin = BuiltinIndexOf(name);
  if (builtin >= 0) return builtin;
  auto it = Index().find(name);
  if (it != Index().end()) return it->second;
  Names().emplace_back(name);
  int32_t id = USER_VARIABLE_BASE + static_cast<int32_t>(Names().size() - 1);
  Index().emplace(Names().back(), id);
  return id;
}

const std::string& VariableNameOf(int32_t id) {
  static const std::string kUnknown = "<unknown variable>";
  if (id < USER_VARIABLE_BASE) return BuiltinNameOf(id);
  size_t k = static_cast<size_t>(id - USER_VARIABLE_BASE);
  return k < Names().size() ? Names()[k] : kUnknown;
}
