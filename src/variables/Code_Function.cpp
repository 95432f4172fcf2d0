#include "variables/Code_Function.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "code/Code_Operator.h"
#include "data/DataNew_Extension.h"
#include "data/Resource_Names.h"

namespace {

struct RFunctionEntry {
  std::string name;
  BuiltinCallback callback;
  int32_t argc;
  std::string module;
  bool reads_only;
};

struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

std::vector<RFunctionEntry>& Entries() {
  static std::vector<RFunctionEntry> entries;
  return entries;
}

// Name -> first id registered under it.
std::unordered_map<std::string, int32_t, NameHash, std::equal_to<>>& Index() {
  static std::unordered_map<std::string, int32_t, NameHash, std::equal_to<>> index;
  return index;
}

// An extension function as the compiler sees it.
struct RExtensionName {
  std::string name;
  int32_t argc;
};

struct RExtensionNames {
  std::unordered_map<std::string, int32_t, NameHash, std::equal_to<>> ids;  // name -> first id
  std::unordered_map<int32_t, RExtensionName> byId;
};

RExtensionNames& Extensions() {
  static RExtensionNames names;
  return names;
}

}  // namespace

void Function_SetExtensions(const std::vector<RExtensionPackage>& packages) {
  RExtensionNames& names = Extensions();
  names.ids.clear();
  names.byId.clear();
  for (const RExtensionPackage& p : packages)
    for (const RExtensionFile& file : p.files)
      for (const RExtensionFunction& f : file.functions) {
        if (f.id < 0 || f.id >= kExtensionIdLimit || !names.byId.emplace(f.id, RExtensionName{f.name, f.argCount}).second)
          continue;
        names.ids.emplace(f.name, f.id);
      }
}

int32_t Function_ExtensionIdOf(std::string_view name) {
  auto it = Extensions().ids.find(name);
  return it == Extensions().ids.end() ? -1 : it->second;
}

int32_t Function_ExtensionArgCount(int32_t id) {
  auto it = Extensions().byId.find(id);
  return it == Extensions().byId.end() ? -100 : it->second.argc;
}

const std::string& Function_ExtensionName(int32_t id) {
  static const std::string none;
  auto it = Extensions().byId.find(id);
  return it == Extensions().byId.end() ? none : it->second.name;
}

void RegisterFunction(const char* name, BuiltinCallback callback, int32_t argc, std::string_view module,
                      bool reads_only) {
  auto& entries = Entries();
  entries.push_back({name, callback, argc, std::string(module), reads_only});
  Index().emplace(name, static_cast<int32_t>(entries.size() - 1));
}

void RegisterFunctions(std::span<const RFunctionDef> table, const char* file) {
  // The file's name without folder and extension.
  std::string_view module(file);
  module.remove_prefix(std::min(module.size(), module.find_last_of('/') + 1));
  module = module.substr(0, module.find('.'));
  for (const RFunctionDef& def : table) RegisterFunction(def.name, def.callback, def.argc, module, def.reads_only);
}

int32_t Function_Count() { return static_cast<int32_t>(Entries().size()); }

int32_t Function_BuiltinIdOf(std::string_view name) {
  auto it = Index().find(name);
  return it == Index().end() ? -1 : it->second;
}

const std::string& Function_Name(int32_t id) { return Entries()[id].name; }
int32_t Function_ArgCount(int32_t id) { return Entries()[id].argc; }
const std::string& Function_Module(int32_t id) { return Entries()[id].module; }
BuiltinCallback Function_Callback(int32_t id) { return Entries()[id].callback; }
bool Function_ReadsOnly(int32_t id) { return Entries()[id].reads_only; }

int32_t FunctionIdOf(std::string_view name) {
  int32_t script = Resource_IndexOf(RESOURCE_SCRIPT, name);
  if (script >= 0) return SCRIPT_ID_BASE + script;
  int32_t extension = Function_ExtensionIdOf(name);
  if (extension >= 0) return EXTENSION_ID_BASE + extension;
  return Function_BuiltinIdOf(name);
}

int32_t ArgumentCountOf(int32_t id) {
  if (id >= 0 && id < Function_Count()) return Entries()[id].argc;
  if (id >= EXTENSION_ID_BASE) return Function_ExtensionArgCount(id - EXTENSION_ID_BASE);
  int32_t script = id - SCRIPT_ID_BASE;
  if (id >= SCRIPT_ID_BASE && script < Resource_Count(RESOURCE_SCRIPT) &&
      !Resource_Name(RESOURCE_SCRIPT, script).empty())
    return -1;
  return -100;
}

std::string ArgText(const RValue* args, int i) {
  return args[i].IsString() ? args[i].str : RealToText(args[i].real);
}
