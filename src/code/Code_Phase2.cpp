#include "code/Code_Phase2.h"

#include <string>

#include "code/Code_Error.h"
#include "data/Resource_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"

bool Resolve(const CCode& code, const RTokenList1& in, RTokenList2& out) {
  out.clear();
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); i++) {
    const RToken1& t = in[i];
    RToken2& r = out.emplace_back();
    r.kind = t.kind;
    r.id = 0;
    r.position = t.position;
    switch (t.kind) {
      case TOKEN_NAME: {
        int32_t index;
        if (in[i + 1].kind == TOKEN_OPEN) {
          r.kind = TOKEN_FUNCTION;
          r.id = FunctionIdOf(t.text);
          if (r.id < 0) {
            RecordError(code, t.position, "Unknown function or script: " + std::string(t.text));
            return false;
          }
        } else if (Resource_ConstantOf(t.text, index)) {
          r.kind = TOKEN_CONSTANT;
          r.value.SetReal(index);
        } else if (ConstantOf(t.text, r.value)) {
          r.kind = TOKEN_CONSTANT;
        } else {
          r.kind = TOKEN_VARIABLE;
          r.id = VariableIdOf(t.text);
        }
        break;
      }
      case TOKEN_NUMBER:
        r.kind = TOKEN_CONSTANT;
        r.value.SetReal(Phase1_NumberValue(t.text));
        break;
      case TOKEN_STRING:
        r.kind = TOKEN_CONSTANT;
        r.value.SetString(t.text);
        break;
      default:
        break;
    }
  }
  return true;
}
