#include "variables/Variable_Main.h"

#include <malloc.h>

#include <unordered_map>
#include <vector>

#include "code/Code_Tree.h"
#include "data/Support_Stream.h"
#include "code/Code_Error.h"
#include "code/Code_World.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Class.h"

namespace {

struct RBuiltinVariable {
  std::string name;
  BuiltinGetter getter;
  BuiltinSetter setter;
  std::string group;
  BuiltinRealGetter real;
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

void RegisterVariable(const char* name, BuiltinGetter getter, BuiltinSetter setter, std::string_view group,
                      BuiltinRealGetter real) {
  auto& table = Table();
  if (table.size() >= MAX_BUILTIN_VARIABLES) {
    Error_ShowMessage("INTERNAL ERROR: Adding too many variables");
    return;
  }
  // Reserved once, so the names the index views never move.
  table.reserve(MAX_BUILTIN_VARIABLES);
  table.push_back({name, getter, setter, std::string(group), real});
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
BuiltinRealGetter Variable_RealGetter(int32_t id) { return Table()[id].real; }
const std::string& Variable_Group(int32_t id) { return Table()[id].group; }

// ---- Variable stores and owners ----

namespace {

constexpr int32_t kGlobalsVersion = 700;
constexpr size_t kInitialFlags = 10000;

CVariableList g_Globals;

}  // namespace

std::vector<bool> Variable_GlobalvarFlags(kInitialFlags, false);

void ResetGlobals() {
  g_Globals.Clear();
  Variable_GlobalvarFlags.assign(kInitialFlags, false);
}

void DeclareGlobalvar(int32_t id) {
  if (id < USER_VARIABLE_BASE) return;
  size_t slot = static_cast<size_t>(id - USER_VARIABLE_BASE);
  // The flags grow to id - 99000 entries: saved games store their count.
  if (slot >= Variable_GlobalvarFlags.size()) Variable_GlobalvarFlags.resize(static_cast<size_t>(id - 99000), false);
  Variable_GlobalvarFlags[slot] = true;
  g_Globals.Declare(id);
}

bool GetGlobal(int32_t id, int32_t index, RValue& out) { return g_Globals.Get(id, index, out); }
void SetGlobal(int32_t id, int32_t index, const RValue& value) { g_Globals.Set(id, index, value); }
CVariableList& Variable_Globals() { return g_Globals; }

void WriteGlobals(CStream& s) {
  s.WriteInteger(kGlobalsVersion);
  g_Globals.WriteTo(s);
  s.WriteInteger(static_cast<int32_t>(Variable_GlobalvarFlags.size()));
  for (bool flag : Variable_GlobalvarFlags) s.WriteBoolean(flag);
}

bool ReadGlobalStore(CStream& s, RGlobalStore& out) {
  if (s.ReadInteger() != kGlobalsVersion) return false;
  out.list.ReadFrom(s);
  int32_t count = s.ReadInteger();
  out.flags.clear();
  for (int32_t i = 0; i < count; i++) out.flags.push_back(s.ReadBoolean());
  return true;
}

void InstallGlobalStore(RGlobalStore& store) {
  g_Globals = std::move(store.list);
  Variable_GlobalvarFlags = std::move(store.flags);
  store.list.Clear();
  store.flags.clear();
}

void ReadGlobals(CStream& s) {
  RGlobalStore store;
  if (ReadGlobalStore(s, store)) InstallGlobalStore(store);
}

bool GetInstanceVariable(CInstance* inst, int32_t id, int32_t index, RValue& out) {
  if (id < BUILTIN_VARIABLE_LIMIT) {
    if (id < 0 || id >= Variable_BuiltinCount()) return false;
    // Getters set a real without touching the text beside it: the text a
    // reused value held goes first, so a variable read is a fresh value.
    if (!out.str.empty()) out.str.clear();
    return Variable_Getter(id)(inst, index, out);
  }
  return World.variables(inst).Get(id, index, out);
}

bool SetInstanceVariable(CInstance* inst, int32_t id, int32_t index, const RValue& value) {
  if (id < BUILTIN_VARIABLE_LIMIT) {
    if (id < 0 || id >= Variable_BuiltinCount()) return false;
    BuiltinSetter setter = Variable_Setter(id);
    return setter != nullptr && setter(inst, index, value);
  }
  World.variables(inst).Set(id, index, value);
  return true;
}

bool GetOwnerVariable(int32_t owner, int32_t id, int32_t index, RValue& out) {
  if (owner < 0 && owner != OWNER_ALL) return false;
  bool ok = false;
  World_ForOwner(owner, [&](CInstance* inst) {
    ok = GetInstanceVariable(inst, id, index, out);
    return false;  // the first live instance only
  });
  return ok;
}

bool SetOwnerVariable(int32_t owner, int32_t id, int32_t index, const RValue& value) {
  if (owner < 0 && owner != OWNER_ALL) return false;
  bool ok = true;
  World_ForOwner(owner, [&](CInstance* inst) {
    ok = SetInstanceVariable(inst, id, index, value);
    return true;
  });
  return ok;
}

void Variable_KeepFreedMemory() {
  // Freed memory up to this much stays with the process; blocks up to a
  // full array row (32000 values) with room to grow come from the heap, not
  // from fresh maps. Either setting failing only costs speed.
  constexpr int kKeep = 256 << 20;
  constexpr int kMapAbove = 4 << 20;
  mallopt(M_TRIM_THRESHOLD, kKeep);
  mallopt(M_MMAP_THRESHOLD, kMapAbove);
}
