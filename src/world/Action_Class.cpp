#include "world/Action_Class.h"

#include "code/Code_Error.h"
#include "data/DataNew_Class.h"

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
}

CAction CAction::CodeAction(std::string text) {
  CAction action;
  action.arg_texts.push_back(std::move(text));
  return action;
}

bool CAction::Compile() {
  auto arg = [this](size_t i) { return i < arg_texts.size() ? arg_texts[i] : std::string(); };
  if (kind == ACTION_VARIABLE) {
    code_text = arg(0) + (relative ? " += " : " = ") + arg(1);
    kind = ACTION_NORMAL;
    arg_texts.clear();
  } else if (kind == ACTION_CODE) {
    code_text = arg(0);
    kind = ACTION_NORMAL;
    arg_texts.clear();
  }
  if (exec_type == ACTION_EXEC_CODE) {
    code = std::make_unique<CCode>(code_text, false);
    if (!code->Compile()) {
      ReportError("COMPILATION ERROR in code action\r" + RecordedError(), true);
      ClearRecordedError();
      code.reset();
      return false;
    }
  }
  code_text.clear();
  return true;
}
