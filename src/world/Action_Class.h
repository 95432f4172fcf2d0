// Action_Class: CAction, one action of an event or time line moment, as
// loaded from the game data and compiled at load.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/Code_Main.h"

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
  // Self (-1), other (-2) or an object index.
  int32_t applies_to = -1;
  bool relative = false;
  bool negate = false;
  // Argument texts as loaded; cleared by Compile.
  std::vector<std::string> arg_texts;
  // The code text until compiled, then the compiled code.
  std::string code_text;
  std::unique_ptr<CCode> code;

  void LoadFrom(const RActionRecord& record);
  // A code action holding `text` (object_event_add).
  static CAction CodeAction(std::string text);
  // Turns variable and code actions into code and compiles it. A compile
  // error is reported as "COMPILATION ERROR in code action" ending the game;
  // false then.
  bool Compile();
};
