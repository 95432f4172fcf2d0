// Helpers of the language tests: compiling texts, reading back the recorded
// message, a compact text form of code trees, and the instances programs run for.
#pragma once

#include <memory>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "code/Script_Main.h"
#include "data/Resource_Names.h"
#include "support/TestBuiltins.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"

namespace codetest {

// Names the tests rely on: the tests' built-in functions with 2 and any
// arguments and their read-only variable (support/TestBuiltins.h), a script,
// objects, a time line and a user constant. Every test starts without
// resources, so they are named again on each call.
inline void EnsureNames() {
  TestBuiltins_Register();
  Resource_SetName(RESOURCE_SCRIPT, 0, "scr_move");
  Resource_SetName(RESOURCE_OBJECT, 0, "obj_none");
  Resource_SetName(RESOURCE_OBJECT, 1, "obj_wall");
  Resource_SetName(RESOURCE_TIMELINE, 2, "tl_intro");
  RValue value;
  if (!ConstantOf("c_text", value)) DefineConstant("c_text", RValue(std::string("txt")));
}

// A recorded message with its carriage returns shown as '|'.
inline std::string Shown(std::string message) {
  for (char& c : message)
    if (c == '\r') c = '|';
  return message;
}

// The instances programs run for: self (id 100001, object 0) and other
// (id 100002, object 1).
struct RRunPair {
  CInstance self;
  CInstance other;

  // Both without variables, and the interpreter as a program starts: no
  // global variables, scripts or errors, fresh argument slots, nothing printed.
  void Fresh() {
    ResetGlobals();
    ClearScripts();
    Error_Reset();
    for (int i = 0; i < MAX_ARGUMENTS; i++) Exec_Arguments()[i] = RValue();
    TestBuiltins_Output().clear();
    self.variables.Clear();
    other.variables.Clear();
    self.id = 100001;
    self.object_index = 0;
    other.id = 100002;
    other.object_index = 1;
  }
};

struct RCompiled {
  std::unique_ptr<CCode> code;
  bool ok = false;
  std::string error;  // the recorded message when the compile failed
};

inline RCompiled Compile(const std::string& text, bool expression) {
  EnsureNames();
  RCompiled r;
  r.code = std::make_unique<CCode>(text, expression);
  r.ok = r.code->Compile();
  if (!r.ok) r.error = RecordedError();
  return r;
}

// The message a one-line program gives for an error at a column.
inline std::string LineError(const std::string& text, int column, const std::string& message) {
  return "Error in code at line 1:\r   " + text + "\r\rat position " + std::to_string(column) + ": " + message;
}

// The tree in a compact form: constants as their text ('s' for strings),
// variables as name or name@owner (kind 8) with [owner index...] (kind 7),
// calls as f<id>(...), and every other node as kind:id(children).
inline std::string Dump(const RToken& n) {
  std::string s;
  auto children = [&](size_t from) {
    s += '(';
    for (size_t i = from; i < n.children.size(); i++) {
      if (i > from) s += ' ';
      s += Dump(n.children[i]);
    }
    s += ')';
  };
  switch (n.kind) {
    case NODE_CONSTANT:
      return n.value.IsString() ? "'" + n.value.str + "'" : RealToText(n.value.real);
    case NODE_VARIABLE_FIXED:
      return VariableNameOf(n.id) + "@" + std::to_string(n.owner);
    case NODE_VARIABLE:
      s = VariableNameOf(n.id) + "[";
      for (size_t i = 0; i < n.children.size(); i++) s += (i ? " " : "") + Dump(n.children[i]);
      return s + "]";
    case NODE_CALL:
      // Built-ins by name (their ids depend on what else is registered),
      // scripts by id.
      s = "f" + (n.id < SCRIPT_ID_BASE ? Function_Name(n.id) : std::to_string(n.id));
      children(0);
      return s;
    case NODE_UNARY:
    case NODE_BINARY:
    case NODE_ASSIGN:
      s = std::to_string(n.id);
      children(0);
      return s;
    default:
      s = std::to_string(n.kind);
      if (!n.children.empty()) children(0);
      return s;
  }
}

}  // namespace codetest
