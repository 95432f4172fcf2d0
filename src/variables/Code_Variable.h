// Code_Variable: variable names and ids. Built-in variables keep their table
// position as id; user names get 100000 + k in the order they are first asked
// for, and keep it for the whole run (saved games store ids).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr int32_t USER_VARIABLE_BASE = 100000;

// The built-in id of the name, else its user id (entering a new name).
int32_t VariableIdOf(std::string_view name);
// The built-in or user name of an id, or "<unknown built-in variable>" /
// "<unknown variable>".
const std::string& VariableNameOf(int32_t id);
