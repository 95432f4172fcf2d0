#include "world/Action_Class.h"

#include <algorithm>

#include "code/Code_Error.h"
#include "data/DataNew_Class.h"
#include "platform/Platform.h"
#include "variables/Code_Function.h"

namespace {

// Stored argument kinds that compiling treats specially.
constexpr int32_t kArgMaybeString = 2;  // text, or an expression when quoted
constexpr int32_t kArgString = 1;
constexpr int32_t kArgStringAlt = 15;

bool Quoted(const std::string& text) { return !text.empty() && (text[0] == '"' || text[0] == '\''); }

}  // namespace

void CAction::LoadFrom(const RActionRecord& r) {
  library_id = r.libraryId;
  action_id = r.actionId;
  kind = r.kind;
  uses_relative = r.mayBeRelative;
  is_question = r.isQuestion;
  uses_applies_to = r.usesAppliesTo;
  exec_type = r.execType;
  function_name = r.functionName;
  code_text = r.code;
  applies_to = r.appliesTo;
  relative = r.relative;
  negate = r.negate;
  arg_texts = r.argValues;
  arg_texts.resize(ACTION_MAX_ARGUMENTS);
  arg_count = std::clamp(r.argCount, 0, ACTION_MAX_ARGUMENTS);
  arg_kinds.fill(0);
  for (size_t i = 0; i < r.argKinds.size() && i < arg_kinds.size(); i++) arg_kinds[i] = r.argKinds[i];
}

CAction CAction::CodeAction(std::string text) {
  CAction action;
  action.arg_texts.push_back(std::move(text));
  return action;
}

bool CAction::CompileArgument(int32_t i) {
  const std::string& text = arg_texts[i];
  int32_t stored = arg_kinds[i];
  if (stored == kArgMaybeString) stored = Quoted(text) ? 0 : kArgString;
  if (stored == kArgString || stored == kArgStringAlt) {
    arg_kinds[i] = ACTION_ARG_CONSTANT;
    arg_values[i].SetString(text);
    return true;
  }
  auto expr = std::make_unique<CCode>(text, true);
  if (!expr->Compile()) {
    ReportActionError("COMPILATION ERROR in argument " + std::to_string(i) + "\r" + RecordedError(), true);
    ClearRecordedError();
    return false;
  }
  if (expr->Kind() == CODE_CONSTANT) {
    arg_kinds[i] = ACTION_ARG_CONSTANT;
    arg_values[i] = expr->Value();
  } else {
    arg_kinds[i] = ACTION_ARG_EXPRESSION;
    arg_codes[i] = std::move(expr);
  }
  return true;
}

bool CAction::Compile() {
  auto arg = [this](size_t i) { return i < arg_texts.size() ? arg_texts[i] : std::string(); };
  if (kind == ACTION_VARIABLE) {
    code_text = arg(0) + (relative ? " += " : " = ") + arg(1);
    kind = ACTION_NORMAL;
    arg_count = 0;
  } else if (kind == ACTION_CODE) {
    code_text = arg(0);
    kind = ACTION_NORMAL;
    arg_count = 0;
  }
  if (exec_type == ACTION_EXEC_CODE) {
    code = std::make_unique<CCode>(code_text, false);
    if (!code->Compile()) {
      ReportActionError("COMPILATION ERROR in code action\r" + RecordedError(), true);
      ClearRecordedError();
      code.reset();
      return false;
    }
  } else if (exec_type == ACTION_EXEC_FUNCTION) {
    function_index = FunctionIdOf(function_name);
    if (function_index < 0) Platform_ShowMessage("Failed to locate action function " + function_name);
  }
  arg_texts.resize(ACTION_MAX_ARGUMENTS);
  for (int32_t i = 0; i < arg_count; i++) {
    if (!CompileArgument(i)) return false;
  }
  code_text.clear();
  arg_texts.clear();
  return true;
}
