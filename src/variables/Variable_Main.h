// Variable_Main: the table of built-in variables. Each entry is a getter and,
// when writable, a setter; an entry's position is its variable id (0 to 499).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code/RValue.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Class.h"

class CInstance;

// Reads the variable for an instance at a combined array index.
using BuiltinGetter = bool (*)(CInstance* inst, int32_t index, RValue& out);
// Writes it; returns false when the value is refused.
using BuiltinSetter = bool (*)(CInstance* inst, int32_t index, const RValue& value);
// Reads a variable that is always a real and no array, as its getter would
// read it at index 0, without making a value: the fast read for code.
using BuiltinRealGetter = double (*)(const CInstance* inst);

constexpr int32_t MAX_BUILTIN_VARIABLES = 500;

// One row of a registration table; setter null means read-only.
struct RVariableDef {
  const char* name;
  BuiltinGetter getter;
  BuiltinSetter setter;
  BuiltinRealGetter real = nullptr;  // where the variable is always a real
};

// Appends an entry. At 500 entries shows "INTERNAL ERROR: Adding too many
// variables" and adds nothing. `group` says what the variable belongs to
// ("instance", "game"); the reference for authors groups by it.
void RegisterVariable(const char* name, BuiltinGetter getter, BuiltinSetter setter, std::string_view group = {},
                      BuiltinRealGetter real = nullptr);
// Number of registered built-in variables.
int32_t Variable_BuiltinCount();
// The first entry with exactly that name, or -1.
int32_t BuiltinIndexOf(std::string_view name);
// The name, or "<unknown built-in variable>".
const std::string& BuiltinNameOf(int32_t id);
// Getter and setter of a valid id (setter may be null).
BuiltinGetter Variable_Getter(int32_t id);
BuiltinSetter Variable_Setter(int32_t id);
// The real getter of a valid id, or null.
BuiltinRealGetter Variable_RealGetter(int32_t id);
// The group given at registration (valid ids only).
const std::string& Variable_Group(int32_t id);

// ---- Variable stores and owners ----

class CStream;

// Owner codes (OWNER_SELF ... OWNER_LOCAL) are those of code/Code_Tree.h; 0 to
// 99999 name an object, 100000 and above an instance id.

// Ids below this reach the built-in table instead of a store.
constexpr int32_t BUILTIN_VARIABLE_LIMIT = 10000;

// Makes the allocator keep freed memory for reuse instead of handing it back
// to the system: script arrays of megabytes come and go with every run of a
// code, and memory returned each time is faulted in again at the next.
// Called once at program start.
void Variable_KeepFreedMemory();

// A new empty global store and 10000 cleared globalvar flags (program start,
// game restart).
void ResetGlobals();
// The globalvar statement: flags a user id (growing the flags) and declares
// it in the global store. Ids below 100000 are ignored.
void DeclareGlobalvar(int32_t id);
// The globalvar flags, indexed by id - 100000.
extern std::vector<bool> Variable_GlobalvarFlags;
// Whether the id was declared globalvar.
inline bool IsGlobalvar(int32_t id) {
  size_t slot = static_cast<size_t>(id) - USER_VARIABLE_BASE;
  return id >= USER_VARIABLE_BASE && slot < Variable_GlobalvarFlags.size() && Variable_GlobalvarFlags[slot];
}
// Get and Set on the global store; any id, built-in ids included.
bool GetGlobal(int32_t id, int32_t index, RValue& out);
void SetGlobal(int32_t id, int32_t index, const RValue& value);
// The global store itself (the interpreter reads it without copying).
CVariableList& Variable_Globals();
// Stream form of the global store inside saved games: 700, the list, the
// flags. Reading a wrong version, or a stream cut short (which throws
// CStreamError), changes nothing.
void WriteGlobals(CStream& stream);
void ReadGlobals(CStream& stream);
// A global store read aside, so that a saved game can be read whole before
// anything of the game's changes.
struct RGlobalStore {
  CVariableList list;
  std::vector<bool> flags;
};
// Reads the stream form into `out`; false, with nothing read past the
// version, when the version is not 700.
bool ReadGlobalStore(CStream& stream, RGlobalStore& out);
// The game's global store and globalvar flags become those of `store`, which
// is left empty.
void InstallGlobalStore(RGlobalStore& store);

// Built-in ids call the getter (the value comes out fresh, without the text
// `out` held); other ids read the instance's store.
bool GetInstanceVariable(CInstance* inst, int32_t id, int32_t index, RValue& out);
// Built-in ids call the setter (false for a read-only entry); other ids set
// the instance's store and succeed.
bool SetInstanceVariable(CInstance* inst, int32_t id, int32_t index, const RValue& value);
// Owners 0 and above and `all`: read from the first live instance named.
// False when there is none or for any other negative owner.
bool GetOwnerVariable(int32_t owner, int32_t id, int32_t index, RValue& out);
// Owners 0 and above and `all`: write to every live instance named; the
// result of the last write, true when there was none. False for any other
// negative owner.
bool SetOwnerVariable(int32_t owner, int32_t id, int32_t index, const RValue& value);
