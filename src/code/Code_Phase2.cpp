#include "code/Code_Phase2.h"

#include <unordered_map>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"

namespace {

// What a name means in one compile: as a call, and elsewhere. A name repeats
// often in a code, and each lookup tries a dozen tables.
struct RNameMeaning {
  int32_t function = -2;  // -2 not looked up yet, -1 none
  RToken2 plain{-1, 0, 0, 0, {}};  // kind -1 until looked up
};

void LookUpPlain(std::string_view name, RToken2& r, RTokenList2& out) {
  int32_t index;
  RValue constant;
  if (Resource_ConstantOf(name, index)) {
    r.kind = TOKEN_CONSTANT;
    r.id = VALUE_REAL;
    r.real = index;
  } else if (ConstantOf(name, constant)) {
    r.kind = TOKEN_CONSTANT;
    r.id = constant.kind;
    r.real = constant.real;
    if (constant.IsString()) r.text = out.texts.emplace_back(std::move(constant.str));
  } else {
    r.kind = TOKEN_VARIABLE;
    r.id = VariableIdOf(name);
  }
}

}  // namespace

bool Resolve(const CCode& code, const RTokenList1& in, RTokenList2& out) {
  out.tokens.clear();
  out.tokens.reserve(in.size());
  out.texts.clear();
  std::unordered_map<std::string_view, RNameMeaning> names;
  for (size_t i = 0; i < in.size(); i++) {
    const RToken1& t = in[i];
    RToken2& r = out.tokens.emplace_back(RToken2{t.kind, 0, t.position, 0, {}});
    switch (t.kind) {
      case TOKEN_NAME: {
        RNameMeaning& meaning = names[t.text];
        if (in[i + 1].kind == TOKEN_OPEN) {
          if (meaning.function == -2) meaning.function = FunctionIdOf(t.text);
          if (meaning.function < 0) {
            RecordError(code, t.position, "Unknown function or script: " + std::string(t.text));
            return false;
          }
          r.kind = TOKEN_FUNCTION;
          r.id = meaning.function;
        } else {
          if (meaning.plain.kind < 0) LookUpPlain(t.text, meaning.plain, out);
          r.kind = meaning.plain.kind;
          r.id = meaning.plain.id;
          r.real = meaning.plain.real;
          r.text = meaning.plain.text;
        }
        break;
      }
      case TOKEN_NUMBER:
        r.kind = TOKEN_CONSTANT;
        r.id = VALUE_REAL;
        r.real = Phase1_NumberValue(t.text);
        break;
      case TOKEN_STRING:
        r.kind = TOKEN_CONSTANT;
        r.id = VALUE_STRING;
        r.text = t.text;
        break;
      default:
        break;
    }
  }
  return true;
}
