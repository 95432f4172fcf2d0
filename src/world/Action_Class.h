// Action_Class: CAction, one action of an event or time line moment, as
// loaded from the game data and compiled at load.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/Code_Main.h"
#include "code/RValue.h"

struct RActionRecord;

// Action kinds.
enum : int32_t {
  ACTION_NORMAL = 0,
  ACTION_BEGIN_BLOCK = 1,
  ACTION_END_BLOCK = 2,
  ACTION_ELSE = 3,
  ACTION_EXIT = 4,
  ACTION_REPEAT = 5,
  ACTION_VARIABLE = 6,
  ACTION_CODE = 7,
};
// Execution types.
enum : int32_t { ACTION_EXEC_NONE = 0, ACTION_EXEC_FUNCTION = 1, ACTION_EXEC_CODE = 2 };

// An action holds at most this many arguments.
constexpr int32_t ACTION_MAX_ARGUMENTS = 8;
// Argument kinds after compiling: a constant value or an expression.
constexpr int32_t ACTION_ARG_CONSTANT = -1;
constexpr int32_t ACTION_ARG_EXPRESSION = 0;

class CAction {
 public:
  int32_t library_id = 0;
  int32_t action_id = 0;
  int32_t kind = ACTION_CODE;
  bool uses_relative = false;
  bool is_question = false;
  bool uses_applies_to = true;
  int32_t exec_type = ACTION_EXEC_CODE;
  std::string function_name;
  // Built-in, script (from 100000) or extension function (from 500000); -1
  // when the name names none (the action then does nothing, and asks false).
  int32_t function_index = -1;
  // Self (-1), other (-2) or an object index.
  int32_t applies_to = -1;
  bool relative = false;
  bool negate = false;
  int32_t arg_count = 0;
  // Kinds as loaded; after compiling ACTION_ARG_CONSTANT or ACTION_ARG_EXPRESSION.
  std::array<int32_t, ACTION_MAX_ARGUMENTS> arg_kinds{};
  // Argument texts as loaded; cleared by Compile.
  std::vector<std::string> arg_texts;
  // Constant arguments, and the compiled expressions of the others.
  std::array<RValue, ACTION_MAX_ARGUMENTS> arg_values{};
  std::array<std::unique_ptr<CCode>, ACTION_MAX_ARGUMENTS> arg_codes{};
  // The code text until compiled, then the compiled code.
  std::string code_text;
  std::unique_ptr<CCode> code;

  void LoadFrom(const RActionRecord& record);
  // A code action holding `text` (object_event_add, timeline_moment_add).
  static CAction CodeAction(std::string text);
  // Turns variable and code actions into code, compiles the code and the
  // arguments and resolves the function. A compile error is reported as an
  // action error of the event being compiled (naming the action, event and
  // object), "COMPILATION ERROR in code action" or "COMPILATION ERROR in
  // argument " + i, ending the game; false then. A function that cannot be found shows
  // "Failed to locate action function " + name and compiling goes on.
  bool Compile();

 private:
  bool CompileArgument(int32_t i);
};
