// Variable_Main: the table of built-in variables. Each entry is a getter and,
// when writable, a setter; an entry's position is its variable id (0 to 499).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "code/RValue.h"

class CInstance;

// Reads the variable for an instance at a combined array index.
using BuiltinGetter = bool (*)(CInstance* inst, int32_t index, RValue& out);
// Writes it; returns false when the value is refused.
using BuiltinSetter = bool (*)(CInstance* inst, int32_t index, const RValue& value);

constexpr int32_t MAX_BUILTIN_VARIABLES = 500;

// One row of a registration table; setter null means read-only.
struct RVariableDef {
  const char* name;
  BuiltinGetter getter;
  BuiltinSetter setter;
};

// Appends an entry. At 500 entries shows "INTERNAL ERROR: Adding too many
// variables" and adds nothing.
void RegisterVariable(const char* name, BuiltinGetter getter, BuiltinSetter setter);
// Number of registered built-in variables.
int32_t Variable_BuiltinCount();
// The first entry with exactly that name, or -1.
int32_t BuiltinIndexOf(std::string_view name);
// The name, or "<unknown built-in variable>".
const std::string& BuiltinNameOf(int32_t id);
// Getter and setter of a valid id (setter may be null).
BuiltinGetter Variable_Getter(int32_t id);
BuiltinSetter Variable_Setter(int32_t id);
