// Code_Function: the registry of built-in functions.
//
// Every built-in is a callback registered by name with a fixed argument count
// (-1 for any number from 0 to 16). A function's id is its position in the
// registry. Modules register their functions from tables at program start,
// before any game data is read.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "code/RValue.h"

class CInstance;
struct RExtensionPackage;

// Argument slots of one call: 16 values, the first argc hold the arguments.
constexpr int MAX_ARGUMENTS = 16;

// The call convention of every built-in. `result` is a fresh real 0 on entry.
// A callback never fails the calling code: it reports its own problems through
// ReportActionError and leaves a result. It may change its first `argc`
// argument slots but no slot beyond them: the interpreter reuses the slots
// and clears only the arguments' before the next call.
using BuiltinCallback = void (*)(CInstance* self, CInstance* other, int argc, RValue* args, RValue& result);

// One row of a module's registration table. `reads_only` promises that the
// callback reads its arguments without changing them, runs no script code
// and reports no error: the interpreter may then lend it the texts of
// variables for the call instead of copying them.
struct RFunctionDef {
  const char* name;
  BuiltinCallback callback;
  int32_t argc;
  bool reads_only = false;
};

// Appends one entry; its id is its position. `module` names the engine
// module the function belongs to (the reference for authors groups by it);
// `reads_only` that it only reads its arguments (RFunctionDef).
void RegisterFunction(const char* name, BuiltinCallback callback, int32_t argc, std::string_view module = {},
                      bool reads_only = false);
// Appends a module's whole table in order. The module is the source file
// that registers the table ("Function_Sound"), taken from the call itself so
// that no module has to spell its own name.
void RegisterFunctions(std::span<const RFunctionDef> table, const char* file = __builtin_FILE());

// Number of registered built-ins.
int32_t Function_Count();
// Registry id of a built-in name (first registered wins), or -1.
int32_t Function_BuiltinIdOf(std::string_view name);
// Name, argument count and callback of a registry id (valid ids only).
const std::string& Function_Name(int32_t id);
int32_t Function_ArgCount(int32_t id);
// The module that registered the id ("" when none was given).
const std::string& Function_Module(int32_t id);
BuiltinCallback Function_Callback(int32_t id);
// Whether the entry was registered as only reading its arguments.
bool Function_ReadsOnly(int32_t id);

// Function ids by number space: built-ins from 0, scripts from 100000,
// extension functions from 500000.
constexpr int32_t SCRIPT_ID_BASE = 100000;
constexpr int32_t EXTENSION_ID_BASE = 500000;

// Argument helpers shared by every built-in module. A callback reads the field
// it needs without checking the kind: a string where a real is expected reads
// its real field, a real where a string is expected reads its string field.
inline double ArgReal(const RValue* args, int i) { return args[i].real; }
// Rounded to the nearest integer, ties to even, low 32 bits.
inline int32_t ArgInt(const RValue* args, int i) { return RoundToInt32(args[i].real); }
inline int64_t ArgInt64(const RValue* args, int i) { return RoundToInt64(args[i].real); }
// A flag argument: true when >= 0.5.
inline bool ArgBool(const RValue* args, int i) { return args[i].real >= 0.5; }
inline const std::string& ArgString(const RValue* args, int i) { return args[i].str; }
// A text to show: a string as it is, a real as the built-in `string` gives it.
std::string ArgText(const RValue* args, int i);

// The functions of the game's extension packages as the compiler knows them:
// each function's name, id (the function id is EXTENSION_ID_BASE + id) and
// argument count, from normalised package records that passed
// DataNew_CheckExtensions (a function whose id does not is left out). Owned
// by this module for the length of a game; set when the packages are read
// (the engine) or checked (the authoring tool), emptied by giving none.
void Function_SetExtensions(const std::vector<RExtensionPackage>& packages);
// The id of the first function with that name, packages, files and
// functions in order; -1 when none has it.
int32_t Function_ExtensionIdOf(std::string_view name);
// The declared argument count of the function with that id, -100 when no
// function has it.
int32_t Function_ExtensionArgCount(int32_t id);
// The name of the function with that id, "" when no function has it.
const std::string& Function_ExtensionName(int32_t id);

// The function id of a name as the compiler resolves it: a script of that
// name, else an extension function, else a built-in; -1 when there is none.
int32_t FunctionIdOf(std::string_view name);
// The argument count a call of the id must have, checked by the compiler:
// -1 (0 to 16) for a script, the declared count for an extension function,
// the registered count for a built-in, -100 for an id that names nothing.
int32_t ArgumentCountOf(int32_t id);
// Runs a built-in (valid registry id) with its argument slots; `result` must
// be fresh.
inline void CallBuiltin(int32_t id, CInstance* self, CInstance* other, int argc, RValue* args, RValue& result) {
  Function_Callback(id)(self, other, argc, args, result);
}
