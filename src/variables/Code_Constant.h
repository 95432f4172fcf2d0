// Code_Constant: the constant table. Built-in constants first, then those of
// the extension packages, then the game's user constants; a lookup finds the
// latest definition of a name, so later ones hide earlier ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "code/RValue.h"

// Defines the built-in constants in their fixed order. Only the first call
// defines them; run at program start, before any game data is read.
void Constant_RegisterBuiltins();
// Appends a constant.
void DefineConstant(std::string_view name, const RValue& value);
// The latest definition of the name; true when found.
bool ConstantOf(std::string_view name, RValue& value);
// Number of constants and the i-th in definition order (for listings).
int32_t Constant_Count();
const std::string& Constant_Name(int32_t i);
const RValue& Constant_Value(int32_t i);
// Defines a constant from a name and an expression text, evaluated once now
// for a temporary instance. The name is trimmed of characters up to 32 and
// must be an identifier, else "Constant name NAME  is not valid."; a value
// that does not compile or run gives "Value for constant NAME  is not
// valid.". Either shows a message box and returns false, defining nothing.
bool DefineUserConstant(std::string_view name, std::string_view value_text);
// Defines the game's user constants (Settings) in order; false at the first
// failure.
bool DefineUserConstants();
// Drops every constant defined after the first `count` (tests, restarts).
void Constant_Truncate(int32_t count);
// Back to the built-in constants alone: the game's constants and any other
// defined after the built-ins are forgotten (a new game in the process).
void Constant_Reset();
