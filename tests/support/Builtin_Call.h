// Calling registered built-ins by name from tests, and reading what they
// reported.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "code/Code_Error.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

inline RValue Str(const char* text) { return RValue(std::string(text)); }

// Runs the built-in `name` with the first argc of 16 argument slots, without
// checking the count against the registry; `self` is self and other.
inline RValue CallWithSlots(const char* name, RValue* slots, int argc, CInstance* self = nullptr) {
  Builtins_RegisterAll();
  int32_t id = Function_BuiltinIdOf(name);
  EXPECT_GE(id, 0) << name << " is not registered";
  RValue result;
  if (id >= 0) CallBuiltin(id, self, self, argc, slots, result);
  return result;
}

// Runs the built-in `name` with the arguments; the argument count must be one
// the registry accepts.
inline RValue CallByName(const char* name, std::initializer_list<RValue> args = {}, CInstance* self = nullptr) {
  Builtins_RegisterAll();
  int32_t id = Function_BuiltinIdOf(name);
  if (id >= 0 && Function_ArgCount(id) >= 0) EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
  RValue slots[MAX_ARGUMENTS];
  std::copy(args.begin(), args.end(), slots);
  return CallWithSlots(name, slots, static_cast<int>(args.size()), self);
}

// The message reported since the last Error_Reset(), without the event and
// action that an action error names first; "" when nothing was reported.
inline std::string ReportedError() {
  if (!Error_Occurred()) return {};
  const std::string& text = Error_Last();
  size_t at = text.find(":\r\n\r\n");
  return at == std::string::npos ? text : text.substr(at + 5);
}
